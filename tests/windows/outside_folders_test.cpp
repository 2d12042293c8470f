// Where vesk.exe keeps its list and logs: beside itself when the user can
// write there, else in %APPDATA%\vesk, and always there under Program Files.
#include <gtest/gtest.h>

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>

#include "../fake_outside.h"

namespace {

TEST(WindowsFolders, ProgramFilesOrAFolderThatCannotBeWrittenIsNotThePlaceForFiles)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const char* const variables[] = {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"};
    QList<QByteArray> saved;
    for (const char* name : variables)
        saved << qgetenv(name);
    const auto restore = qScopeGuard([&] {
        for (int i = 0; i < 3; ++i)
            qputenv(variables[i], saved[i]);
    });
    qputenv("ProgramFiles", QDir::toNativeSeparators(root.filePath("Program Files")).toLocal8Bit());
    qputenv("ProgramFiles(x86)", QDir::toNativeSeparators(root.filePath("Programs32")).toLocal8Bit());
    qunsetenv("ProgramW6432");

    const struct {
        const char* folder;
        bool made;
        bool besideProgram;
    } cases[] = {
        {"unpacked/vesk", true, true},
        {"Program Files/vesk", true, false},
        {"PROGRAM FILES/vesk", true, false},  // Windows names ignore case
        {"Programs32/tools/vesk", true, false},
        {"Program Files Old/vesk", true, true},  // only begins like it
        {"gone", false, false},
    };
    for (const auto& c : cases) {
        const QString folder = root.filePath(c.folder);
        if (c.made) {
            ASSERT_TRUE(QDir().mkpath(folder));
        }
        EXPECT_EQ(OutsideAt(folder).programFolderWritable(), c.besideProgram) << c.folder;
        // The check leaves nothing behind.
        if (c.made) {
            EXPECT_TRUE(QDir(folder).isEmpty()) << c.folder;
        }
    }
    EXPECT_EQ(QDir::fromNativeSeparators(RealOutside().userDataFolder()),
              QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")) + "/vesk");
}

}  // namespace
