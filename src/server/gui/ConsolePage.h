#pragma once

class QWidget;

// Lays out the console page (page 1): the console view, the command box, the status lamps and the
// start, stop, restart and force-stop buttons.
namespace consolepage {
void build(QWidget* page);
}
