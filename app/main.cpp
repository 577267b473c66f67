#include "app/frm_pelk.h"
#include "app/qt_services.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    pelk::SetUpApplication(app);
    pelk::QtWindowServices services;
    pelk::FrmPelk window(services);
    window.show();
    return QApplication::exec();
}
