// "plekto trace FILE": every drawing call of one page on the recording surface, one
// per line, in 0.01 mm with y upward; texts and face names as UTF-8.
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "display/PageView.h"
#include "display/RecordingSurface.h"
#include "display/qt/TextCodec.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"

const CCommandSpec TraceSpec = {
    "trace",
    "FILE [OPTIONS]",
    "Print every drawing call of the screen page of FILE (\"-\": standard input),\n"
    "or of printed page N, one per line, in 0.01 mm units with y growing upward.",
    {{"--page", 0, "N", "Trace printed page N instead of the screen page.", IsPageNumber, "a page number from 1"},
     StrictOption,
     DefaultsOption},
};

int RunTrace(const CParsedArgs& args)
{
    const auto store = OpenSettingsStore(args.Has("--defaults"));
    const std::string& file = args.Operands.front();
    int status = ExitSuccess;
    const auto score = LoadScore("trace", file, *store, args.Has("--strict"), status);
    if (!score)
        return status;
    const int page = args.Has("--page") ? PageNumber(args.Value("--page")) : 0;  // 0: the screen page
    if (page > score->PageCount) {
        std::fprintf(stderr, "plekto trace: page %d does not exist: %s has %d page%s\n", page,
                     DisplayName(file).c_str(), score->PageCount, score->PageCount == 1 ? "" : "s");
        return ExitUsage;
    }

    // Prepared as the view prepares a device, painted as the screen paint or the print
    // of one page does.
    CPageView view;
    view.Prepare(*score, page != 0);
    CRecordingSurface surface;
    view.Paint(surface, *score, page != 0 ? page : 1);
    const std::string trace = surface.Trace(
        [](std::string_view bytes, TextEncoding encoding) { return DecodeText(bytes, encoding).toStdString(); });
    std::fwrite(trace.data(), 1, trace.size(), stdout);
    return FinishStandardOutput("trace", ExitSuccess);
}
