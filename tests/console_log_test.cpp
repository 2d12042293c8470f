// The result log: its limit, autosave, log files and their names, and the
// buttons that save and clear it.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "console_window.h"

using basVesk::IP_SUCCESS;

class Log : public WindowTest {
protected:
    // Sets the box so that every ping adds exactly `step` characters
    // (two line breaks and the line), and returns that step.
    int fixLineLength(int step)
    {
        ping(IP_SUCCESS, 1);
        const int rest = int(frm->sRisult().size() - frm->cboAddress->currentText().size());
        const QString box = "127.0.0.1 | " + QString(step - 4 - rest - 12, 'x');
        setBox(box);
        return step;
    }
    // Pings until the log holds exactly `length` characters.
    void fillTo(int length)
    {
        while (frm->logText().size() < length)
            ping(IP_SUCCESS, 1);
        ASSERT_EQ(frm->logText().size(), length);
    }
    QStringList logFiles() const
    {
        return QDir(folder.path()).entryList({"vesk_*.txt"}, QDir::Files, QDir::Name);
    }
};

TEST_F(Log, LimitWithoutAutosaveEmptiesUnsaved)
{
    fixLineLength(100);
    fillTo(frmPing::kLogLimit);
    EXPECT_EQ(frm->lblLen->text(), "32,000");
    EXPECT_TRUE(frm->cmdClear->isEnabled());

    ping(IP_SUCCESS, 1);
    EXPECT_TRUE(frm->logText().isEmpty());
    EXPECT_TRUE(frm->txtRisult->toPlainText().isEmpty());
    EXPECT_EQ(frm->lblLen->text(), "000");
    EXPECT_FALSE(frm->cmdClear->isEnabled());
    EXPECT_FALSE(frm->cmdSave->isEnabled());
    EXPECT_TRUE(logFiles().isEmpty());
    EXPECT_EQ(basVesk::lPingTot, 321);
}

TEST_F(Log, LimitWithAutosaveSavesTheLineThatSetItOff)
{
    frm->chkAutoSave->setChecked(true);
    const int step = fixLineLength(100);
    fillTo(frmPing::kLogLimit);
    EXPECT_TRUE(logFiles().isEmpty());
    const QString totalsBefore = frm->lblAvg->text();

    ping(IP_SUCCESS, 1);
    const QString lastLine = frm->sRisult();
    EXPECT_TRUE(frm->logText().isEmpty());
    EXPECT_EQ(frm->lblLen->text(), "000");
    ASSERT_EQ(logFiles(), QStringList{"vesk_2026-12-6_8-15.txt"});
    const QByteArray saved = readFile(folder.filePath("vesk_2026-12-6_8-15.txt"));
    EXPECT_EQ(saved.size(), frmPing::kLogLimit + step + 4 + totalsBefore.size() + 2);
    EXPECT_TRUE(saved.startsWith("\r\n\r\n127.0.0.1 | x"));
    EXPECT_TRUE(saved.endsWith((lastLine + "\r\n\r\n" + totalsBefore + "\r\n").toLatin1()));
    EXPECT_EQ(QString::fromStdString(basVesk::sLogFile), QDir::toNativeSeparators(folder.filePath("vesk_2026-12-6_8-15.txt")));
    EXPECT_TRUE(fake.messages.isEmpty());
}

TEST_F(Log, SaveWritesTheDatedFileAndOpensIt)
{
    fake.clock = QDateTime(QDate(2026, 12, 6), QTime(8, 5, 0));
    ping(IP_SUCCESS, 12);
    frm->cmdSave->click();
    const QString path = folder.filePath("vesk_2026-12-6_8-5.txt");
    ASSERT_TRUE(QFileInfo::exists(path));
    const QByteArray expected = ("\r\n\r\n" + frm->sRisult() + "\r\n\r\n" + frm->lblAvg->text() + "\r\n").toLatin1();
    EXPECT_EQ(readFile(path), expected);
    ASSERT_EQ(fake.openedUrls.size(), 1u);
    EXPECT_EQ(fake.openedUrls[0], QUrl::fromLocalFile(path));
    EXPECT_EQ(basVesk::sLogFile, QDir::toNativeSeparators(path).toStdString());
    // The log stays as it was.
    EXPECT_EQ(frm->logText(), "\r\n\r\n" + frm->sRisult());

    fake.clock = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59));
    frm->cmdSave->click();
    EXPECT_TRUE(QFileInfo::exists(folder.filePath("vesk_2026-12-31_23-59.txt")));
}

