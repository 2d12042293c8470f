#include "colours.h"

#include <algorithm>
#include <cmath>
#include <utility>

double luminance(const QColor& c)
{
    auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

namespace {

QColor mixed(const QColor& from, const QColor& to, float t)
{
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * t,
                            from.greenF() + (to.greenF() - from.greenF()) * t,
                            from.blueF() + (to.blueF() - from.blueF()) * t);
}

}  // namespace

// Some themes pair the selection colour with a text that is hard to read
// on it (Fusion: white on a mid blue, 3.7:1). Such a pair is pulled apart
// until the caption reads at 4.5:1: the darker colour goes towards black
// and, should that not do, the lighter towards white. The reversed pair
// comes out as the same two colours, swapped.
void makeReadable(QColor& background, QColor& text)
{
    constexpr double kMinimum = 4.5;
    constexpr int kSteps = 20;
    if (contrast(background, text) >= kMinimum)
        return;
    const bool backgroundDarker = luminance(background) <= luminance(text);
    QColor& dark = backgroundDarker ? background : text;
    QColor& light = backgroundDarker ? text : background;
    for (const auto& [colour, end] : {std::pair{&dark, QColor(Qt::black)}, std::pair{&light, QColor(Qt::white)}}) {
        const QColor start = *colour;
        for (int step = 1; step <= kSteps && contrast(dark, light) < kMinimum; ++step)
            *colour = mixed(start, end, float(step) / kSteps);
    }
}
