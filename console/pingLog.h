// The result log: its text, its limit, autosave and log files. No widgets:
// the window shows document() in txtRisult and forwards the user's clicks.
//
// The document is the log's only copy. It keeps a line end as one block
// break, so the log counts its length itself, a CR LF as two characters as
// the file holds it, and writes CR LF again when it saves.
//
// Past kLimit characters the log is emptied, saved first when autosave is
// ticked. An autosave that cannot write keeps the log (while autosave stays
// ticked) and tries again a minute later; the first failure of a log is
// told, so that the user can save by hand.
#pragma once

#include <QDateTime>
#include <QString>
#include <QTextDocument>

class Outside;

class PingLog {
public:
    static constexpr qsizetype kLimit = 32000;

    explicit PingLog(Outside& outside);

    QTextDocument* document() { return &document_; }
    // The log with CR LF line ends, as a file gets it.
    QString text() const;
    // Characters, a CR LF counting two.
    qsizetype length() const { return length_; }
    // Holds nothing but blanks (or nothing).
    bool isBlank() const { return !nonBlank_; }

    // What the limit did after a change.
    enum class Limit {
        Within,  // the log stays
        Emptied,  // emptied, saved first when autosave is ticked
        Kept,  // past the limit, kept: autosave waits its minute or failed again
        AutosaveFailed,  // kept: autosave failed for the first time with this log
    };
    // Appends and applies the limit.
    Limit append(const QString& piece, bool autosave);
    void clear();

    // The totals line that closes a saved log.
    void setTotals(const QString& totals) { totals_ = totals; }

    enum class Saved { Nothing, Written, Failed };
    // Writes the trimmed log, an empty line and the totals line, as single
    // bytes with CR LF, to a new vesk_<date>_<time>.txt in the files folder
    // (a name that is taken, even by another window, gets _2, _3, ...; a
    // file is never replaced, and one half written is removed). Written
    // sets basVesk's sLogFile; Failed leaves the reason in lastError().
    Saved save();
    // The path and the system's reason of the last failed save.
    const QString& lastError() const { return lastError_; }

private:
    bool autosaveWaits();

    Outside& outside_;
    QTextDocument document_;
    qsizetype length_ = 0;
    bool nonBlank_ = false;
    QString totals_;
    QString lastError_;
    // An autosave failure is told once, until a save succeeds again.
    bool failureTold_ = false;
    // When autosave last failed; it waits a minute before the next try.
    QDateTime failedAt_;
};
