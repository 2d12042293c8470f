// RealOutside itself, which every window test replaces with the fake: the
// program's folder and whether vesk keeps its files there, the per-user
// folder, the program's path when started through a link, and the message
// boxes as Qt shows them (offscreen).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unistd.h>

#include "fake_outside.h"

namespace {

constexpr const char* kChildVariable = "VESK_OUTSIDE_CHILD";

// Started with kChildVariable set, this program prints what RealOutside
// says of it, one answer a line, and leaves before any test runs.
const bool kIsChild = [] {
    if (std::getenv(kChildVariable) == nullptr)
        return false;
    static int argc = 1;
    static char name[] = "outside_tests";
    static char* argv[] = {name, nullptr};
    const QCoreApplication app(argc, argv);
    RealOutside outside;
    std::printf("%s\n%s\n", qPrintable(outside.programPath()), qPrintable(outside.programFolder()));
    std::fflush(stdout);
    std::_Exit(0);
}();

// The running test program's file, as the kernel knows it.
QString thisProgram() { return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath(); }

// Root may write wherever the modes say it may not, and access(2) asks on
// behalf of the real user: for root, the code within runs as nobody, real
// and effective, with root kept as the saved user to come back to.
class AsNobody {
public:
    AsNobody() : root_(getuid() == 0)
    {
        if (root_ && setresuid(65534, 65534, 0) != 0)
            ADD_FAILURE() << "setresuid";
    }
    ~AsNobody()
    {
        if (root_ && setresuid(0, 0, 0) != 0)
            ADD_FAILURE() << "setresuid back";
    }
    AsNobody(const AsNobody&) = delete;
    AsNobody& operator=(const AsNobody&) = delete;

private:
    bool root_;
};

// Sets an environment variable until the guard goes.
auto withVariable(const char* name, const QByteArray& value)
{
    const bool had = qEnvironmentVariableIsSet(name);
    const QByteArray old = qgetenv(name);
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
    return qScopeGuard([=] { had ? qputenv(name, old) : qunsetenv(name); });
}

// Once the next message box is open: look at it, then answer it. Whatever
// else opened instead is closed, so that the test ends.
void answerNextBox(std::function<void(QMessageBox*)> look, std::function<void(QMessageBox*)> answer)
{
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            ADD_FAILURE() << "no message box";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        look(box);
        answer(box);
    });
}

}  // namespace

// --------------------------------------------------------- the folders ---

TEST(RealFolders, BuildTreeKeepsItsFilesBesideTheProgram)
{
    RealOutside outside;
    EXPECT_EQ(outside.programFolder(), QFileInfo(thisProgram()).path());
    // A copy run where it was built or unpacked: no menu entry of an
    // install beside it, and a folder the user may write to.
    EXPECT_TRUE(outside.programFolderWritable());
}

