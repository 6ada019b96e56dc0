// "plekto check FILE...": reads each file as the viewer does and says what it refused or
// ignored: per problem FILE:LINE:COLUMN: error|warning: message, the source line and a
// caret under the problem, then one count of everything; or the lines alone (--brief), or
// one JSON array for scripts and editors (--json).
#include <cstdio>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "display/qt/TextCodec.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "model/SourceText.h"
#include "settings/SettingsStore.h"

namespace
{
const COption BriefOption = {"--brief", 0, nullptr, "Print the one-line form alone: no source lines, no count."};
const COption JsonOption = {"--json", 0, nullptr, "Print every problem as one JSON array, for scripts and editors."};

std::string Utf8(std::string_view bytes, TextEncoding encoding) { return DecodeText(bytes, encoding).toStdString(); }

// The source line and the caret line under it.
void PrintSnippet(const CSourceLines& lines, const CDiagnostic& d)
{
    const CSnippet snippet = MakeSnippet(lines, d);
    if (snippet.Marker.empty())
        return;
    const char* cut = "\xE2\x80\xA6";
    std::printf("%s%s%s\n%s\n", snippet.CutBefore ? cut : "", Utf8(snippet.Source, lines.Encoding()).c_str(),
                snippet.CutAfter ? cut : "", snippet.Marker.c_str());
}
}  // namespace

const CCommandSpec CheckSpec = {
    "check",
    "FILE... [OPTIONS]",
    "Read each FILE (\"-\": standard input) as the viewer does and report each\n"
    "problem as FILE:LINE:COLUMN: error|warning: message, then the source line\n"
    "with a caret under the problem; the last line counts them (\"2 errors and\n"
    "1 warning\"). Errors are tokens that were refused (with what the refusal\n"
    "skipped); warnings are tokens that were ignored or read as something other\n"
    "than what they probably mean, marks never closed, unknown settings, and a\n"
    "score too long for the last page. A file that cannot be read is reported\n"
    "and the others are still checked.",
    {DefaultsOption, BriefOption, JsonOption},
    1,
    SIZE_MAX,
};

int RunCheck(const CParsedArgs& args)
{
    if (args.Has("--brief") && args.Has("--json"))
        return UsageError(CheckSpec, "--brief and --json exclude each other");
    const bool brief = args.Has("--brief");
    const bool json = args.Has("--json");
    const auto store = OpenSettingsStore(args.Has("--defaults"));
    int status = ExitSuccess;
    std::size_t errors = 0;
    std::size_t warnings = 0;
    // The array is written an object at a time, one a line, so that a file with a
    // million problems never holds them all as JSON.
    const char* separator = "[\n";
    for (const std::string& file : args.Operands) {
        const CKeptScore score(new CScore(*store));
        std::vector<CDiagnostic> diagnostics;
        std::string text;
        if (!ReadInput("check", file, *score, &diagnostics, &text)) {
            status = ExitFailure;
            continue;
        }
        // The layout says whether the score runs past the last page.
        score->LayoutScore(CScore::LayoutDepth::Pages);
        ReportLayoutCut(*score, text, diagnostics);
        const std::string name = DisplayName(file);
        const CSourceLines lines(text, score->Encoding);
        for (const CDiagnostic& d : diagnostics) {
            status = d.IsError ? ExitFailure : status;
            (d.IsError ? errors : warnings) += 1;
            const char* severity = d.IsError ? "error" : "warning";
            const std::string message = Utf8(d.Message, score->Encoding);
            if (json) {
                const auto [begin, end] = lines.Range(d);
                // The end column as counted characters of the covered range, when the
                // reader left it to the token.
                const int endColumn = d.EndColumn > d.Column
                                          ? d.EndColumn
                                          : d.Column + CountCharacters(text.substr(begin, end - begin), score->Encoding);
                const nlohmann::ordered_json object = {{"file", name},
                                                           {"line", d.Line},
                                                           {"column", d.Column},
                                                           {"endColumn", endColumn},
                                                           {"severity", severity},
                                                           {"message", message},
                                                           {"code", d.Code.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(d.Code)}};
                std::printf("%s%s", separator,
                            object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
                separator = ",\n";
                continue;
            }
            std::printf("%s:%d:%d: %s: %s\n", name.c_str(), d.Line, d.Column, severity,
                        ShortenQuotes(message).c_str());
            if (!brief)
                PrintSnippet(lines, d);
        }
    }
    if (json)
        std::printf("%s]\n", *separator == '[' ? "[" : "\n");
    else if (!brief && errors + warnings > 0)
        std::printf("%s\n", CountSummary(errors, warnings).c_str());
    return FinishStandardOutput("check", status);
}
