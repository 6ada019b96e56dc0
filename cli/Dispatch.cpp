// The top of the command line: a known command word runs that command; anything else is
// the viewer's form, "plekto [VIEWER OPTIONS] [FILE]".
#include <cstdio>
#include <string_view>

#include "cli/Commands.h"

namespace
{
struct CCommand
{
    const CCommandSpec& Spec;
    int (*Run)(const CParsedArgs& args);
};

const CCommand Commands[] = {
    {DumpSpec, RunDump},
    {CheckSpec, RunCheck},
    {RenderSpec, RunRender},
    {TraceSpec, RunTrace},
    {LspSpec, RunLsp},
};

const CCommand* FindCommand(std::string_view name)
{
    for (const CCommand& command : Commands)
        if (name == command.Spec.Name)
            return &command;
    return nullptr;
}

std::string CommandNames()
{
    std::string names;
    for (const CCommand& command : Commands)
        names += std::string(command.Spec.Name) + ", ";
    return names + "help";
}
}  // namespace

std::string UsageText()
{
    std::string text = "Usage: plekto [VIEWER OPTIONS] [FILE]\n"
                       "       plekto COMMAND [OPTIONS] FILE...\n"
                       "       plekto help [COMMAND] | --help | --version\n\n"
                       "Plekto shows guitar tablature written in its token notation (*.tab, *.txt).\n"
                       "Without a command it opens the viewer, with FILE if one is given. The\n"
                       "viewer is in Japanese under a Japanese locale (LC_ALL, LC_MESSAGES, LANG or\n"
                       "LANGUAGE), else in English; --lang en|ja before or after FILE chooses.\n\n"
                       "Commands:\n";
    for (const CCommand& command : Commands) {
        text += std::string("  ") + command.Spec.Name + " " + command.Spec.Operands + "\n";
        std::string_view summary = command.Spec.Summary;
        // The first sentence of the command's own help.
        const std::size_t stop = summary.find(". ");
        summary = summary.substr(0, stop == std::string_view::npos ? summary.size() : stop + 1);
        std::string indented = "      ";
        for (const char c : summary)
            indented += c == '\n' ? std::string("\n      ") : std::string(1, c);
        text += indented + "\n";
    }
    text += "\nConventions of every command:\n"
            "  --name VALUE and --name=VALUE; options before or after the files; \"--\" ends\n"
            "  the options. \"-\" as FILE reads standard input; \"-o -\" writes standard output.\n"
            "  -h, --help shows the command's own help. --defaults uses the built-in\n"
            "  settings instead of the user's stored ones. render, dump and trace print one\n"
            "  line on standard error when the score has problems; --strict makes errors\n"
            "  fail the command. Outputs are replaced whole or not at all.\n"
            "\nExit status: 0 success; 1 a file could not be read or written, or (check)\n"
            "errors were found; 2 wrong usage.\n";
    return text;
}

int RunPlekto(int argc, char** argv)
{
    const CArgs args(argv + 1, argv + argc);
    if (!args.empty()) {
        const std::string& first = args.front();
        const CArgs rest(args.begin() + 1, args.end());
        if (first == "--help" || first == "-h" || (first == "help" && rest.empty())) {
            std::fputs(UsageText().c_str(), stdout);
            return FinishStandardOutput("help", ExitSuccess);
        }
        if (first == "--version") {
            std::fputs(VersionText, stdout);
            return FinishStandardOutput("--version", ExitSuccess);
        }
        if (first == "help") {
            const CCommand* command = rest.size() == 1 ? FindCommand(rest.front()) : nullptr;
            if (!command) {
                std::fprintf(stderr, "plekto help: no such command: %s; the commands are %s\n",
                             rest.front().c_str(), CommandNames().c_str());
                return ExitUsage;
            }
            std::fputs(CommandHelp(command->Spec).c_str(), stdout);
            return FinishStandardOutput("help", ExitSuccess);
        }
        if (const CCommand* command = FindCommand(first)) {
            CParsedArgs parsed;
            const int status = ParseArgs(command->Spec, rest, parsed);
            if (status >= 0)
                return FinishStandardOutput(command->Spec.Name, status);
            return command->Run(parsed);
        }
    }
    // The viewer's form. A first word followed by more than viewer options is a mistyped
    // command, not a file: nothing opens and nothing is stored.
    CParsedArgs parsed;
    std::string complaint;
    int status = ParseArgs(ViewerSpec, args, parsed, &complaint);
    const bool wordFirst = !args.empty() && (args.front().size() < 2 || args.front()[0] != '-');
    if ((status < 0 && parsed.Operands.size() > 1) || (wordFirst && complaint.rfind("unknown option", 0) == 0)) {
        complaint = "unknown command " + (wordFirst ? args.front() : parsed.Operands.front());
        status = ExitUsage;
    }
    if (!complaint.empty())
        std::fprintf(stderr, "plekto: %s; the commands are %s (plekto --help)\n", complaint.c_str(),
                     CommandNames().c_str());
    if (status >= 0)
        return FinishStandardOutput("", status);
    return RunViewer(parsed, argv[0]);
}
