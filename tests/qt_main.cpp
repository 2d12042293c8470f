#include <QApplication>
#include <gtest/gtest.h>

// Widget tests need a QApplication for the whole run; the platform is
// offscreen unless the caller chose another.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationName("vesk");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
