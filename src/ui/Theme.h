#pragma once

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QString>

#include <functional>

class QWidget;

// The colour themes ("绿色", "蓝色", "紫色") and the editable title, stored in panel/rgb.ini.
namespace theme {

struct ThemeState {
    QString name;              // empty until a theme is selected
    QColor main = Qt::black;   // mainColour
    QColor accent = Qt::black; // accentColour
};

// One row of the theme table: the theme, its swatch button on the home page and its colours.
struct ThemeRow {
    QString name;
    QString swatchButton;
    QColor main;
    QColor accent;
};

const QList<ThemeRow>& themeTable();
// The row of a known theme name, or nullptr.
const ThemeRow* findTheme(const QString& name);

// panel/rgb.ini and its keys.
QString settingsPath();
inline const QString ThemeSection = QStringLiteral("主要配色");
inline const QString ThemeKey = QStringLiteral("配色名称");
inline const QString TitleSection = QStringLiteral("开服器标题");
inline const QString TitleKey = QStringLiteral("主标题");

// The theme of the window `widget` belongs to (tool windows that are children of the main window
// share its theme). A window starts unthemed: the empty name and black.
const ThemeState& current(const QWidget* widget);

// Sets the window's theme from the table, stores the name in panel/rgb.ini and recolours the window.
// An unknown name changes nothing.
void selectTheme(QWidget* mainWindow, const QString& name);
// Recolours the main window's controls from the current state; controls not built yet are skipped.
// `currentSection` ("1" to "4") picks the first-level button that shows the main colour.
void applyTheme(QWidget* mainWindow, const QString& currentSection);
// Start-up: the theme step (green when the file is missing or says green, then blue, then purple).
void loadThemeStep(QWidget* mainWindow);
// Start-up: the stored title into 标签1, 编辑框17 and the window caption.
void loadTitleStep(QWidget* mainWindow);
// Wires the swatch buttons 按钮1-3 and the title box 编辑框17 of the home page. `currentSection`
// is asked on every swatch click; it lives as long as the main window.
void connectThemeControls(QWidget* mainWindow, std::function<QString()> currentSection);
// Applies a tool window's colour roles (extra-arguments window, items window) and starts its
// once-a-second re-colouring timer.
// `mainWindow` gives the theme; by default the main window the tool window is a child of.
void attachToolWindow(QWidget* toolWindow, QWidget* mainWindow = nullptr);

// Section icons of the first-level navigation buttons (sections 1 to 4): the plain icon, and the
// icon drawn in the colour of a theme (a null pixmap for an unknown theme name).
QPixmap plainSectionIcon(int section);
QPixmap sectionIcon(int section, const QString& themeName);

} // namespace theme
