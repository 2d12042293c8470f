// The address list: the entries of the address box, kept in the order of
// ipList.h (text order, case ignored, twins in the order they came), and
// its file vesk_ip.ini. No widgets: AddressBox shows it as its model.
//
// The file is read at start and written whole by a save or a delete, which
// merge what other windows saved meanwhile (MergeIpLists) and then show
// what the file holds.
#pragma once

#include <QString>
#include <QStringList>
#include <QAbstractListModel>

#include "ipList.h"
#include "outside.h"

class AddressList : public QAbstractListModel {
    Q_OBJECT
public:
    explicit AddressList(QObject* parent = nullptr);

    // Where the list file lives; the per-user folder is made on the first
    // save.
    void setFolder(const Outside::FilesFolder& folder);
    QString filePath() const;

    // Reads the file and sorts it; an error names the path and the reason,
    // and the list is then empty.
    QString load();
    // The entry goes behind every entry that is not greater, so a twin
    // joins the end of its twins.
    void add(const QString& entry);
    const QStringList& entries() const { return entries_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Merges the list into the file and writes it whole, then holds what
    // the file holds; on failure the old file stays whole, the list stays,
    // and the error names the path and the reason.
    QString save();
    // The same with every copy of entry taken out of this list first; a
    // write that fails changes neither.
    QString removeAndSave(const QString& entry);

private:
    IpListSave write(const QStringList& mine);
    void become(const QStringList& entries);

    Outside::FilesFolder folder_;
    QStringList entries_;
    // What this list last read from the file or wrote to it: the base of
    // the merge with what other windows wrote since.
    QStringList base_;
};
