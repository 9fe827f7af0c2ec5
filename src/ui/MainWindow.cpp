#include "ui/MainWindow.h"

#include "ui/NavigationTable.h"
#include "ui/ThemePictures.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/PictureBox.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QTabBar>
#include <QTabWidget>

namespace {
const QColor NavText(47, 47, 47);
const QColor ContentBackground(243, 245, 248);
} // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent, Qt::FramelessWindowHint | Qt::Window)
{
    setObjectName(QStringLiteral("启动窗口"));
    setWindowTitle(QStringLiteral("Velk Manager 管理系统"));
    setFixedSize(Width, Height);
    QFont base(QStringLiteral("微软雅黑"));
    base.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("sans-serif")});
    base.setPointSize(9);
    setFont(base);

    buildContentPages();
    buildTitleBar();
    buildSectionBars();
    buildNavigationBar();
}

QWidget* MainWindow::page(int index) const
{
    return m_content->widget(index);
}

void MainWindow::buildTitleBar()
{
    PictureBox* bar =
        controls::picture(this, QStringLiteral("图片框2"), QRect(206, 0, Width - 206, 65), Qt::white);
    bar->setDragsWindow(true);

    FlatButton* minimise = controls::button(this, QStringLiteral("超级按钮11"), QStringLiteral("—"),
                                            QRect(Width - 84, 16, 34, 30));
    minimise->setToolTip(QStringLiteral("最小化"));
    connect(minimise, &FlatButton::clicked, this, &QWidget::showMinimized);

    FlatButton* close = controls::button(this, QStringLiteral("超级按钮2"), QStringLiteral("×"),
                                         QRect(Width - 44, 16, 34, 30));
    QFont closeFont = close->font();
    closeFont.setPointSize(14);
    close->setFont(closeFont);
    close->setToolTip(QStringLiteral("关闭"));
    connect(close, &FlatButton::clicked, this, &MainWindow::closeClicked);
}

void MainWindow::buildSectionBars()
{
    m_sections = new QTabWidget(this);
    m_sections->setObjectName(QStringLiteral("选择夹2"));
    m_sections->tabBar()->hide();
    m_sections->setDocumentMode(true);
    m_sections->setGeometry(206, 0, Width - 206 - 100, 62);
    const QStringList names = {QStringLiteral("主页信息"), QStringLiteral("开服管理"),
                               QStringLiteral("文件管理"), QStringLiteral("资源下载")};
    for (int section = 0; section < names.size(); ++section) {
        PictureBox* bar = new PictureBox;
        bar->setBackgroundColor(Qt::white);
        bar->setDragsWindow(true);
        int index = 0;
        for (const nav::PageRow& row : nav::pages()) {
            if (row.section.toInt() != section + 1 || row.markerLeft < 0)
                continue;
            controls::button(bar, row.buttonName, row.buttonText, QRect(row.markerLeft - 206, 12, 90, 38));
            ++index;
        }
        if (section == 3)
            controls::label(bar, QStringLiteral("标签50"), QStringLiteral("（0/5）"),
                            QRect(700 - 206 + 6, 20, 60, 22));
        m_sections->addTab(bar, names[section]);
    }

    // The second-level marker sits under the selected second-level button.
    PictureBox* marker =
        controls::picture(this, QStringLiteral("图片框61"), QRect(222, 56, 90, 3), Qt::black);
    marker->hide();
}

void MainWindow::buildNavigationBar()
{
    PictureBox* nav =
        controls::picture(this, QStringLiteral("图片框3"), QRect(0, 0, 206, Height), QColor(250, 251, 252));
    nav->setDragsWindow(true);
    nav->lower();

    QLabel* title = controls::label(this, QStringLiteral("标签1"), QStringLiteral("Velk开服器 4.6"),
                                    QRect(18, 16, 180, 34));
    QFont titleFont = title->font();
    titleFont.setPointSize(13);
    titleFont.setBold(true);
    title->setFont(titleFont);

    // The buttons and the first-level marker share one area so the marker's top matches the table.
    QWidget* area = new QWidget(nav);
    area->setObjectName(QStringLiteral("导航按钮区"));
    area->setGeometry(0, 86, 206, 290);
    for (const nav::SectionRow& row : nav::sections()) {
        FlatButton* button =
            controls::button(area, row.buttonName, row.text, QRect(16, row.markerTop, 174, 50));
        QFont f = button->font();
        f.setPointSize(10);
        button->setFont(f);
        button->setTextColor(NavText);
    }
    controls::picture(area, QStringLiteral("图片框4"), QRect(0, 10, 4, 50), Qt::black);

    QLabel* location = controls::label(this, QStringLiteral("目前位置"),
                                       QStringLiteral("目前位置 * [ 主页信息 ]"), QRect(0, 546, 206, 24));
    location->setAlignment(Qt::AlignCenter);
}

void MainWindow::buildContentPages()
{
    m_content = new QTabWidget(this);
    m_content->setObjectName(QStringLiteral("选择夹1"));
    m_content->tabBar()->hide();
    m_content->setDocumentMode(true);
    m_content->setGeometry(206, 65, Width - 206, Height - 65);
    for (int i = 0; i < PageCount; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("页面%1").arg(i));
        page->setAutoFillBackground(true);
        QPalette palette = page->palette();
        palette.setColor(QPalette::Window, ContentBackground);
        page->setPalette(palette);
        m_content->addTab(page, nav::tabTitle(i));
    }
}

void MainWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ContentBackground);
    painter.setPen(QColor(230, 232, 236));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    emit closing();
    event->accept();
}
