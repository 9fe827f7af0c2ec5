#include "ui/Theme.h"

#include "platform/IniFile.h"
#include "platform/RunDirectory.h"
#include "ui/NavigationTable.h"
#include "ui/ThemePictures.h"
#include "ui/ThemeRoles.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/FrameBox.h"

#include <QEvent>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QQueue>
#include <QTimer>

namespace theme {
namespace {

using themeroles::ColourRole;
using themeroles::Paint;
using themeroles::PictureRole;
using themeroles::Tint;

const QColor TitleFrameIdle(236, 236, 236);
const QString BindingName = QStringLiteral("主题控件");
const QString ToolTimerName = QStringLiteral("时钟1");
const char* const ToolAttachedProperty = "themeAttached";

const QString StateHolderName = QStringLiteral("主题状态");

// The theme of one main window, kept on the window itself: a window built anew starts unthemed, and
// two windows never share a choice.
class ThemeStateHolder : public QObject {
public:
    explicit ThemeStateHolder(QObject* window) : QObject(window) { setObjectName(StateHolderName); }
    ThemeState state;
};

// The state of the top-level window `widget` belongs to; tool windows opened as children of the
// main window share its state.
ThemeState& stateOf(const QWidget* widget)
{
    static ThemeState unthemed;
    if (!widget)
        return unthemed = ThemeState{};
    QWidget* top = const_cast<QWidget*>(widget);
    while (top->parentWidget())
        top = top->parentWidget();
    auto* holder = dynamic_cast<ThemeStateHolder*>(
        top->findChild<QObject*>(StateHolderName, Qt::FindDirectChildrenOnly));
    if (!holder)
        holder = new ThemeStateHolder(top);
    return holder->state;
}

// The named controls of one window. A tool window opened as a child of the main window is a window
// of its own: its 超级按钮2 or 标签1 must never be taken for the main window's, so the walk stops
// at nested windows. Breadth first, so the shallowest control of a repeated name wins.
class ControlIndex {
public:
    explicit ControlIndex(QWidget* window)
    {
        if (!window)
            return;
        QQueue<QWidget*> queue;
        queue.enqueue(window);
        while (!queue.isEmpty()) {
            QWidget* widget = queue.dequeue();
            if (!widget->objectName().isEmpty() && !m_controls.contains(widget->objectName()))
                m_controls.insert(widget->objectName(), widget);
            for (QObject* child : widget->children()) {
                auto* childWidget = qobject_cast<QWidget*>(child);
                if (childWidget && !childWidget->isWindow())
                    queue.enqueue(childWidget);
            }
        }
    }

    QWidget* find(const QString& name) const { return m_controls.value(name); }
    template <typename T> T* find(const QString& name) const { return qobject_cast<T*>(find(name)); }

private:
    QHash<QString, QWidget*> m_controls;
};

QColor tintColour(Tint tint, const ThemeState& state)
{
    return tint == Tint::Main ? state.main : state.accent;
}

// True when every state of the button already shows `colour`; the tool windows re-apply their
// roles every second and should not repaint for nothing.
bool allStates(const FlatButton* button, QColor (FlatButton::*colourOf)(FlatButton::State) const,
               const QColor& colour)
{
    for (int s = 0; s < FlatButton::StateCount; ++s)
        if ((button->*colourOf)(static_cast<FlatButton::State>(s)) != colour)
            return false;
    return true;
}

// A picture box paints its own background; any other widget shows its palette only when filling.
bool hasOwnBackground(const QWidget* control)
{
    return control->property("backgroundColor").isValid() || control->autoFillBackground();
}

void paintControl(QWidget* control, Paint paint, const QColor& colour)
{
    auto* button = qobject_cast<FlatButton*>(control);
    switch (paint) {
    case Paint::Background:
        if (button ? !allStates(button, &FlatButton::backgroundColor, colour)
                   : controls::backgroundColor(control) != colour || !hasOwnBackground(control))
            controls::setBackgroundColor(control, colour);
        break;
    case Paint::Text:
        if (button ? !allStates(button, &FlatButton::textColor, colour)
                   : controls::textColor(control) != colour)
            controls::setTextColor(control, colour);
        break;
    case Paint::HoverTextOnly:
        if (button && button->textColor(FlatButton::Hover) != colour)
            button->setTextColor(FlatButton::Hover, colour);
        break;
    }
}

void applyColours(const ControlIndex& index, const QList<ColourRole>& roles, const ThemeState& state)
{
    for (const ColourRole& role : roles) {
        const QColor colour = tintColour(role.tint, state);
        for (const QString& name : role.controls)
            if (QWidget* control = index.find(name))
                paintControl(control, role.paint, colour);
    }
}

void applyPictures(const ControlIndex& index, const QList<PictureRole>& roles, const QColor& colour)
{
    for (const PictureRole& role : roles) {
        auto* button = index.find<FlatButton>(role.control);
        if (!button)
            continue;
        if (role.normal != themepictures::Role::None)
            button->setPicture(themepictures::picture(role.normal, colour));
        if (role.hover != themepictures::Role::None)
            button->setHoverPicture(themepictures::picture(role.hover, colour));
    }
}

void applyToolWindow(QWidget* toolWindow, const ThemeState& state)
{
    const ControlIndex index(toolWindow);
    applyColours(index, themeroles::commonToolWindowColours(), state);
    for (const themeroles::ToolWindowRoles& window : themeroles::toolWindows()) {
        if (index.find(window.recognisedBy)) {
            applyColours(index, window.colours, state);
            break;
        }
    }
    if (findTheme(state.name))
        applyPictures(index, themeroles::commonToolWindowPictures(), state.main);
}

void showTitle(QWidget* mainWindow, const QString& title)
{
    if (auto* label = ControlIndex(mainWindow).find<QLabel>(QStringLiteral("标签1")))
        label->setText(title);
    mainWindow->setWindowTitle(title);
}

// Lives on the main window once the home page's theme controls are wired: remembers how to ask for
// the current section, and watches the title box's focus.
class ThemeBinding : public QObject {
public:
    ThemeBinding(QWidget* mainWindow, std::function<QString()> currentSection)
        : QObject(mainWindow), m_window(mainWindow), m_currentSection(std::move(currentSection))
    {
        setObjectName(BindingName);
    }

