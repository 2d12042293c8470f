#include "ipList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSaveFile>
#include <algorithm>
#include <iterator>

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

namespace {

// Reads the entries of the list file at path; the system's reason when an
// ordinary file is there and cannot be read, else an empty text.
QString readIpList(const QString& path, QStringList& entries)
{
    if (!QFileInfo(path).isFile())
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QByteArray bytes = file.readAll();
    // readAll gives what it got before a read error; half a list is not
    // the list, so it is dropped.
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    entries = ParseIpList(bytes);
    return QString();
}

QString ipListError(const char* what, const QString& path, const QString& reason)
{
    return QStringLiteral("sorry, can't %1 the ip list\n%2\n%3")
        .arg(QLatin1String(what), QDir::toNativeSeparators(path), reason);
}

}  // namespace

IpListLoad LoadIpList(const QString& path)
{
    IpListLoad load;
    const QString reason = readIpList(path, load.entries);
    if (!reason.isEmpty())
        load.error = ipListError("read", path, reason);
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
    return ipListError("save", path, reason);
}

QStringList MergeIpLists(const QStringList& base, const QStringList& theirs, const QStringList& mine)
{
    QHash<QString, int> inBase, inTheirs, inMine;
    for (const QString& e : base)
        ++inBase[e];
    for (const QString& e : theirs)
        ++inTheirs[e];
    for (const QString& e : mine)
        ++inMine[e];
    // How many copies of each entry the merged list holds. An entry only
    // in the base was deleted on both sides and needs no count.
    QHash<QString, int> copies;
    const auto count = [&](const QString& e) {
        if (copies.contains(e))
            return;
        const int was = inBase.value(e);
        const int theirChange = inTheirs.value(e) - was;
        const int myChange = inMine.value(e) - was;
        int change = theirChange + myChange;
        if (theirChange > 0 && myChange > 0)
            change = std::max(theirChange, myChange);
        else if (theirChange < 0 && myChange < 0)
            change = std::min(theirChange, myChange);
        copies.insert(e, std::max(0, was + change));
    };
    for (const QString& e : mine)
        count(e);
    for (const QString& e : theirs)
        count(e);

    // Mine's own copies first, in mine's order; what only theirs adds goes
    // where an add would put it, behind the entries that are not greater.
    QStringList kept, added;
    kept.reserve(mine.size());
    for (const QString& e : mine) {
        int& left = copies[e];
        if (left > 0) {
            --left;
            kept << e;
        }
    }
    for (const QString& e : theirs) {
        int& left = copies[e];
        if (left > 0) {
            --left;
            added << e;
        }
    }
    if (added.isEmpty())
        return kept;
    // The file may have been put in any order by hand.
    SortIpList(added);
    QStringList merged;
    merged.reserve(kept.size() + added.size());
    // On a tie std::merge takes from the first range, kept.
    std::merge(kept.cbegin(), kept.cend(), added.cbegin(), added.cend(), std::back_inserter(merged), IpListLess);
    return merged;
}

IpListSave SaveIpListFile(const QString& path, const QStringList& base, const QStringList& mine)
{
    IpListSave save;
    // A save takes milliseconds, even of a long list; a window that had to
    // wait longer is better told than frozen.
    constexpr int kLockWaitMs = 2000;
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (!lock.tryLock(kLockWaitMs)) {
        QString reason = QStringLiteral("another vesk is saving it; try again");
        if (lock.error() != QLockFile::LockFailedError) {
            // QLockFile keeps the system's reason to itself: a file made
            // the same way gets it.
            QFile probe(lockPath);
            if (probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                probe.remove();
            reason = QStringLiteral("can't make its lock file %1: %2")
                         .arg(QFileInfo(lockPath).fileName(), probe.errorString());
        }
        save.error = ipListError("save", path, reason);
        return save;
    }
    QStringList theirs;
    // A list that cannot be read cannot be merged; written over, it would
    // be lost.
    const QString reason = readIpList(path, theirs);
    if (!reason.isEmpty()) {
        save.error = ipListError("save", path, reason);
        return save;
    }
    // vesk never removes the file, and an empty one is what deletes leave;
    // a list taken away by hand is made again from this window's list, as
    // a save always did, rather than read as every entry deleted.
    if (!QFileInfo(path).isFile())
        theirs = base;
    QStringList merged = MergeIpLists(base, theirs, mine);
    save.error = WriteIpListFile(path, merged);
    if (save.error.isEmpty())
        save.entries = std::move(merged);
    return save;
}
