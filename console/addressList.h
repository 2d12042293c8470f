// The address list: the entries of the address box, kept in the order of
// ipList.h (text order, case ignored, twins in the order they came), and
// its file vesk_ip.ini. No widgets: AddressBox shows it as its model.
//
// The file is read once, at start, and written whole by a save or a delete,
// both through save() and the rules of ipList.h.
#pragma once

#include <QString>
#include <QStringList>
#include <QAbstractListModel>

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

    // Writes the list whole; on failure the old file stays whole and the
    // error names the path and the reason.
    QString save();
    // Writes the list without every copy of entry, then takes them out of
    // the list; a write that fails changes neither.
    QString removeAndSave(const QString& entry);

private:
    QString write(const QStringList& entries);

    Outside::FilesFolder folder_;
    QStringList entries_;
};
