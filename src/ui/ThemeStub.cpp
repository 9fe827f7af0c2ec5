// Temporary minimal theme so the window builds; replaced by the full theme implementation.
#include "ui/Theme.h"

#include <QWidget>

namespace theme {
namespace {
ThemeState& state()
{
    static ThemeState s;
    return s;
}
} // namespace
const ThemeState& current() { return state(); }
void selectTheme(QWidget* w, const QString& name)
{
    state() = {name, QColor(83, 217, 157), QColor(255, 128, 192)};
    applyTheme(w, QStringLiteral("1"));
}
void applyTheme(QWidget*, const QString&) {}
void loadThemeStep(QWidget* w) { selectTheme(w, QStringLiteral("绿色")); }
void loadTitleStep(QWidget*) {}
void connectThemeControls(QWidget*, std::function<QString()>) {}
void attachToolWindow(QWidget*) {}
QPixmap plainSectionIcon(int) { return {}; }
QPixmap sectionIcon(int, const QString&) { return {}; }
} // namespace theme
