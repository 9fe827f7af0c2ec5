#pragma once

#include <QWidget>

class QTabWidget;

// The borderless main window: title bar, navigation bar, the second-level bar 选择夹2 and the
// content page container 选择夹1 with its fourteen pages. Pages are filled by their features.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int Width = 1050;
    static constexpr int Height = 580;
    static constexpr int PageCount = 14;

    explicit MainWindow(QWidget* parent = nullptr);

    QTabWidget* contentPages() const { return m_content; } // 选择夹1
    QTabWidget* sectionBars() const { return m_sections; } // 选择夹2
    QWidget* page(int index) const;

signals:
    // The close button 超级按钮2 was clicked; the launcher decides whether to end.
    void closeClicked();
    // The window is being closed by anything other than the close button (e.g. the session ends).
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildTitleBar();
    void buildNavigationBar();
    void buildSectionBars();
    void buildContentPages();

    QTabWidget* m_content = nullptr;
    QTabWidget* m_sections = nullptr;
};
