// "plekto render FILE -o OUT": the score drawn as printing draws it (PDF) or as the
// screen and the copied image show it (PNG, SVG), through the same page drawing.
#include <QGuiApplication>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "display/PageView.h"
#include "display/qt/Export.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"

namespace
{
enum class COutputKind
{
    Pdf,
    Png,
    Svg,
};

struct CRenderOptions
{
    CScoreOptions Score;
    std::string Output;
    int Page = 0;  // 0: every page (PDF) or the screen page (PNG, SVG)
    double Dpi = 150.0;
};

const char* const RenderUsage = "plekto render FILE -o OUT [--page N] [--dpi D] [--defaults]";

bool ParsePositive(const std::string& text, int& value)
{
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < 1 || v > 1000000)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseDpi(const std::string& text, double& value)
{
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v) || v < MinImageDpi || v > MaxImageDpi)
        return false;
    value = v;
    return true;
}

// Returns 0 when the arguments are complete, else the exit status after a message.
int ParseArguments(const CArgs& args, CRenderOptions& options)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--defaults") {
            options.Score.Defaults = true;
        } else if (arg == "-o" || arg == "--output") {
            if (!hasValue) {
                std::fprintf(stderr, "plekto render: %s needs a file name (%s)\n", arg.c_str(), RenderUsage);
                return 2;
            }
            options.Output = args[++i];
        } else if (arg == "--page") {
            if (!hasValue || !ParsePositive(args[i + 1], options.Page)) {
                std::fprintf(stderr, "plekto render: --page needs a page number from 1 (%s)\n", RenderUsage);
                return 2;
            }
            ++i;
        } else if (arg == "--dpi") {
            if (!hasValue || !ParseDpi(args[i + 1], options.Dpi)) {
                std::fprintf(stderr, "plekto render: --dpi needs a resolution from %g to %g\n", MinImageDpi,
                             MaxImageDpi);
                return 2;
            }
            ++i;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "plekto render: unknown option %s (%s)\n", arg.c_str(), RenderUsage);
            return 2;
        } else if (options.Score.File.empty()) {
            options.Score.File = arg;
        } else {
            std::fprintf(stderr, "plekto render: more than one file given (%s)\n", RenderUsage);
            return 2;
        }
    }
    if (options.Score.File.empty() || options.Output.empty()) {
        std::fprintf(stderr, "plekto render: %s given (%s)\n", options.Score.File.empty() ? "no file" : "no -o OUT",
                     RenderUsage);
        return 2;
    }
    return 0;
}

bool KindOf(const std::string& path, COutputKind& kind)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return false;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == "pdf")
        kind = COutputKind::Pdf;
    else if (ext == "png")
        kind = COutputKind::Png;
    else if (ext == "svg")
        kind = COutputKind::Svg;
    else
        return false;
    return true;
}

// The command's own messages are its only output on stderr (one line per failure), so
// Qt's notes about the environment (a missing runtime directory and the like) are
// dropped; its critical and fatal messages still come through.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "plekto render: %s\n", message.toLocal8Bit().constData());
}

// Text needs the font database of a GUI application; without a display the offscreen
// platform serves.
std::unique_ptr<QGuiApplication> EnsureGuiApplication()
{
    if (QGuiApplication::instance())
        return nullptr;
    qInstallMessageHandler(QuietQtMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "plekto";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

bool Write(COutputKind kind, const CRenderOptions& options, CScore& score, std::string& error)
{
    const ScoreSettings& s = score.Settings;
    CPageView view;
    if (kind == COutputKind::Pdf) {
        // Each page as printing draws it, prepared afresh as the print loop does.
        const int first = options.Page ? options.Page : 1;
        const int count = options.Page ? 1 : score.PageCount;
        return WritePdf(
            options.Output, s.PageWidth, s.PageHeight, count,
            [&](CSurface& surface, int page) {
                view.Prepare(score, true);
                view.Paint(surface, score, first + page - 1);
            },
            error);
    }
    // The screen page (page 1 as tall as the document), or printed page N.
    const bool printing = options.Page != 0;
    const int page = printing ? options.Page : 1;
    view.Prepare(score, printing);
    const auto draw = [&](CSurface& surface) { view.Paint(surface, score, page); };
    if (kind == COutputKind::Png)
        return WritePng(options.Output, s.PageWidth, view.DocumentHeight, options.Dpi, draw, error);
    return WriteSvg(options.Output, s.PageWidth, view.DocumentHeight, draw, error);
}
}  // namespace

int RunRender(const CArgs& args)
{
    CRenderOptions options;
    if (const int status = ParseArguments(args, options))
        return status;
    COutputKind kind = COutputKind::Pdf;
    if (!KindOf(options.Output, kind)) {
        std::fprintf(stderr, "plekto render: %s: the output must end in .pdf, .png or .svg\n",
                     options.Output.c_str());
        return 2;
    }
    const auto app = EnsureGuiApplication();
    const auto store = OpenSettingsStore(options.Score.Defaults);
    const auto score = LoadScoreForCommand("render", options.Score, *store);
    if (!score)
        return 1;
    if (options.Page > score->PageCount) {
        std::fprintf(stderr, "plekto render: page %d does not exist: %s has %d page%s\n", options.Page,
                     options.Score.File.c_str(), score->PageCount, score->PageCount == 1 ? "" : "s");
        return 2;
    }
    std::string error;
    if (!Write(kind, options, *score, error)) {
        std::fprintf(stderr, "plekto render: cannot write %s: %s\n", options.Output.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
