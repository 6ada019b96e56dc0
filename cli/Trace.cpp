// "plekto trace FILE": every drawing call of one page on the recording surface, one
// per line, in 0.01 mm with y upward; texts and face names as UTF-8.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/Commands.h"
#include "display/PageView.h"
#include "display/RecordingSurface.h"
#include "display/qt/TextCodec.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"

namespace
{
const char* const TraceUsage = "plekto trace FILE [--page N] [--defaults]";

bool ParsePage(const std::string& text, int& page)
{
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < 1 || v > 1000000)
        return false;
    page = static_cast<int>(v);
    return true;
}
}  // namespace

int RunTrace(const CArgs& args)
{
    CScoreOptions options;
    int page = 0;  // 0: the screen page
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--defaults") {
            options.Defaults = true;
        } else if (arg == "--page") {
            if (i + 1 >= args.size() || !ParsePage(args[i + 1], page)) {
                std::fprintf(stderr, "plekto trace: --page needs a page number from 1 (%s)\n", TraceUsage);
                return 2;
            }
            ++i;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "plekto trace: unknown option %s (%s)\n", arg.c_str(), TraceUsage);
            return 2;
        } else if (options.File.empty()) {
            options.File = arg;
        } else {
            std::fprintf(stderr, "plekto trace: more than one file given (%s)\n", TraceUsage);
            return 2;
        }
    }
    if (options.File.empty()) {
        std::fprintf(stderr, "plekto trace: no file given (%s)\n", TraceUsage);
        return 2;
    }
    const auto store = OpenSettingsStore(options.Defaults);
    const auto score = LoadScoreForCommand("trace", options, *store);
    if (!score)
        return 1;
    if (page > score->PageCount) {
        std::fprintf(stderr, "plekto trace: page %d does not exist: %s has %d page%s\n", page, options.File.c_str(),
                     score->PageCount, score->PageCount == 1 ? "" : "s");
        return 2;
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
    return 0;
}
