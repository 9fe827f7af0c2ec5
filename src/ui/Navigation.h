#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class MainWindow;
class QTimer;
class QWidget;

// Moves between sections and pages: recolours the navigation buttons, moves the markers, sets the
// location caption and, when the easing preference (超级按钮64) is on, slides the page in.
class Navigation : public QObject {
    Q_OBJECT

public:
    explicit Navigation(MainWindow* window);

    // Click on a first-level button ("1" to "4").
    void openSection(const QString& number);
    // Click on a second-level button showing this content page (or the home part of section "1").
    void openPage(int page);
    QString currentSection() const { return m_currentSection; }

    // Work a page's button does on every click, also when the page is already shown.
    void setPageAction(int page, std::function<void()> action) { m_pageActions[page] = std::move(action); }

    // Start-up: the home state without animation (section "1", page 0, marker at 10).
    void showHomeState();

    // The page-change animation: 22 steps of x := trunc(x - 0.2 (x - target)), no final snap, one
    // step per tick of a timer.
    void slideIn(bool vertical, int page);
    bool isSliding() const;

    static constexpr int SlideSteps = 22;
    static constexpr int SlideStepMs = 6;

private:
    void colourFirstLevel(const QString& number);
    void slideStep();
    void showPage(int page, bool vertical);

    MainWindow* m_window;
    QString m_currentSection;
    QHash<int, std::function<void()>> m_pageActions;
    struct Slide {
        bool vertical = false;
        int step = 0;
        QPointer<QWidget> searchFrame;
    };
    Slide m_slide;
    QTimer* m_slideTimer = nullptr;
};
