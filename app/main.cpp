#include <QApplication>

#include "frmPing.h"
#include "outside.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("vesk");
    RealOutside outside;
    frmPing window(outside);
    window.show();
    return app.exec();
}
