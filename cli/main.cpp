// plekto: the viewer when started with no subcommand, or one of the headless
// subcommands (dump, check, render, trace).
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/Commands.h"

int main(int argc, char** argv)
{
    if (argc >= 2) {
        const std::string command = argv[1];
        const CArgs rest(argv + 2, argv + argc);
        if (command == "--help" || command == "-h" || command == "help") {
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        }
        if (command == "dump")
            return RunDump(rest);
        if (command == "check")
            return RunCheck(rest);
        if (command == "render")
            return RunRender(rest);
        if (command == "trace")
            return RunTrace(rest);
    }
    return RunViewer(argc, argv);
}
