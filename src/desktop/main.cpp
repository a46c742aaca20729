#include <QApplication>
#include <QMessageBox>

#include <new>

#include "Application.h"

namespace {

// A step that runs out of memory is abandoned and told in words; the
// program goes on with the user's work open.
class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc&) {
            QMessageBox::warning(activeWindow(), "Pictoform",
                                 "There is not enough memory to finish that; it was stopped "
                                 "part of the way.");
            return false;
        }
    }
};

} // namespace

int main(int argc, char* argv[]) {
    GuardedApplication qt(argc, argv);
    QCoreApplication::setOrganizationName("Pictoform");
    QCoreApplication::setApplicationName("Pictoform");
    QCoreApplication::setApplicationVersion(PICTOFORM_VERSION);
    QGuiApplication::setDesktopFileName("pictoform");
    QApplication::setWindowIcon(pictoform::ProgramIcon());

    pictoform::Application program(QCoreApplication::arguments());
    program.Show();
    program.StartRecovery();
    return QApplication::exec();
}
