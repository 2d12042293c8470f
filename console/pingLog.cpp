#include "pingLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCursor>

#include "basVesk.h"
#include "formats.h"
#include "outside.h"

PingLog::PingLog(Outside& outside) : outside_(outside)
{
    // The log is written by the program only; an undo history of it would
    // just hold a second copy.
    document_.setUndoRedoEnabled(false);
}

QString PingLog::text() const
{
    // The raw text keeps every character the entries hold (toPlainText
    // would turn a no-break space into a blank); only the block breaks
    // stand for the line ends.
    QString text = document_.toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text;
}

PingLog::Limit PingLog::append(const QString& piece, bool autosave)
{
    // Inserting at the end lays out only the new lines; setPlainText would
    // lay out the whole log on every ping.
    QTextCursor end(&document_);
    end.movePosition(QTextCursor::End);
    end.insertText(piece);
    length_ += piece.size();
    nonBlank_ = nonBlank_ || !::isBlank(piece);

    if (length_ <= kLimit)
        return Limit::Within;
    if (autosave && autosaveWaits())
        return Limit::Kept;
    if (autosave && save() == Saved::Failed) {
        // Emptying now would lose the log for good: keep it and try again a
        // minute later. Every try writes the whole kept log, so a try with
        // every line would cost more with each line.
        failedAt_ = outside_.now();
        if (failureTold_)
            return Limit::Kept;
        failureTold_ = true;
        return Limit::AutosaveFailed;
    }
    // The log that autosave could not save is gone, as the user was told;
    // the next one it cannot save is told and tried afresh.
    failureTold_ = false;
    failedAt_ = QDateTime();
    clear();
    return Limit::Emptied;
}

void PingLog::clear()
{
    document_.clear();
    length_ = 0;
    nonBlank_ = false;
}

bool PingLog::autosaveWaits()
{
    if (!failedAt_.isValid())
        return false;
    const QDateTime now = outside_.now();
    // A clock set back is no reason to wait longer.
    return now >= failedAt_ && now < failedAt_.addSecs(60);
}

PingLog::Saved PingLog::save()
{
    if (isBlank())
        return Saved::Nothing;
    // Asked at every save, so a log goes where a save can land now; a
    // failed save names the folder it tried.
    const QDateTime when = outside_.now();
    const Outside::FilesFolder files = outside_.filesFolder();
    Outside::makeFilesFolder(files);
    const QDir folder(files.path);
    // A log file is never replaced: an autosave and a manual save in the
    // same minute, or two windows saving in it, would otherwise leave only
    // the second. The name is taken by making the file, which fails when
    // anything has it already, even another window an instant earlier;
    // asking first whether it exists would leave that instant open.
    QFile file;
    bool opened = false;
    for (int copy = 1;; ++copy) {
        file.setFileName(folder.filePath(logFileName(when, copy)));
        opened = file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        const QFileInfo there(file.fileName());
        if (opened || !(there.exists() || there.isSymLink()))
            break;
    }
    bool written = opened;
    // Opened before the text is copied and converted, so that a folder
    // that takes no file costs no copy of the whole log.
    if (opened) {
        const QByteArray bytes =
            singleByteImage(trimBlanks(text()) + QStringLiteral("\r\n\r\n") + totals_ + QStringLiteral("\r\n"));
        written = file.write(bytes) == bytes.size() && file.flush();
        file.close();
        written = written && file.error() == QFileDevice::NoError;
    }
    const QString path = file.fileName();
    if (!written) {
        lastError_ = QDir::toNativeSeparators(path) + u'\n' + file.errorString();
        // Half a log under the name would pass for the whole log.
        if (opened)
            file.remove();
        return Saved::Failed;
    }
    basVesk::sLogFile = QDir::toNativeSeparators(path).toStdString();
    failureTold_ = false;
    failedAt_ = QDateTime();
    return Saved::Written;
}
