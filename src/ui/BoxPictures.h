#pragma once

#include <QColor>
#include <QPixmap>

// The message boxes' pictures, drawn in code.
namespace boxpictures {
QPixmap successTick();  // blue tick in a ring
QPixmap failureCross(); // red cross in a ring
QPixmap question();     // the confirmation box's fixed picture
} // namespace boxpictures
