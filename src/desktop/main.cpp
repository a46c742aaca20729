#include <QApplication>

#include "Application.h"

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    QCoreApplication::setOrganizationName("Pictoform");
    QCoreApplication::setApplicationName("Pictoform");
    QCoreApplication::setApplicationVersion(PICTOFORM_VERSION);
    QGuiApplication::setDesktopFileName("pictoform");
    QApplication::setWindowIcon(pictoform::ProgramIcon());

    pictoform::Application program(QCoreApplication::arguments());
    program.Show();
    return QApplication::exec();
}
