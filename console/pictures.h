// The window's pictures, drawn in code: meter icons with 0 to 9 red bars
// (indexes 0 to 9) and the program icon (index 10), each at 16 and 32
// pixels, in the colours of the standard 16-colour palette.
#pragma once

#include <QIcon>
#include <QImage>
#include <array>

inline constexpr int kProgramIcon = 10;

// n red bars, two pixels high with one yellow row between two bars, stacked
// from the bottom of a 26-pixel yellow field in a bevelled frame; nine bars
// fill the field. size is 32, or 16 for a scaled-down copy.
QImage meterImage(int bars, int size);

// A bright green square in a bevelled frame with a yellow square, framed
// the same way, in its centre. size is 16 or 32.
QImage programImage(int size);

// imgIcon(0) to imgIcon(10).
std::array<QIcon, 11> drawPictures();
