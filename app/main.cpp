#include <QApplication>
#include <cstdio>
#include <cstdlib>

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
    if (const std::optional<int> exitCode = ApplyCommandLine(line))
        return *exitCode;
    if (!line.displayNamed && noDisplay()) {
        std::fputs("vesk: no display to open its window on (DISPLAY and WAYLAND_DISPLAY are empty).\n"
                   "Start it from a desktop session, or under a virtual X server: xvfb-run -a vesk\n",
                   stderr);
        return 1;
    }

    QApplication app(argc, argv);
    // Wayland compositors match the window to its desktop entry by this.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.vesk"));
    QApplication::setWindowIcon(drawPictures()[kProgramIcon]);
    RealOutside outside;
    frmPing window(outside);
    window.setNotifications(line.notifications);
    window.show();
    return app.exec();
}
