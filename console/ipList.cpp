#include "ipList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include "formats.h"

QStringList ParseIpList(const QByteArray& bytes)
{
    QStringList entries;
    const char* const data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n')
            continue;
        entries << fromSingleByte(data + start, i - start);
        // CR LF is one line end; a CR followed by anything else ends its
        // line alone, and so does an LF.
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        entries << fromSingleByte(data + start, size - start);
    return entries;
}

bool IpListLess(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

void SortIpList(QStringList& entries)
{
    // std::stable_sort is O(n log n) (merge sort with a buffer) and keeps
    // equal entries in file order; QComboBox cannot do either for a list
    // filled with addItem.
    std::stable_sort(entries.begin(), entries.end(), IpListLess);
}

qsizetype SortedInsertPosition(const QStringList& sorted, const QString& entry)
{
    const auto at = std::upper_bound(sorted.cbegin(), sorted.cend(), entry, IpListLess);
    return at - sorted.cbegin();
}

QByteArray FormatIpList(const QStringList& entries)
{
    QByteArray bytes;
    qsizetype size = 0;
    for (const QString& e : entries)
        size += e.size() + 2;
    bytes.reserve(size);
    for (const QString& e : entries) {
        // toLatin1 would write a character outside the BMP, a surrogate
        // pair, as two question marks.
        bytes += singleByteImage(e);
        bytes += "\r\n";
    }
    return bytes;
}

IpListLoad LoadIpList(const QString& path)
{
    IpListLoad load;
    if (!QFileInfo(path).isFile())
        return load;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        load.error = QStringLiteral("sorry, can't read the ip list\n%1\n%2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return load;
    }
    const QByteArray bytes = file.readAll();
    // readAll gives what it got before a read error; half a list is not
    // the list, so it is dropped.
    if (file.error() != QFileDevice::NoError) {
        load.error = QStringLiteral("sorry, can't read the ip list\n%1\n%2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return load;
    }
    load.entries = ParseIpList(bytes);
    return load;
}

QString WriteIpListFile(const QString& path, const QStringList& entries)
{
    QSaveFile file(path);
    const QByteArray bytes = FormatIpList(entries);
    // The bytes go to a temporary file beside the list; commit renames it
    // over the old list only when every byte was written, and otherwise
    // removes it.
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return QString();
    const QString reason = file.errorString();
    file.cancelWriting();
    return QStringLiteral("sorry, can't save the ip list\n%1\n%2").arg(QDir::toNativeSeparators(path), reason);
}
