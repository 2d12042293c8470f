#include "addressList.h"

AddressList::AddressList(QObject* parent) : QAbstractListModel(parent) {}

void AddressList::setFolder(const Outside::FilesFolder& folder) { folder_ = folder; }

QString AddressList::filePath() const { return folder_.path + QStringLiteral("/vesk_ip.ini"); }

int AddressList::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(entries_.size()); }

QVariant AddressList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= entries_.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return entries_[index.row()];
}

QString AddressList::load()
{
    IpListLoad load = LoadIpList(filePath());
    SortIpList(load.entries);
    // All rows at once: an insert per line at its sorted place would move
    // the rows behind it every time, quadratic in the lines.
    beginResetModel();
    entries_ = std::move(load.entries);
    endResetModel();
    base_ = entries_;
    return load.error;
}

void AddressList::add(const QString& entry)
{
    // The row arrives with its text: a row that is filled in later would
    // have the box show it when it is the box's current row.
    const int at = int(SortedInsertPosition(entries_, entry));
    beginInsertRows(QModelIndex(), at, at);
    entries_.insert(at, entry);
    endInsertRows();
}

QString AddressList::save()
{
    const IpListSave saved = write(entries_);
    if (saved.error.isEmpty())
        become(saved.entries);
    return saved.error;
}

QString AddressList::removeAndSave(const QString& entry)
{
    QStringList kept = entries_;
    kept.removeAll(entry);
    const IpListSave saved = write(kept);
    if (!saved.error.isEmpty())
        return saved.error;
    // Another window saved meanwhile: the list becomes the file.
    if (saved.entries != kept) {
        become(saved.entries);
        return QString();
    }
    // Left in the list, the entry would go back into the file with the next
    // save, and the deletion would be undone without a word. Twins that
    // differ only in case may stand between exact twins, so the whole list
    // is looked at, from the end so that the rows hold.
    for (int row = int(entries_.size()) - 1; row >= 0; --row) {
        if (entries_[row] != entry)
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        entries_.removeAt(row);
        endRemoveRows();
    }
    return QString();
}

IpListSave AddressList::write(const QStringList& mine)
{
    Outside::makeFilesFolder(folder_);
    IpListSave saved = SaveIpListFile(filePath(), base_, mine);
    if (saved.error.isEmpty())
        base_ = saved.entries;
    return saved;
}

void AddressList::become(const QStringList& entries)
{
    // Alone, a window gets its own list back and its rows stay as they are.
    if (entries == entries_)
        return;
    beginResetModel();
    entries_ = entries;
    endResetModel();
}
