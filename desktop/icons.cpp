// Build-time tool: writes the program icon into a hicolor icon theme tree,
// drawn by the same code that draws the window's icon.
//
//   vesk_icons OUTPUT_FOLDER
//
// The picture is pixel art at 16 and 32 pixels; the larger sizes are whole
// multiples of one of those, blown up without smoothing so the edges stay
// sharp.
#include <QDir>
#include <QImage>
#include <cstdio>

#include "pictures.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const int base = size % 32 == 0 ? 32 : 16;
        QImage image = programImage(base);
        if (size != base)
            image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        const QString folder = out.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString file = folder + QStringLiteral("/org.example.vesk.png");
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "vesk_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