TEST_F(Log, SaveInATakenMinuteNeverReplacesAFile)
{
    ping(IP_SUCCESS, 12);
    frm->cmdSave->click();
    const QByteArray first = readFile(folder.filePath("vesk_2026-12-6_8-15.txt"));
    ping(IP_SUCCESS, 13);
    frm->cmdSave->click();
    frm->cmdSave->click();
    EXPECT_EQ(logFiles(), (QStringList{"vesk_2026-12-6_8-15.txt", "vesk_2026-12-6_8-15_2.txt",
                                       "vesk_2026-12-6_8-15_3.txt"}));
    EXPECT_EQ(readFile(folder.filePath("vesk_2026-12-6_8-15.txt")), first);
    EXPECT_EQ(fake.openedUrls.back(), QUrl::fromLocalFile(folder.filePath("vesk_2026-12-6_8-15_3.txt")));

    // An autosave after a manual save in the same minute keeps both too.
    frm->chkAutoSave->setChecked(true);
    while (!frm->logText().isEmpty())
        ping(IP_SUCCESS, 1);
    EXPECT_EQ(logFiles().size(), 4);
}

TEST_F(Log, FileIsLatin1WithTrimmedBlanksAndQuestionMarks)
{
    setBox(QString::fromUtf8("127.0.0.1 | caf\u00e9 \u2192 \U0001F600   "));
    ping(IP_SUCCESS, 12);
    frm->cmdSave->click();
    const QByteArray bytes = readFile(folder.filePath("vesk_2026-12-6_8-15.txt"));
    EXPECT_TRUE(bytes.contains("127.0.0.1 | caf\xe9 ? ?    06/12/2026")) << bytes.toStdString();
    EXPECT_TRUE(bytes.startsWith("\r\n\r\n"));

    // Blanks around the log go; line breaks stay.
    frm->cmdClear->click();
    setBox("  1.2.3.4");
    ping(IP_SUCCESS, 12);
    frm->cmdSave->click();
    EXPECT_TRUE(readFile(folder.filePath("vesk_2026-12-6_8-15_2.txt")).startsWith("\r\n\r\n  1.2.3.4 "));

    // The locale of the moment counts; where it has digits of its own, the
    // file still reads 0 to 9 (the formats: tests/console_texts_test.cpp).
    QLocale::setDefault(QLocale("fa_IR"));
    ping(IP_SUCCESS, 12);
    frm->cmdSave->click();
    EXPECT_TRUE(readFile(QString::fromStdString(basVesk::sLogFile)).contains("1.2.3.4 2026/12/6 8:15:08 - "));
}

