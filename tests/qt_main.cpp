#include <QApplication>
#include <QFont>
#include <gtest/gtest.h>
#if __has_include("accessible.h")  // only the programs that link the main window
#include "accessible.h"
#endif

// Widget tests need a QApplication for the whole run; the platform is
// offscreen unless the caller chose another.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
#ifdef Q_OS_WIN
    // Offscreen on Windows knows no font but those in this folder; without
    // it every caption is measured in a made-up font.
    qputenv("QT_QPA_FONTDIR", qgetenv("WINDIR") + "\\Fonts");
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName("vesk");
#if __has_include("accessible.h")
    installAccessibleFactories();
#endif
#ifdef Q_OS_WIN
    // The font the windows platform gives dialogs under wine (Windows
    // itself gives Segoe UI, as wide or narrower).
    QApplication::setFont(QFont(QStringLiteral("Tahoma"), 9));
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
