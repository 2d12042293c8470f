#include "pictures.h"

#include <QPainter>

namespace {

// Colours of the standard 16-colour palette.
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kGrey(192, 192, 192);
const QColor kDarkGrey(128, 128, 128);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kYellow(255, 255, 0);

// A raised frame of `depth` rings around r: white light from the top left,
// black shadow at the bottom right, grey between them.
void bevel(QImage& img, QRect r, int depth)
{
    for (int ring = 0; ring < depth; ++ring) {
        const bool outer = ring == 0;
        const QColor light = outer ? kWhite : kGrey;
        const QColor shadow = outer ? kBlack : kDarkGrey;
        for (int x = r.left(); x <= r.right(); ++x) {
            img.setPixelColor(x, r.top(), light);
            img.setPixelColor(x, r.bottom(), shadow);
        }
        for (int y = r.top(); y <= r.bottom(); ++y) {
            img.setPixelColor(r.left(), y, light);
            img.setPixelColor(r.right(), y, shadow);
        }
        r.adjust(1, 1, -1, -1);
    }
}

QImage blank(int size)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

}  // namespace

QImage meterImage(int bars, int size)
{
    QImage img = blank(32);
    bevel(img, img.rect(), 3);
    const QRect field(3, 3, 26, 26);
    QPainter p(&img);
    p.fillRect(field, kYellow);
    for (int bar = 0; bar < bars && bar < 9; ++bar)
        p.fillRect(field.left(), field.bottom() - 1 - 3 * bar, field.width(), 2, kRed);
    p.end();
    if (size == 32)
        return img;
    return img.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage programImage(int size)
{
    QImage img = blank(size);
    const int frame = size >= 32 ? 3 : 2;   // rings of the outer frame
    const int inset = size >= 32 ? 10 : 5;  // where the centre square begins
    const int inner = size >= 32 ? 2 : 1;   // rings of the centre square's frame
    bevel(img, img.rect(), frame);
    QPainter p(&img);
    p.fillRect(img.rect().adjusted(frame, frame, -frame, -frame), kGreen);
    p.end();
    const QRect centre = img.rect().adjusted(inset, inset, -inset, -inset);
    bevel(img, centre, inner);
    QPainter q(&img);
    q.fillRect(centre.adjusted(inner, inner, -inner, -inner), kYellow);
    return img;
}

std::array<QIcon, 11> drawPictures()
{
    std::array<QIcon, 11> icons;
    for (int n = 0; n < kProgramIcon; ++n) {
        icons[n].addPixmap(QPixmap::fromImage(meterImage(n, 16)));
        icons[n].addPixmap(QPixmap::fromImage(meterImage(n, 32)));
    }
    icons[kProgramIcon].addPixmap(QPixmap::fromImage(programImage(16)));
    icons[kProgramIcon].addPixmap(QPixmap::fromImage(programImage(32)));
    return icons;
}
