#pragma once

#include <QColor>
#include <QPixmap>

// The theme's pictures, drawn in code in any colour at twice the device pixel ratio. Each
// (role, colour) pair is drawn once and then served from a cache.
namespace themepictures {

enum class Role {
    None,
    Close,       // 16 x 16
    Minimise,    // 16 x 16
    Unfold,      // 14 x 14, a chevron pointing down
    CheckEmpty,  // 16 x 16
    CheckTicked, // 16 x 16
    Magnifier,   // 18 x 18
    SwitchOn,    // 36 x 20
    SwitchOff,   // 36 x 20
    SectionHome, // 20 x 20, the four section icons of the first-level navigation
    SectionServer,
    SectionFiles,
    SectionDownloads,
};

// A null pixmap for Role::None.
QPixmap picture(Role role, const QColor& colour);

// The grey of the plain pictures shown before a theme applies or on unselected buttons.
QColor plainColour();
inline QPixmap plain(Role role)
{
    return picture(role, plainColour());
}

// Section "1" to "4" as a number; Role::None outside that range.
Role sectionRole(int section);

} // namespace themepictures
