// Build-time tool: writes the program icon, drawn by the same code that
// draws the window's icon, into a hicolor icon theme tree, or, for Windows,
// into one .ico file holding every size.
//
//   vesk_icons OUTPUT_FOLDER
//   vesk_icons --ico FILE
//
// The picture is pixel art at 16 and 32 pixels; the larger sizes are whole
// multiples of one of those, blown up without smoothing so the edges stay
// sharp.
#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QImage>
#include <QSaveFile>
#include <cstdio>
#include <cstring>

#include "pictures.h"

namespace {

QImage iconImage(int size)
{
    const int base = size % 32 == 0 ? 32 : 16;
    QImage image = programImage(base);
    if (size != base)
        image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return image;
}

bool writeTheme(const QDir& out)
{
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder = out.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString file = folder + QStringLiteral("/org.example.vesk.png");
        if (!QDir().mkpath(folder) || !iconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "vesk_icons: cannot write %s\n", qPrintable(file));
            return false;
        }
    }
    return true;
}

// An .ico is a directory of images; each is stored as PNG, which Windows
// has read in icons since Vista, in the sizes Explorer asks for.
bool writeIco(const QString& path)
{
    QList<QByteArray> pngs;
    const QList<int> sizes{16, 32, 48, 256};
    for (const int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!iconImage(size).save(&buffer, "PNG"))
            return false;
        pngs << png;
    }
    QByteArray ico;
    QDataStream out(&ico, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(sizes.size());  // reserved, icon, count
    quint32 offset = 6 + 16 * sizes.size();
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const quint8 side = sizes[i] >= 256 ? 0 : quint8(sizes[i]);  // 0 stands for 256
        out << side << side << quint8(0) << quint8(0)                // no palette
            << quint16(1) << quint16(32) << quint32(pngs[i].size()) << offset;
        offset += pngs[i].size();
    }
    for (const QByteArray& png : pngs)
        out.writeRawData(png.constData(), int(png.size()));
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(ico) == ico.size() && file.commit())
        return true;
    std::fprintf(stderr, "vesk_icons: cannot write %s: %s\n", qPrintable(QDir::toNativeSeparators(path)),
                 qPrintable(file.errorString()));
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--ico") == 0)
        return writeIco(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n       %s --ico FILE\n", argv[0], argv[0]);
        return 2;
    }
    return writeTheme(QDir(QString::fromLocal8Bit(argv[1]))) ? 0 : 1;
}