TEST_F(Log, FailedAutosaveKeepsTheLogTriesOnceAMinuteAndTellsOnce)
{
    frm->chkAutoSave->setChecked(true);
    const int step = fixLineLength(100);
    fillTo(frmPing::kLogLimit);
    const QString missing = folder.filePath("gone");
    fake.folder = missing;

    const int asked = fake.folderAsked;
    ping(IP_SUCCESS, 1);
    EXPECT_EQ(frm->logText().size(), frmPing::kLogLimit + step);
    ASSERT_EQ(fake.messages.size(), 1);
    EXPECT_TRUE(fake.messages[0].contains(QDir::toNativeSeparators(missing + "/vesk_2026-12-6_8-15.txt")))
        << fake.messages[0].toStdString();
#ifndef _WIN32
    // The system's own words for the reason (Windows has its own).
    EXPECT_TRUE(fake.messages[0].contains("No such file or directory")) << fake.messages[0].toStdString();
#endif

    // Two minutes of a one-second repeat: a try at 60 s and at 120 s only.
    for (int second = 1; second <= 120; ++second) {
        fake.clock = fake.clock.addSecs(1);
        ping(IP_SUCCESS, 1);
    }
    EXPECT_EQ(fake.folderAsked - asked, 3);
    EXPECT_EQ(frm->logText().size(), frmPing::kLogLimit + 121 * step);
    EXPECT_EQ(fake.messages.size(), 1);

    // The folder is back, but the next try is a minute after the last one.
    QDir().mkpath(missing);
    fake.clock = fake.clock.addSecs(59);
    ping(IP_SUCCESS, 1);
    EXPECT_EQ(frm->logText().size(), frmPing::kLogLimit + 122 * step);
    fake.clock = fake.clock.addSecs(1);
    ping(IP_SUCCESS, 1);
    EXPECT_TRUE(frm->logText().isEmpty());
    const QStringList files = QDir(missing).entryList({"vesk_*.txt"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(readFile(missing + "/" + files[0]).count("\r\n\r\n127.0.0.1"), 320 + 123);

    // A save by hand tries at once, and after it worked autosave does too.
    fillTo(frmPing::kLogLimit);
    QDir(missing).removeRecursively();
    ping(IP_SUCCESS, 1);
    EXPECT_EQ(fake.messages.size(), 2);
    QDir().mkpath(missing);
    frm->cmdSave->click();
    EXPECT_EQ(fake.openedUrls.size(), 1u);
    ping(IP_SUCCESS, 1);
    EXPECT_TRUE(frm->logText().isEmpty());

    // Unticking autosave lets the limit empty the log again, as the message
    // said; the next log autosave cannot save is told again.
    fillTo(frmPing::kLogLimit);
    QDir(missing).removeRecursively();
    ping(IP_SUCCESS, 1);
    EXPECT_FALSE(frm->logText().isEmpty());
    EXPECT_TRUE(fake.messages.back().endsWith("unticked, the next ping empties the log unsaved."));
    frm->chkAutoSave->setChecked(false);
    ping(IP_SUCCESS, 1);
    EXPECT_TRUE(frm->logText().isEmpty());
    frm->chkAutoSave->setChecked(true);
    fillTo(frmPing::kLogLimit);
    ping(IP_SUCCESS, 1);
    EXPECT_EQ(fake.messages.size(), 4);
    EXPECT_FALSE(frm->logText().isEmpty());
}

TEST_F(Log, FailedManualSaveIsReportedAndNothingOpens)
{
    ping(IP_SUCCESS, 12);
    fake.folder = folder.filePath("gone");
    frm->cmdSave->click();
    ASSERT_EQ(fake.messages.size(), 1);
    EXPECT_TRUE(fake.messages[0].startsWith("sorry, can't save the log\n"));
    EXPECT_TRUE(fake.messages[0].contains(QDir::toNativeSeparators(fake.folder)));
    EXPECT_TRUE(fake.openedUrls.empty());
    EXPECT_TRUE(basVesk::sLogFile.empty());
    frm->cmdSave->click();
    EXPECT_EQ(fake.messages.size(), 2);
}

TEST_F(Log, ClearEmptiesAndShowsZero)
{
    ping(IP_SUCCESS, 12);
    frm->cmdClear->click();
    EXPECT_TRUE(frm->logText().isEmpty());
    EXPECT_EQ(frm->lblLen->text(), "0");
    EXPECT_FALSE(frm->cmdClear->isEnabled());
    EXPECT_FALSE(frm->cmdSave->isEnabled());
    // Nothing to save: no file, nothing opened.
    frm->cmdSave->click();
    EXPECT_TRUE(logFiles().isEmpty());
    EXPECT_TRUE(fake.openedUrls.empty());
    // The totals are not the log's: they stay.
    EXPECT_FALSE(frm->lblAvg->text().isEmpty());
}

TEST_F(Log, LengthUsesTheLocaleGroups)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    fixLineLength(100);
    fillTo(1100);
    EXPECT_EQ(frm->lblLen->text(), "1.100");
}
