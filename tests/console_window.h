// Shared set-up of the main window tests: a fresh window per test on the
// fake outside world, a pinned locale (short date day/month/year, long time
// hours:minutes:seconds, comma groups), a temporary program folder and the
// probe's module variables back at their start values.
#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "basVesk.h"
#include "fake_outside.h"
#include "frmPing.h"

// Test files beside the program, written and read whole.
inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// vesk's own messages about a file: what failed, the path as the user
// writes paths, and the system's reason, each on a line of its own.
inline void expectMessageShape(const QString& message, const QString& first, const QString& path)
{
    const QStringList lines = message.split(u'\n');
    ASSERT_EQ(lines.size(), 3) << message.toStdString();
    EXPECT_EQ(lines[0], first);
    EXPECT_EQ(lines[1], QDir::toNativeSeparators(path));
    EXPECT_FALSE(lines[2].trimmed().isEmpty()) << message.toStdString();
    EXPECT_FALSE(message.contains(u'\r')) << message.toStdString();
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        basVesk::lPingTot = basVesk::lTimeOut = basVesk::lPingOk = basVesk::lMsTot = 0;
        basVesk::lLastMs = 0;
        basVesk::sLogFile.clear();
        ASSERT_TRUE(folder.isValid());
        fake.folder = folder.path();
        frm = std::make_unique<frmPing>(fake);
    }
    void TearDown() override
    {
        frm.reset();
        QLocale::setDefault(QLocale::c());
    }

    // The box text, as if typed.
    void setBox(const QString& text) { frm->cboAddress->setEditText(text); }

    // One ping that the echo backend answers with status and round trip.
    void ping(std::int32_t status, std::int32_t ms)
    {
        fake.replies.push_back({status, ms});
        frm->PingOnce();
    }

    // A tick of the repeat timer, delivered now instead of after a second.
    void tick() { QMetaObject::invokeMethod(frm->Timer1, "timeout", Qt::DirectConnection); }

    // Index of the lit cell of lblPing, or -1 when none is lit.
    int litCell() const
    {
        int lit = -1;
        for (int i = 0; i < 10; ++i)
            if (frm->lblPing[i]->palette().color(QPalette::Window) != frm->palette().color(QPalette::Button))
                lit = lit == -1 ? i : -2;
        return lit;
    }

    FakeOutside fake;
    QTemporaryDir folder;
    std::unique_ptr<frmPing> frm;
};
