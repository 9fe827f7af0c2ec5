#include "ui/Navigation.h"

#include "ui/MainWindow.h"
#include "ui/NavigationTable.h"
#include "ui/Theme.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/PictureBox.h"

#include <QApplication>
#include <QLabel>
#include <QTabWidget>
#include <QTimer>

#include <cmath>

namespace {
const QColor NavText(47, 47, 47);

int easeStep(int x, int target)
{
    return static_cast<int>(std::trunc(x - 0.2 * (x - target)));
}
} // namespace

Navigation::Navigation(MainWindow* window) : QObject(window), m_window(window)
{
    m_slideTimer = new QTimer(this);
    m_slideTimer->setInterval(SlideStepMs);
    connect(m_slideTimer, &QTimer::timeout, this, &Navigation::slideStep);
    for (const nav::SectionRow& row : nav::sections()) {
        auto* button = controls::find<FlatButton>(window, row.buttonName);
        const QString number = row.number;
        connect(button, &FlatButton::clicked, this, [this, number] { openSection(number); });
    }
    QWidget* bars = window->sectionBars();
    for (const nav::PageRow& row : nav::pages()) {
        if (row.markerLeft < 0)
            continue;
        auto* button = controls::find<FlatButton>(bars, row.buttonName);
        const int page = row.page;
        connect(button, &FlatButton::clicked, this, [this, page] { openPage(page); });
    }
}

void Navigation::colourFirstLevel(const QString& number)
{
    const theme::ThemeState& state = theme::current(m_window);
    for (const nav::SectionRow& row : nav::sections()) {
        auto* button = controls::find<FlatButton>(m_window, row.buttonName);
        const int section = row.number.toInt();
        if (row.number == number) {
            button->setTextColor(state.main);
            const QPixmap icon = theme::sectionIcon(section, state.name);
            if (!icon.isNull())
                button->setPicture(icon);
        } else {
            button->setTextColor(NavText);
            button->setPicture(theme::plainSectionIcon(section));
        }
    }
}

void Navigation::openSection(const QString& number)
{
    const nav::SectionRow* section = nullptr;
    for (const nav::SectionRow& row : nav::sections())
        if (row.number == number)
            section = &row;
    if (!section)
        return;
    m_currentSection = number;
    m_window->sectionBars()->setCurrentIndex(section->barPage);
    controls::find<QWidget>(m_window, QStringLiteral("图片框4"))->move(0, section->markerTop);
    colourFirstLevel(number);

    if (number == QLatin1String("1")) {
        controls::find<QWidget>(m_window, QStringLiteral("图片框61"))->hide();
        showPage(0, true);
        return;
    }
    openPage(section->firstPage);
}

void Navigation::openPage(int page)
{
    const nav::PageRow* row = nav::pageRow(page);
    if (!row)
        return;
    if (page == 0) {
        openSection(QStringLiteral("1"));
        return;
    }
    QWidget* marker = controls::find<QWidget>(m_window, QStringLiteral("图片框61"));
    marker->move(row->markerLeft, marker->y());
    marker->show();
    marker->raise();

    const QColor main = theme::current(m_window).main;
    for (const nav::PageRow& other : nav::pages()) {
        if (other.markerLeft < 0)
            continue;
        if (auto* button = controls::find<FlatButton>(m_window->sectionBars(), other.buttonName))
            button->setTextColor(other.page == page ? main : NavText);
    }
    if (const auto action = m_pageActions.value(page))
        action();
    showPage(page, false);
}

void Navigation::showPage(int page, bool vertical)
{
    QTabWidget* content = m_window->contentPages();
    if (content->currentIndex() == page)
        return;
    content->setCurrentIndex(page);
    if (const nav::PageRow* row = nav::pageRow(page))
        controls::find<QLabel>(m_window, QStringLiteral("目前位置"))->setText(row->caption);
    auto* easing = controls::find<FlatButton>(m_window, QStringLiteral("超级按钮64"));
    if (easing && easing->isChecked())
        slideIn(vertical, page);
}

void Navigation::showHomeState()
{
    m_currentSection = QStringLiteral("1");
    m_window->sectionBars()->setCurrentIndex(0);
    m_window->contentPages()->setCurrentIndex(0);
    controls::find<QWidget>(m_window, QStringLiteral("图片框4"))->move(0, 10);
    controls::find<QWidget>(m_window, QStringLiteral("图片框61"))->hide();
    colourFirstLevel(m_currentSection);
}

void Navigation::slideIn(bool vertical, int page)
{
    QWidget* content = m_window->contentPages();
    QWidget* location = controls::find<QWidget>(m_window, QStringLiteral("目前位置"));
    QWidget* searchFrame = nullptr;
    if (page == 11)
        searchFrame = controls::find<QWidget>(m_window, QStringLiteral("外形框18"));
    else if (page == 12)
        searchFrame = controls::find<QWidget>(m_window, QStringLiteral("外形框19"));

    const int width = m_window->width();
    const int height = m_window->height();
    if (vertical)
        content->move(content->x(), height);
    else
        content->move(width, content->y());
    location->move(location->x(), height);
    if (searchFrame)
        searchFrame->move(searchFrame->x(), height);

    // One position per timer tick, so the window keeps handling input and painting in between; a
    // new slide replaces one still under way, starting from where the new page enters.
    m_slide = {vertical, 0, searchFrame};
    m_slideTimer->start();
}

void Navigation::slideStep()
{
    QWidget* content = m_window->contentPages();
    QWidget* location = controls::find<QWidget>(m_window, QStringLiteral("目前位置"));
    if (m_slide.vertical)
        content->move(content->x(), easeStep(content->y(), 65));
    else
        content->move(easeStep(content->x(), 206), content->y());
    location->move(location->x(), easeStep(location->y(), 546));
    if (m_slide.searchFrame)
        m_slide.searchFrame->move(m_slide.searchFrame->x(), easeStep(m_slide.searchFrame->y(), 506));
    if (++m_slide.step >= SlideSteps)
        m_slideTimer->stop();
}

bool Navigation::isSliding() const
{
    return m_slideTimer->isActive();
}
