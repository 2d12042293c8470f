// The address list file vesk_ip.ini and the order of the address box.
//
// These routines know nothing of windows: the main window reads the file
// with LoadIpList, sorts what it read with SortIpList, puts each new entry
// where SortedInsertPosition says (QComboBox keeps no sorted order of its
// own for addItem), and writes the whole list back with SaveIpListFile,
// which merges what other windows saved meanwhile (MergeIpLists).
//
// The file is single-byte text, read and written in the code page of
// formats.h. Latin-1 on Linux maps every byte to one character and back, so
// any byte a user put into the file survives a load and a save unchanged; on
// Windows every byte that the ANSI code page defines does.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Splits file bytes into entries. A line ends at CR LF, a lone LF or a lone
// CR; the line end is not part of the entry. An empty line is an empty
// entry, blanks stay, a last line without a line end is an entry, and a
// final line end does not add an empty entry after it.
QStringList ParseIpList(const QByteArray& bytes);

// The order of the address box: ascending text order ignoring case, so
// "10.0.0.2" comes before "9.9.9.9". Entries that compare equal keep the
// order they had (a stable sort), so duplicates stand next to each other.
bool IpListLess(const QString& a, const QString& b);
void SortIpList(QStringList& entries);

// Position at which entry belongs in an already sorted list: after every
// entry that is not greater, so a new duplicate goes behind its twins, just
// as if it had been appended and the list sorted again.
qsizetype SortedInsertPosition(const QStringList& sorted, const QString& entry);

// One line per entry, each ending in CR LF, in the code page; a character
// that the page cannot hold is written as "?".
QByteArray FormatIpList(const QStringList& entries);

struct IpListLoad {
    QStringList entries;  // in file order, not sorted
    QString error;        // empty when the file was read or does not exist
};

// Reads the list file. Anything but an ordinary file at path (nothing at
// all, a folder) reads as an empty list without error; an ordinary file
// that cannot be read gives an error naming the path and the reason.
IpListLoad LoadIpList(const QString& path);

// Replaces the list file with entries, through a temporary file that is
// renamed over the old one only when everything was written, so a failed
// save leaves the old file whole. Returns an empty text on success, else an
// error naming the path and the reason.
QString WriteIpListFile(const QString& path, const QStringList& entries);

// The list a window saves when another window may have saved the same file
// since: base is what this window last read or wrote, theirs the file as
// it is now, mine this window's list. An entry added on either side is
// kept, one deleted on either side is gone unless the other side added it
// again, and the rest stays. Entries are counted, since twins are allowed:
// the same change made on both sides counts once (two windows that each
// added the default entry to an empty list save it once), different
// changes add up. mine is sorted (the order of SortIpList); the result is
// too, with mine's entries in mine's order, so a window that is alone
// gets back exactly its own list.
QStringList MergeIpLists(const QStringList& base, const QStringList& theirs, const QStringList& mine);

struct IpListSave {
    QStringList entries;  // what the file holds now: the merged list, sorted
    QString error;        // empty when it was written
};

// Merges mine into the list file as MergeIpLists does and writes the result
// with WriteIpListFile. A lock file beside the list (its name and
// ".lock") keeps other windows from reading or writing the list in
// between; when it cannot be had within a short wait, or the file cannot
// be read, nothing is written and the error names the path and the reason.
// No file at path counts as the file as base has it.
IpListSave SaveIpListFile(const QString& path, const QStringList& base, const QStringList& mine);
