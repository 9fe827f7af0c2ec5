#pragma once

#include "ui/ThemePictures.h"

#include <QList>
#include <QString>
#include <QStringList>

// Which controls a theme recolours, as data: applying a theme walks these tables and looks each
// control up by name, so a page added later is coloured as soon as its controls exist.
namespace themeroles {

enum class Paint {
    Background,    // picture boxes and bars, or a button's background in all three states
    Text,          // a label's text, or a button's text in all three states
    HoverTextOnly, // a button's hover-state text, the other states keep their colour
};

enum class Tint { Main, Accent };

struct ColourRole {
    Paint paint;
    Tint tint;
    QStringList controls;
};

// A picture of the theme put on a button; Role::None leaves that state's picture as it is.
struct PictureRole {
    QString control;
    themepictures::Role normal;
    themepictures::Role hover;
};

const QList<ColourRole>& mainWindowColours();
const QList<PictureRole>& mainWindowPictures();

// A tool window is recognised by a control only it has; the common roles apply to every tool window.
struct ToolWindowRoles {
    QString recognisedBy;
    QList<ColourRole> colours;
};

const QList<ColourRole>& commonToolWindowColours();
const QList<PictureRole>& commonToolWindowPictures();
const QList<ToolWindowRoles>& toolWindows();

// The ten toggles of the server settings page; they show the "on" switch while checked.
const QStringList& settingsToggles();

} // namespace themeroles
