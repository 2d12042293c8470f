// The result log without a window: its limit, autosave and its retry, and
// the files it writes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "basVesk.h"
#include "fake_outside.h"
#include "pingLog.h"

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

class PingLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        fake.folder = dir.path();
        basVesk::sLogFile.clear();
    }
    // A result as a ping appends it: two line breaks and a 96-character line.
    PingLog::Limit add() { return log.append("\r\n\r\n" + QString(96, u'x'), autosave); }
    void fillToLimit()
    {
        while (log.length() < PingLog::kLimit)
            ASSERT_EQ(add(), PingLog::Limit::Within);
        ASSERT_EQ(log.length(), PingLog::kLimit);
    }
    QStringList files(const QString& in) const { return QDir(in).entryList({"vesk_*.txt"}, QDir::Files, QDir::Name); }

    QTemporaryDir dir;
    FakeOutside fake;
    PingLog log{fake};
    bool autosave = false;
};

TEST_F(PingLogTest, TheLimitEmptiesTheLogSavedOnlyWhenAutosaveIsTicked)
{
    for (const bool ticked : {false, true}) {
        SCOPED_TRACE(ticked);
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        autosave = ticked;
        const QString totals = "total pings: 321 - timeouts: 0";
        log.setTotals(totals);
        fillToLimit();
        // 32,000 characters are still within the limit; the next line is not.
        EXPECT_EQ(add(), PingLog::Limit::Emptied);
        EXPECT_EQ(log.length(), 0);
        EXPECT_TRUE(log.isBlank());
        EXPECT_TRUE(log.document()->isEmpty());
        ASSERT_EQ(files(dir.path()).size(), ticked ? 1 : 0);
        if (ticked) {
            // The line that set it off is saved too, then the totals.
            const QByteArray saved = readAll(dir.filePath("vesk_2026-12-6_8-15.txt"));
            EXPECT_EQ(saved.size(), PingLog::kLimit + 100 + 4 + totals.size() + 2);
            EXPECT_TRUE(saved.endsWith("x\r\n\r\ntotal pings: 321 - timeouts: 0\r\n"));
        }
    }
}

TEST_F(PingLogTest, FileHoldsTheTrimmedLogAnEmptyLineAndTheTotalsInSingleBytes)
{
    log.append(QString::fromUtf8("\r\n\r\n  1.2.3.4 | caf\u00e9 \u2192 \U0001F600 \u00a0  "), false);
    log.setTotals("total pings: 1");
    ASSERT_EQ(log.save(), PingLog::Saved::Written);
    const QString path = dir.filePath("vesk_2026-12-6_8-15.txt");
    // Blanks around the log go, line breaks and a no-break space stay; a
    // character beyond Latin-1 is one "?".
    EXPECT_EQ(readAll(path), QByteArray("\r\n\r\n  1.2.3.4 | caf\xe9 ? ? \xa0\r\n\r\ntotal pings: 1\r\n"));
    EXPECT_EQ(basVesk::sLogFile, QDir::toNativeSeparators(path).toStdString());
    // The log stays as it was, and its length counts a CR LF as two.
    EXPECT_EQ(log.text(), QString::fromUtf8("\r\n\r\n  1.2.3.4 | caf\u00e9 \u2192 \U0001F600 \u00a0  "));
    EXPECT_EQ(log.length(), log.text().size());
}

TEST_F(PingLogTest, ASaveNeverReplacesAFileOfTheSameMinute)
{
    add();
    const struct {
        QDateTime when;
        const char* name;
    } saves[] = {
        {QDateTime(QDate(2026, 12, 6), QTime(8, 5, 59)), "vesk_2026-12-6_8-5.txt"},
        {QDateTime(QDate(2026, 12, 6), QTime(8, 5, 0)), "vesk_2026-12-6_8-5_2.txt"},
        {QDateTime(QDate(2026, 12, 6), QTime(8, 5, 30)), "vesk_2026-12-6_8-5_3.txt"},
        {QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)), "vesk_2026-12-31_23-59.txt"},
    };
    for (const auto& s : saves) {
        fake.clock = s.when;
        ASSERT_EQ(log.save(), PingLog::Saved::Written);
        EXPECT_EQ(QString::fromStdString(basVesk::sLogFile), QDir::toNativeSeparators(dir.filePath(s.name)));
    }
    EXPECT_EQ(files(dir.path()).size(), 4);
}

