#pragma once

class QWidget;

// Lays out the home page (page 0): the console language frame, the counters and the launcher
// settings frame (autostart, title, colour theme, easing).
namespace homepage {
void build(QWidget* page);
}
