#pragma once

class QWidget;

// Lays out the launch settings page (page 2): the six launch fields with their helpers, the save
// button, crash restart and the server reset.
namespace launchsettingspage {
void build(QWidget* page);
}
