#include <QApplication>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "accessible.h"
#include "commandLine.h"
#include "frmPing.h"
#include "outside.h"
#include "pictures.h"

namespace {

// Without a display Qt aborts in QApplication's constructor; tell the user
// instead. A platform chosen by hand (offscreen, vnc...) needs none.
bool noDisplay()
{
#ifdef Q_OS_LINUX
    const auto unset = [](const char* name) { return qEnvironmentVariableIsEmpty(name); };
    return unset("QT_QPA_PLATFORM") && unset("DISPLAY") && unset("WAYLAND_DISPLAY");
#else
    return false;
#endif
}

// A window program on Windows starts without a console, so what --help,
// --version, a bad option or an ignored argument print would go nowhere.
// They answer in the console the user started vesk from; output sent to a
// file or a pipe stays there.
void answerInParentConsole()
{
#ifdef Q_OS_WIN
    const auto redirected = [](DWORD which) {
        const HANDLE handle = GetStdHandle(which);
        return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    };
    if (redirected(STD_OUTPUT_HANDLE) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    std::FILE* stream = nullptr;
    freopen_s(&stream, "CONOUT$", "w", stdout);
    freopen_s(&stream, "CONOUT$", "w", stderr);
#endif
}

}  // namespace

int main(int argc, char** argv)
{
    // Message boxes take their title from the name, and the per-user data
    // folder is named after it.
    QCoreApplication::setApplicationName(QStringLiteral("vesk"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VESK_VERSION));

    // Read before any window object exists, so that --help and --version
    // need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = ReadCommandLine(arguments);
    if (!line.run || !line.err.isEmpty())
        answerInParentConsole();
    if (const std::optional<int> exitCode = ApplyCommandLine(line))
        return *exitCode;
#ifdef Q_OS_WIN
    // The window goes on without the console it printed to, which could
    // otherwise close it.
    std::fflush(stderr);
    FreeConsole();
#endif
    if (!line.displayNamed && noDisplay()) {
        const bool haveXvfbRun = !QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty();
        std::fputs(NoDisplayHint(arguments, haveXvfbRun).toLocal8Bit().constData(), stderr);
        return 1;
    }

    QApplication app(argc, argv);
    // Wayland compositors match the window to its desktop entry by this.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.vesk"));
    QApplication::setWindowIcon(drawPictures()[kProgramIcon]);
    installAccessibleFactories();
    RealOutside outside;
    outside.setEchoWaitMs(line.timeoutMs);
    frmPing window(outside);
    window.setNotifications(line.notifications);
    window.show();
    return app.exec();
}
