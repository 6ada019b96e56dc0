// The viewer: the application object on a QApplication, started with the file named on
// the command line, if any.
#include <QApplication>
#include <QFile>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "app/Language.h"
#include "app/PlektoApp.h"
#include "cli/Commands.h"
#include "settings/qt/QtSettingsStore.h"

namespace
{
bool IsUiLanguageName(const std::string& value) { return UiLanguageNamed(value).has_value(); }
}  // namespace

// --lang and Qt's own application options, passed on to it; nothing else starts with a dash.
const CCommandSpec ViewerSpec = {
    "",
    "[VIEWER OPTIONS] [FILE]\n       plekto COMMAND [OPTIONS] [FILE...]",
    "Without a command Plekto opens the viewer, with FILE if one is given. The\n"
    "viewer's menus, dialogs and help are Japanese under a Japanese locale\n"
    "(LC_ALL, LC_MESSAGES, LANG or LANGUAGE), else English; --lang chooses.\n"
    "The other viewer options are Qt's own.",
    {{"--lang", 0, "LANG", "The viewer's language: en (English) or ja (Japanese).", IsUiLanguageName,
      "en or ja"},
     {"-platform", 0, "NAME", "Qt's platform plugin (xcb, wayland, offscreen, ...)."},
     {"-display", 0, "DISPLAY", "The X display to use."},
     {"-style", 0, "STYLE", "Qt's widget style."},
     {"-stylesheet", 0, "FILE", "A Qt style sheet."},
     {"-qwindowgeometry", 0, "GEOMETRY", "The main window's size and place (WxH+X+Y)."},
     {"-qwindowtitle", 0, "TITLE", "The main window's title."},
     {"-reverse", 0, nullptr, "Lay the window out right to left."},
     {"-session", 0, "ID", "Restore a session."}},
    0,
    SIZE_MAX,  // more than one is a mistyped command, which the caller reports
};

int RunViewer(const CParsedArgs& args, const char* program)
{
    if (!args.Operands.empty() && args.Operands.front() == "-")
        return UsageError(ViewerSpec, "the viewer opens files by name, not standard input");
#if defined(Q_OS_LINUX)
    // Without a display Qt would abort with a message about platform plugins; say what
    // to do instead. A platform chosen by the user (offscreen, vnc, ...) is respected.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !args.Has("-platform")) {
        std::fputs("plekto: no display to show the viewer on; \"plekto render FILE -o OUT.pdf\" draws a score "
                   "without one (plekto --help)\n",
                   stderr);
        return ExitFailure;
    }
#endif
    // Qt sees its own options only, so a file name can never be taken for one.
    std::vector<std::string> qtArgs = {program};
    for (const auto& [name, value] : args.Values) {
        if (name == "--lang")
            continue;
        qtArgs.push_back(name);
        if (!value.empty() || name != "-reverse")
            qtArgs.push_back(value);
    }
    std::vector<char*> argv;
    for (std::string& arg : qtArgs)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(qtArgs.size());

    QApplication application(argc, argv.data());
    QCoreApplication::setOrganizationName(QStringLiteral("Vellmar"));
    QCoreApplication::setApplicationName(QStringLiteral("Plekto"));
    QStringList files;
    if (!args.Operands.empty())
        files << QFile::decodeName(QByteArray::fromStdString(args.Operands.front()));
    CPlektoApp app(std::make_unique<CQtSettingsStore>());
    if (const auto language = UiLanguageNamed(args.Value("--lang")))
        app.SetUiLanguage(*language);
    if (!app.InitInstance(files, QCoreApplication::applicationFilePath()))
        return ExitFailure;
    return QApplication::exec();
}
