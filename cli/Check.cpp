// "plekto check FILE...": reads each file as the viewer does and says what it refused or
// ignored, one line per problem: FILE:LINE:COLUMN: error|warning: message.
#include <cstdio>
#include <cstdint>

#include "cli/Commands.h"
#include "display/qt/TextCodec.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"

const CCommandSpec CheckSpec = {
    "check",
    "FILE... [OPTIONS]",
    "Read each FILE (\"-\": standard input) as the viewer does and print one line\n"
    "per problem: FILE:LINE:COLUMN: error|warning: message. Errors are tokens that\n"
    "were refused (with what the refusal skipped); warnings are tokens that were\n"
    "ignored or read as something other than what they probably mean, marks never\n"
    "closed, unknown settings, and a score too long for the last page.\n"
    "A file that cannot be read is reported and the others are still checked.",
    {DefaultsOption},
    1,
    SIZE_MAX,
};

int RunCheck(const CParsedArgs& args)
{
    const auto store = OpenSettingsStore(args.Has("--defaults"));
    int status = ExitSuccess;
    for (const std::string& file : args.Operands) {
        const CKeptScore score(new CScore(*store));
        std::vector<CDiagnostic> diagnostics;
        if (!ReadInput("check", file, *score, &diagnostics)) {
            status = ExitFailure;
            continue;
        }
        // The layout says whether the score runs past the last page.
        score->LayoutScore();
        ReportLayoutCut(*score, diagnostics);
        const std::string name = DisplayName(file);
        for (const CDiagnostic& d : diagnostics) {
            status = d.IsError ? ExitFailure : status;
            const std::string message = DecodeText(d.Message, score->Encoding).toStdString();
            std::printf("%s:%d:%d: %s: %s\n", name.c_str(), d.Line, d.Column, d.IsError ? "error" : "warning",
                        message.c_str());
        }
    }
    return status;
}
