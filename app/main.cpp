#include <QApplication>

#include "frmPing.h"
#include "outside.h"
#include "pictures.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Message boxes take their title from here.
    QApplication::setApplicationName("vesk");
    QApplication::setWindowIcon(drawPictures()[kProgramIcon]);
    RealOutside outside;
    frmPing window(outside);
    window.show();
    return app.exec();
}
