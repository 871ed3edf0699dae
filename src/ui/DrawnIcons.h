#pragma once

#include <QIcon>
#include <QPixmap>

// Pictures the windows draw themselves, so no image file has to ship with the program.
namespace tw::ui {

// The error window's picture: a red disc with a white cross, side x side logical pixels.
QPixmap errorPicture(int side = 41);

// The help button's glyph: a blue disc with a white question mark.
QIcon helpGlyph();

} // namespace tw::ui
