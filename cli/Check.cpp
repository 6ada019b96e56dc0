// "plekto check FILE": reads the file as the viewer does and says what it refused or
// ignored, one line per problem: FILE:LINE:COLUMN: error|warning: message.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "cli/Commands.h"
#include "display/qt/TextCodec.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"

int RunCheck(const CArgs& args)
{
    CScoreOptions options;
    for (const std::string& arg : args) {
        if (arg == "--defaults") {
            options.Defaults = true;
        } else if ((!arg.empty() && arg[0] == '-') || !options.File.empty()) {
            std::fprintf(stderr, "plekto check: unexpected argument %s (plekto check FILE [--defaults])\n",
                         arg.c_str());
            return 2;
        } else {
            options.File = arg;
        }
    }
    if (options.File.empty()) {
        std::fputs("plekto check: no file given (plekto check FILE [--defaults])\n", stderr);
        return 2;
    }
    const auto store = OpenSettingsStore(options.Defaults);
    CScore score(*store);
    std::vector<CDiagnostic> diagnostics;
    std::error_code ec;
    if (std::filesystem::is_directory(options.File, ec) || !std::ifstream(options.File, std::ios::binary) ||
        !ReadScoreFile(options.File, score, &diagnostics)) {
        std::fprintf(stderr, "plekto check: cannot open %s\n", options.File.c_str());
        return 2;
    }
    bool errors = false;
    for (const CDiagnostic& d : diagnostics) {
        errors = errors || d.IsError;
        const std::string message = DecodeText(d.Message, score.Encoding).toStdString();
        std::printf("%s:%d:%d: %s: %s\n", options.File.c_str(), d.Line, d.Column, d.IsError ? "error" : "warning",
                    message.c_str());
    }
    return errors ? 1 : 0;
}