TEST(RealFolders, InstallTreeOrReadOnlyFolderIsNotThePlaceForFiles)
{
    QTemporaryDir tree;
    ASSERT_TRUE(tree.isValid());
    const QString bin = tree.filePath("bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                          QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(tree.path(), readOnly | QFileDevice::WriteOwner));
    OutsideAt outside(bin);
    EXPECT_TRUE(outside.programFolderWritable());

    // The install puts the menu entry in share/applications beside bin;
    // found there, the tree is an install at whatever prefix, even for root.
    const QString applications = tree.filePath("share/applications");
    ASSERT_TRUE(QDir().mkpath(applications));
    QFile entry(applications + "/org.example.vesk.desktop");
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.close();
    EXPECT_FALSE(outside.programFolderWritable());
    // Another program's entry says nothing about vesk.
    ASSERT_TRUE(entry.rename(applications + "/org.example.other.desktop"));
    EXPECT_TRUE(outside.programFolderWritable());

    // A folder the user may not write to, and no folder at all.
    ASSERT_TRUE(QFile::setPermissions(bin, readOnly));
    {
        const AsNobody nobody;
        EXPECT_FALSE(outside.programFolderWritable());
    }
    ASSERT_TRUE(QFile::setPermissions(bin, readOnly | QFileDevice::WriteOwner | QFileDevice::WriteGroup |
                                               QFileDevice::WriteOther));
    {
        const AsNobody nobody;
        EXPECT_TRUE(outside.programFolderWritable()) << "only the mode kept nobody out";
    }
    EXPECT_FALSE(OutsideAt(tree.filePath("gone")).programFolderWritable());
}

TEST(RealFolders, PerUserFolderFollowsXdgDataHomeAndIsNotMade)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    // Named after the application, as main() names it.
    ASSERT_EQ(QCoreApplication::applicationName(), "vesk");
    const auto homeGuard = withVariable("HOME", home.path().toLocal8Bit());
    {
        const auto xdgGuard = withVariable("XDG_DATA_HOME", home.filePath("data").toLocal8Bit());
        EXPECT_EQ(RealOutside().userDataFolder(), home.filePath("data/vesk"));
    }
    {
        const auto xdgGuard = withVariable("XDG_DATA_HOME", QByteArray());
        EXPECT_EQ(RealOutside().userDataFolder(), home.filePath(".local/share/vesk"));
    }
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

// --------------------------------------------- the program through a link ---

// setcap acts on the file itself and refuses a link: the path that the
// socket advice names is the program's file, and the folder its files go
// beside is that file's folder.
TEST(RealProgram, StartedThroughALinkNamesItsOwnFile)
{
    QTemporaryDir links;
    ASSERT_TRUE(links.isValid());
    const QString link = links.filePath("my tools/vesk");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(link).path()));
    ASSERT_TRUE(QFile::link(thisProgram(), link));

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kChildVariable, "1");
    child.setProcessEnvironment(environment);
    child.start(link, {});
    ASSERT_TRUE(child.waitForFinished(30000)) << child.errorString().toStdString();
    const QStringList lines = QString::fromLocal8Bit(child.readAllStandardOutput()).split('\n');
    ASSERT_GE(lines.size(), 2) << child.readAllStandardError().toStdString();
    EXPECT_EQ(lines[0], thisProgram());
    EXPECT_EQ(lines[1], QFileInfo(thisProgram()).path());
}

// ----------------------------------------------------- the message boxes ---

TEST(RealMessages, MessageHasOnlyOkAndTheWarningIconWhenAskedFor)
{
    for (const bool exclamation : {false, true}) {
        SCOPED_TRACE(exclamation ? "exclamation" : "plain");
        bool seen = false;
        answerNextBox(
            [&](QMessageBox* box) {
                seen = true;
                EXPECT_EQ(box->windowTitle(), "vesk");
                EXPECT_EQ(box->text(), "ip field is mandatory !");
                EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
                EXPECT_EQ(box->icon(), exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
            },
            [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        RealOutside().message(nullptr, "ip field is mandatory !", exclamation);
        EXPECT_TRUE(seen);
    }
}

TEST(RealMessages, QuestionHasYesAsDefaultAndEscAsCancel)
{
    using Answer = Outside::Answer;
    const std::pair<std::function<void(QMessageBox*)>, Answer> cases[] = {
        {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }, Answer::Yes},
        {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, Answer::Cancel},
        {[](QMessageBox* box) { box->button(QMessageBox::No)->click(); }, Answer::No},
    };
    for (const auto& [answer, expected] : cases) {
        answerNextBox(
            [](QMessageBox* box) {
                EXPECT_EQ(box->windowTitle(), "vesk");
                EXPECT_EQ(box->text(), "delete ?\r\n10.0.0.1");
                EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
                EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
                EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
            },
            answer);
        EXPECT_EQ(RealOutside().askYesNoCancel(nullptr, "delete ?\r\n10.0.0.1"), expected) << int(expected);
    }
}
