// The viewer: the application object on a QApplication, started with the file named on
// the command line, if any.
#include <QApplication>
#include <QStringList>
#include <memory>

#include "app/PlektoApp.h"
#include "cli/Commands.h"
#include "settings/qt/QtSettingsStore.h"

int RunViewer(int argc, char** argv)
{
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
