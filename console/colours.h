// Colours that must stay readable whatever the desktop's theme pairs.
#pragma once

#include <QColor>

// WCAG 2 relative luminance, and the contrast ratio of two colours (1 to 21).
double luminance(const QColor& colour);
double contrast(const QColor& a, const QColor& b);

// Pulls a caption's colours apart until it reads at 4.5:1 against its
// background, keeping their hues; a pair that reads already is left alone.
void makeReadable(QColor& background, QColor& text);
