// The viewer: the application object on a QApplication, started with the file named on
// the command line, if any.
#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <memory>

#include "app/PlektoApp.h"
#include "cli/Commands.h"
#include "settings/qt/QtSettingsStore.h"

int RunViewer(int argc, char** argv)
{
#if defined(Q_OS_LINUX)
    // Without a display Qt would abort with a message about platform plugins; say what
    // to do instead. A platform chosen by the user (offscreen, vnc, ...) is respected.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("plekto: no display to show the viewer on; \"plekto render FILE -o OUT.pdf\" draws a score "
                   "without one (plekto --help)\n",
                   stderr);
        return 1;
    }
#endif
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vellmar"));
    QCoreApplication::setApplicationName(QStringLiteral("Plekto"));
    // Qt's own options (-platform, -style, ...) are gone from arguments() by now.
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    CPlektoApp app(std::make_unique<CQtSettingsStore>());
    if (!app.InitInstance(arguments, QCoreApplication::applicationFilePath()))
        return 1;
    return QApplication::exec();
}
