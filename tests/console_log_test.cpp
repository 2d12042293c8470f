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

TEST_F(Log, FileDatesTheLinesInTheLocaleOfTheMoment)
{
    // Where the locale has digits of its own, the file still reads 0 to 9
    // (the formats: tests/console_texts_test.cpp).
    QLocale::setDefault(QLocale("fa_IR"));
    setBox("1.2.3.4");
    ping(IP_SUCCESS, 12);
    frm->cmdSave->click();
    EXPECT_TRUE(readFile(QString::fromStdString(basVesk::sLogFile)).contains("1.2.3.4 2026/12/6 8:15:08 - "));
}

// The limit's rules: tests/console_pinglog_test.cpp. The window tells a
// failed autosave once and can still save by hand.
TEST_F(Log, FailedAutosaveIsToldOnceAndASaveByHandStillWorks)
{
    frm->chkAutoSave->setChecked(true);
    const int step = fixLineLength(100);
    fillTo(frmPing::kLogLimit);
    const QString missing = folder.filePath("gone");
    fake.folder = missing;

    ping(IP_SUCCESS, 1);
    ping(IP_SUCCESS, 1);
    EXPECT_EQ(frm->logText().size(), frmPing::kLogLimit + 2 * step);
    ASSERT_EQ(fake.messages.size(), 1);
    EXPECT_TRUE(fake.messages[0].startsWith("sorry, can't autosave the log\n" +
                                            QDir::toNativeSeparators(missing + "/vesk_2026-12-6_8-15.txt") + "\n"))
        << fake.messages[0].toStdString();
    EXPECT_TRUE(fake.messages[0].endsWith("unticked, the next ping empties the log unsaved."));
#ifndef _WIN32
    // The system's own words for the reason (Windows has its own).
    EXPECT_TRUE(fake.messages[0].contains("No such file or directory")) << fake.messages[0].toStdString();
#endif

    QDir().mkpath(missing);
    frm->cmdSave->click();
    EXPECT_EQ(fake.openedUrls.size(), 1u);
    EXPECT_EQ(fake.messages.size(), 1);
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