    void setCurrentSection(std::function<QString()> currentSection)
    {
        m_currentSection = std::move(currentSection);
    }
    QString currentSection() const { return m_currentSection ? m_currentSection() : QStringLiteral("1"); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            if (auto* frame = ControlIndex(m_window).find<FrameBox>(QStringLiteral("外形框28")))
                frame->setLineColor(event->type() == QEvent::FocusIn ? stateOf(m_window).main
                                                                     : TitleFrameIdle);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_window;
    std::function<QString()> m_currentSection;
};

ThemeBinding* binding(QWidget* mainWindow)
{
    return dynamic_cast<ThemeBinding*>(
        mainWindow->findChild<QObject*>(BindingName, Qt::FindDirectChildrenOnly));
}

QString storedThemeName()
{
    return ini::readValue(settingsPath(), ThemeSection, ThemeKey);
}

} // namespace

const QList<ThemeRow>& themeTable()
{
    static const QList<ThemeRow> rows = {
        {QStringLiteral("绿色"), QStringLiteral("按钮1"), QColor(83, 217, 157), QColor(255, 128, 192)},
        {QStringLiteral("蓝色"), QStringLiteral("按钮2"), QColor(76, 184, 255), QColor(255, 83, 77)},
        {QStringLiteral("紫色"), QStringLiteral("按钮3"), QColor(210, 166, 255), QColor(255, 175, 96)},
    };
    return rows;
}

const ThemeRow* findTheme(const QString& name)
{
    for (const ThemeRow& row : themeTable())
        if (row.name == name)
            return &row;
    return nullptr;
}

QString settingsPath()
{
    return rundir::join(QStringLiteral("panel/rgb.ini"));
}

const ThemeState& current(const QWidget* widget)
{
    return stateOf(widget);
}

void selectTheme(QWidget* mainWindow, const QString& name)
{
    const ThemeRow* row = findTheme(name);
    if (!row)
        return;
    stateOf(mainWindow) = ThemeState{row->name, row->main, row->accent};
    // A failed write goes unnoticed on purpose: the colours change anyway and the old choice comes
    // back at the next start.
    ini::writeValue(settingsPath(), ThemeSection, ThemeKey, row->name);
    if (!mainWindow)
        return;
    const ThemeBinding* wired = binding(mainWindow);
    applyTheme(mainWindow, wired ? wired->currentSection() : QStringLiteral("1"));
}

void applyTheme(QWidget* mainWindow, const QString& currentSection)
{
    if (!mainWindow)
        return;
    const ControlIndex index(mainWindow);
    const ThemeState& theme = stateOf(mainWindow);
    applyColours(index, themeroles::mainWindowColours(), theme);

    // Pictures and swatch captions belong to a known theme; otherwise the design-time ones stay.
    if (findTheme(theme.name)) {
        applyPictures(index, themeroles::mainWindowPictures(), theme.main);
        for (const ThemeRow& row : themeTable())
            if (auto* swatch = index.find<FlatButton>(row.swatchButton))
                swatch->setText(row.name == theme.name ? QStringLiteral("S") : QString());
    }

    // Only the first-level button of the current section follows the theme here; the selected
    // second-level button keeps its colour until the next navigation click recolours it.
    for (const nav::SectionRow& row : nav::sections()) {
        if (row.number != currentSection)
            continue;
        if (auto* button = index.find<FlatButton>(row.buttonName)) {
            button->setTextColor(theme.main);
            const QPixmap icon = sectionIcon(row.number.toInt(), theme.name);
            if (!icon.isNull())
                button->setPicture(icon);
        }
        if (QWidget* marker = index.find(QStringLiteral("图片框4")))
            marker->move(marker->x(), row.markerTop);
    }
}

void loadThemeStep(QWidget* mainWindow)
{
    if (!QFileInfo::exists(settingsPath()) || storedThemeName() == u"绿色")
        selectTheme(mainWindow, QStringLiteral("绿色"));
    if (storedThemeName() == u"蓝色")
        selectTheme(mainWindow, QStringLiteral("蓝色"));
    if (storedThemeName() == u"紫色")
        selectTheme(mainWindow, QStringLiteral("紫色"));
}

void loadTitleStep(QWidget* mainWindow)
{
    if (!mainWindow)
        return;
    const QString title = ini::readValue(settingsPath(), TitleSection, TitleKey);
    if (auto* edit = ControlIndex(mainWindow).find<QLineEdit>(QStringLiteral("编辑框17")))
        edit->setText(title);
    showTitle(mainWindow, title);
    // The title box's change handler stores the text, and the start-up step counts as a change;
    // but QLineEdit reports no change when the text stays the same (empty at a first start), so the
    // store is done here as well. An unchanged file is not rewritten.
    ini::writeValue(settingsPath(), TitleSection, TitleKey, title);
}

void connectThemeControls(QWidget* mainWindow, std::function<QString()> currentSection)
{
    if (!mainWindow)
        return;
    if (ThemeBinding* existing = binding(mainWindow)) {
        existing->setCurrentSection(std::move(currentSection));
        return;
    }
    auto* wired = new ThemeBinding(mainWindow, std::move(currentSection));
    const ControlIndex index(mainWindow);

    for (const ThemeRow& row : themeTable()) {
        auto* swatch = index.find<FlatButton>(row.swatchButton);
        if (!swatch)
            continue;
        const QString name = row.name;
        QObject::connect(swatch, &FlatButton::clicked, wired,
                         [mainWindow, name] { selectTheme(mainWindow, name); });
    }

    if (auto* title = index.find<QLineEdit>(QStringLiteral("编辑框17"))) {
        QObject::connect(title, &QLineEdit::textChanged, wired, [mainWindow](const QString& text) {
            showTitle(mainWindow, text);
            ini::writeValue(settingsPath(), TitleSection, TitleKey, text);
        });
        title->installEventFilter(wired);
    }
}

void attachToolWindow(QWidget* toolWindow, QWidget* mainWindow)
{
    if (!toolWindow)
        return;
    const QPointer<QWidget> source = mainWindow ? mainWindow : toolWindow;
    applyToolWindow(toolWindow, stateOf(source));
    if (toolWindow->property(ToolAttachedProperty).toBool())
        return;
    toolWindow->setProperty(ToolAttachedProperty, true);

    // The items window brings its own 时钟1 for this; any other tool window gets one.
    auto* timer = toolWindow->findChild<QTimer*>(ToolTimerName, Qt::FindDirectChildrenOnly);
    if (!timer) {
        timer = new QTimer(toolWindow);
        timer->setObjectName(ToolTimerName);
    }
    timer->setInterval(1000);
    QObject::connect(timer, &QTimer::timeout, toolWindow, [toolWindow, source] {
        if (source)
            applyToolWindow(toolWindow, stateOf(source));
    });
    timer->start();
}

QPixmap plainSectionIcon(int section)
{
    return themepictures::plain(themepictures::sectionRole(section));
}

QPixmap sectionIcon(int section, const QString& themeName)
{
    const ThemeRow* row = findTheme(themeName);
    if (!row)
        return {};
    return themepictures::picture(themepictures::sectionRole(section), row->main);
}

} // namespace theme