TEST_F(PingLogTest, TwoLogsSavedInOneMinuteReplaceNothing)
{
    PingLog other{fake};
    other.append("\r\n\r\nother", false);
    ASSERT_EQ(other.save(), PingLog::Saved::Written);
    QString expected = "vesk_2026-12-6_8-15_2.txt";
#ifndef _WIN32
    // A name that points nowhere is taken too, though nothing exists there.
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath(expected)));
    expected = "vesk_2026-12-6_8-15_3.txt";
#endif
    log.append("\r\n\r\nmine", false);
    ASSERT_EQ(log.save(), PingLog::Saved::Written);
    EXPECT_EQ(QString::fromStdString(basVesk::sLogFile), QDir::toNativeSeparators(dir.filePath(expected)));
    EXPECT_EQ(readAll(dir.filePath("vesk_2026-12-6_8-15.txt")), "\r\n\r\nother\r\n\r\n\r\n");
    EXPECT_EQ(readAll(dir.filePath(expected)), "\r\n\r\nmine\r\n\r\n\r\n");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("nowhere")));
}

TEST_F(PingLogTest, NothingButBlanksIsNothingToSave)
{
    log.append("   ", false);
    EXPECT_TRUE(log.isBlank());
    EXPECT_EQ(log.save(), PingLog::Saved::Nothing);
    EXPECT_TRUE(files(dir.path()).isEmpty());
    log.append("\r\n", false);
    EXPECT_FALSE(log.isBlank());
}

TEST_F(PingLogTest, FailedAutosaveKeepsTheLogTellsOnceAndTriesAgainAMinuteLater)
{
    autosave = true;
    fillToLimit();
    const QString gone = dir.filePath("gone");
    fake.folder = gone;

    EXPECT_EQ(add(), PingLog::Limit::AutosaveFailed);
    EXPECT_EQ(log.length(), PingLog::kLimit + 100);
    const QStringList reason = log.lastError().split(u'\n');
    ASSERT_EQ(reason.size(), 2);
    EXPECT_EQ(reason[0], QDir::toNativeSeparators(gone + "/vesk_2026-12-6_8-15.txt"));
    EXPECT_FALSE(reason[1].isEmpty());

    // Within the minute nothing is tried; at the minute it is, and told no
    // more. A clock set back tries at once.
    const int asked = fake.folderAsked;
    const struct {
        int seconds;
        bool tried;
    } ticks[] = {{1, false}, {59, false}, {60, true}, {61, false}, {119, false}, {120, true}, {100, true}};
    const QDateTime failed = fake.clock;
    int tries = 0;
    for (const auto& t : ticks) {
        SCOPED_TRACE(t.seconds);
        fake.clock = failed.addSecs(t.seconds);
        EXPECT_EQ(add(), PingLog::Limit::Kept);
        tries += t.tried;
        EXPECT_EQ(fake.folderAsked - asked, tries);
    }

    // The folder is back: the next try saves the whole kept log and empties it.
    QDir().mkpath(gone);
    fake.clock = fake.clock.addSecs(60);
    EXPECT_EQ(add(), PingLog::Limit::Emptied);
    ASSERT_EQ(files(gone).size(), 1);
    EXPECT_EQ(readAll(gone + "/" + files(gone)[0]).count("\r\n\r\nxxx"), 320 + 1 + 7 + 1);

    // The next log that cannot be saved is told again.
    fillToLimit();
    QDir(gone).removeRecursively();
    EXPECT_EQ(add(), PingLog::Limit::AutosaveFailed);
    // Unticked, the limit empties the kept log unsaved.
    autosave = false;
    EXPECT_EQ(add(), PingLog::Limit::Emptied);
    autosave = true;
    fillToLimit();
    EXPECT_EQ(add(), PingLog::Limit::AutosaveFailed);
}

}  // namespace
