// "plekto render FILE... -o OUT": the score drawn as printing draws it (PDF) or as the
// screen and the copied image show it (PNG, SVG), through the same page drawing; or
// played (MIDI, and as sound through FluidSynth: WAV, FLAC) or written as music for other
// programs (MusicXML), from the performance.
#include <QFile>
#include <QGuiApplication>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>

#include "audio/AudioRender.h"
#include "audio/SoundFont.h"
#include "cli/Commands.h"
#include "display/PageView.h"
#include "display/qt/Export.h"
#include "display/qt/OutputFile.h"
#include "display/qt/PageDrawer.h"
#include "display/qt/TextCodec.h"
#include "model/Score.h"
#include "perform/MidiFile.h"
#include "perform/MusicXml.h"
#include "perform/Performance.h"
#include "settings/ScoreSettings.h"
#include "settings/SettingsStore.h"

namespace
{
struct CRenderJob
{
    int Page = 0;  // 0: every page (PDF) or the screen page (PNG, SVG)
    double Dpi = 150.0;
    std::string SoundFont;  // for audio
};

// An output format: its name (also the file extension) and how it is drawn.
struct CFormat
{
    const char* Name;
    bool Vector;        // --dpi means nothing to it
    double MaxPageMm;   // the largest page side it can hold
    bool (*Encode)(QByteArray& out, CScore& score, const CRenderJob& job, std::string& error);
    bool Drawn = true;  // has pages: --page and the page size mean something to it
    // Output too large to hold (audio) is written to the file as it is made, instead of Encode.
    bool (*Stream)(int fd, CScore& score, const CRenderJob& job, std::string& error) = nullptr;
};

bool EncodePdfScore(QByteArray& out, CScore& score, const CRenderJob& job, std::string& error)
{
    // Each page as printing draws it, prepared afresh as the print loop does.
    const ScoreSettings& s = score.Settings;
    const int first = job.Page ? job.Page : 1;
    const int count = job.Page ? 1 : score.PageCount;
    CPageView view;
    return EncodePdf(
        out, s.PageWidth, s.PageHeight, count,
        [&](CSurface& surface, int page) {
            view.Prepare(score, true);
            view.Paint(surface, score, first + page - 1);
        },
        error);
}

// The screen page (page 1 as tall as the document), or printed page N.
template <class Encoder>
bool EncodePicture(CScore& score, const CRenderJob& job, Encoder encode)
{
    CPageView view;
    view.Prepare(score, job.Page != 0);
    const int page = job.Page ? job.Page : 1;
    return encode(score.Settings.PageWidth, view.DocumentHeight, PageDrawer(view, score, page));
}

bool EncodePngScore(QByteArray& out, CScore& score, const CRenderJob& job, std::string& error)
{
    return EncodePicture(score, job, [&](double w, double h, const CPictureDrawer& draw) {
        return EncodePng(out, w, h, job.Dpi, draw, error);
    });
}

bool EncodeSvgScore(QByteArray& out, CScore& score, const CRenderJob& job, std::string& error)
{
    return EncodePicture(score, job,
                         [&](double w, double h, const CPictureDrawer& draw) { return EncodeSvg(out, w, h, draw, error); });
}

// The performance; the main title, decoded as the screen decodes it, names its first track.
bool EncodeMidiScore(QByteArray& out, CScore& score, const CRenderJob&, std::string&)
{
    const std::string title =
        score.TitleBlock ? DecodeText(score.TitleBlock->MainTitle, score.Encoding).toStdString() : std::string();
    const std::string bytes = MidiFileBytes(PerformScore(score), title);
    out = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return true;
}

// The whole score as music, with the text decoded as the drawing decodes it.
bool EncodeMusicXmlScore(QByteArray& out, CScore& score, const CRenderJob&, std::string& error)
{
    const std::optional<std::string> xml = MusicXmlBytes(score, PerformScore(score), [&](std::string_view bytes) {
        return DecodeText(bytes, score.Encoding).toStdString();
    });
    if (!xml) {
        error = "the MusicXML would be larger than " + std::to_string(MaxMusicXmlBytes >> 20) + " MB";
        return false;
    }
    out = QByteArray(xml->data(), static_cast<qsizetype>(xml->size()));
    return true;
}

template <AudioFileType Type>
bool StreamAudioScore(int fd, CScore& score, const CRenderJob& job, std::string& error)
{
    return WriteAudioFile(fd, Type, PerformScore(score), job.SoundFont, error);
}

// A new output kind is one more row.
const CFormat Formats[] = {
    {"pdf", true, MaxPdfPageMm, EncodePdfScore},
    {"png", false, std::numeric_limits<double>::infinity(), EncodePngScore},
    {"svg", true, MaxSvgSideMm, EncodeSvgScore},
    {"mid", true, std::numeric_limits<double>::infinity(), EncodeMidiScore, false},
    {"musicxml", true, std::numeric_limits<double>::infinity(), EncodeMusicXmlScore, false},
    {"wav", true, std::numeric_limits<double>::infinity(), nullptr, false, StreamAudioScore<AudioFileType::Wav>},
    {"flac", true, std::numeric_limits<double>::infinity(), nullptr, false, StreamAudioScore<AudioFileType::Flac>},
};

const CFormat* FindFormat(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const CFormat& format : Formats)
        if (name == format.Name)
            return &format;
    return nullptr;
}

const CFormat* FormatOfPath(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return nullptr;
    return FindFormat(path.substr(dot + 1));
}

const char* FormatList()
{
    static const std::string list = [] {
        std::string text;
        const std::size_t n = std::size(Formats);
        for (std::size_t i = 0; i < n; ++i)
            text += std::string(i == 0 ? "" : i + 1 == n ? " or " : ", ") + Formats[i].Name;
        return text;
    }();
    return list.c_str();
}

bool IsFormat(const std::string& text) { return FindFormat(text) != nullptr; }

bool IsDpi(const std::string& text)
{
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(v) && v >= MinImageDpi && v <= MaxImageDpi;
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

// A page size no output can take is blamed on where it came from: the user's store
// (which every render reads) or the file's own setting.
bool CheckPageSize(const CScore& score, const std::string& file, const CFormat& format,
                   const CSettingsStore& store, bool defaults)
{
    ScoreSettings stored;
    stored.Load(store, SettingsGroup::Page);
    const struct
    {
        double ScoreSettings::*Field;
        const char* What;
        const char* Key;
        const char* Directive;
    } sizes[] = {
        {&ScoreSettings::PageWidth, "page width", "Page\\PageW", "$PageWidth"},
        {&ScoreSettings::PageHeight, "page height", "Page\\PageH", "$PageHeight"},
    };
    for (const auto& size : sizes) {
        const double mm = score.Settings.*size.Field;
        if (std::isfinite(mm) && mm > 0.0 && mm <= format.MaxPageMm)
            continue;
        const std::string limit = mm > 0.0 ? " (at most " + std::to_string(std::lround(format.MaxPageMm)) +
                                                  " mm for " + format.Name + ")"
                                            : "";
        if (!defaults && stored.*size.Field == mm)
            std::fprintf(stderr,
                         "plekto render: %s: a %s of %g mm cannot be drawn%s; it comes from the stored setting %s "
                         "in [Settings] of %s: correct it, or render with --defaults\n",
                         DisplayName(file).c_str(), size.What, mm, limit.c_str(), size.Key, StoreFileName().c_str());
        else
            std::fprintf(stderr, "plekto render: %s: a %s of %g mm cannot be drawn%s; it is set by %s in the file\n",
                         DisplayName(file).c_str(), size.What, mm, limit.c_str(), size.Directive);
        return false;
    }
    return true;
}

// Draws one score into out ("-": standard output). Returns the exit status.
int RenderOne(const std::string& file, const std::string& out, const CFormat& format, const CRenderJob& job,
              const CSettingsStore& store, const CParsedArgs& args)
{
    int status = ExitSuccess;
    const auto score = LoadScore("render", file, store, args.Has("--strict"), status);
    if (!score)
        return status;
    if (job.Page > score->PageCount) {
        std::fprintf(stderr, "plekto render: page %d does not exist: %s has %d page%s\n", job.Page,
                     DisplayName(file).c_str(), score->PageCount, score->PageCount == 1 ? "" : "s");
        return ExitUsage;
    }
    if (format.Drawn && !CheckPageSize(*score, file, format, store, args.Has("--defaults")))
        return ExitFailure;
    QByteArray bytes;
    std::string error;
    const bool written =
        format.Stream ? WriteOutputFileBy(
                            out, [&](int fd, std::string& reason) { return format.Stream(fd, *score, job, reason); },
                            error)
                      : format.Encode(bytes, *score, job, error) &&
                            (out == "-" ? WriteOutputDescriptor(STDOUT_FILENO, bytes, error)
                                        : WriteOutputFile(out, bytes, error));
    if (!written) {
        std::fprintf(stderr, "plekto render: cannot write %s: %s\n", out == "-" ? "<stdout>" : out.c_str(),
                     error.c_str());
        return ExitFailure;
    }
    return ExitSuccess;
}
// The SoundFont audio plays with, or empty after saying on stderr where none was found.
std::string LookUpSoundFont(const CSettingsStore& store, bool defaults)
{
    const std::string stored = store.GetString(SoundFontSection, SoundFontName, "");
    std::vector<CSoundFontPlace> places = SoundFontPlaces(
        stored.empty() ? std::nullopt : std::optional<std::string>(QFile::encodeName(DecodeName(stored)).toStdString()));
    places[1].What += defaults ? std::string(" (not read with --defaults)") : " in [Player] of " + StoreFileName();
    std::string error;
    const std::optional<std::string> found = FindSoundFont(places, error);
    if (!found) {
        std::fprintf(stderr, "plekto render: %s; set %s to a .sf2 file, or install fluid-soundfont-gm\n",
                     error.c_str(), SoundFontVariable);
        return {};
    }
    return *found;
}
}  // namespace

const CCommandSpec RenderSpec = {
    "render",
    "FILE... -o OUT [OPTIONS]",
    "Draw the score in FILE (\"-\": standard input) into OUT (\"-\": standard output,\n"
    "with --format). PDF: every printed page (or page N alone); PNG: the whole\n"
    "score as the screen shows it, as a 1-bit image (or printed page N); SVG: as\n"
    "the PNG, in vectors; MID: the score played, repeats unrolled, as a Standard\n"
    "MIDI File with a channel per string; MusicXML: the whole score as music\n"
    "(notes, marks, breaks); WAV, FLAC: the score played through FluidSynth (44.1 kHz,\n"
    "16-bit stereo; not to standard output) with the SoundFont $PLEKTO_SOUNDFONT,\n"
    "else the stored setting Player/SoundFont, else\n"
    "/usr/share/sounds/sf2/default-GM.sf2. The same score gives the same samples.\n"
    "The format is OUT's extension unless --format names it.\n"
    "With several files, or when OUT is a directory, each FILE is drawn into\n"
    "OUT/NAME.FORMAT (FORMAT: --format, else pdf); a failure does not stop the rest.\n"
    "A PDF's creation date is SOURCE_DATE_EPOCH when that is set, else now.",
    {{"--output", 'o', "OUT", "The file (or directory) to write; \"-\" for standard output."},
     {"--format", 0, "F", "pdf, png, svg, mid, musicxml, wav or flac, whatever OUT ends in.", IsFormat, FormatList()},
     {"--page", 0, "N", "Draw printed page N only.", IsPageNumber, "a page number from 1"},
     {"--dpi", 0, "D", "PNG resolution in dots per inch (default 150).", IsDpi, "a resolution from 1 to 10000"},
     StrictOption,
     DefaultsOption},
    1,
    SIZE_MAX,
};

int RunRender(const CParsedArgs& args)
{
    const std::vector<std::string>& files = args.Operands;
    const std::string out = args.Value("--output");
    if (out.empty())
        return UsageError(RenderSpec, "no output given (-o OUT)");
    std::error_code ec;
    const bool toDirectory = out != "-" && (files.size() > 1 || std::filesystem::is_directory(out, ec));
    if (files.size() > 1 && !std::filesystem::is_directory(out, ec))
        return UsageError(RenderSpec, "several files need -o DIRECTORY, an existing one: " + out);
    const CFormat* format = args.Has("--format") ? FindFormat(args.Value("--format"))
                            : toDirectory        ? &Formats[0]
                                                 : FormatOfPath(out);
    if (!format)
        return UsageError(RenderSpec, out == "-" ? std::string("standard output needs --format F")
                                                 : out + ": give --format F (" + FormatList() +
                                                       ") or use F as its extension");
    if (format->Vector && args.Has("--dpi"))
        return UsageError(RenderSpec, std::string("--dpi is for PNG output; ") + format->Name + " has no pixels");
    if (!format->Drawn && args.Has("--page"))
        return UsageError(RenderSpec, std::string("--page is for drawn output; ") + format->Name + " has no pages");
    // libsndfile needs to seek back to finish a file, which a pipe cannot.
    if (format->Stream && out == "-") {
        std::string message = format->Name;
        (message += " cannot go to standard output: give -o FILE.") += format->Name;
        return UsageError(RenderSpec, message);
    }

    // Each FILE with its output, all known before anything is read.
    std::vector<std::pair<std::string, std::string>> jobs;
    std::set<std::string> outputs;
    for (const std::string& file : files) {
        if (!toDirectory) {
            jobs.emplace_back(file, out);
            continue;
        }
        if (file == "-")
            return UsageError(RenderSpec, "standard input needs -o FILE, not a directory");
        const std::string name = (std::filesystem::path(out) / std::filesystem::path(file).stem()).string() +
                                 "." + format->Name;
        if (!outputs.insert(name).second)
            return UsageError(RenderSpec, "two files would both be drawn into " + name);
        jobs.emplace_back(file, name);
    }

    CRenderJob job;
    job.Page = args.Has("--page") ? PageNumber(args.Value("--page")) : 0;
    job.Dpi = args.Has("--dpi") ? std::strtod(args.Value("--dpi").c_str(), nullptr) : job.Dpi;
    // PDF dates in UTC whatever the machine's zone, so the bytes do not depend on it.
    qputenv("TZ", "UTC");
    const auto app = EnsureGuiApplication();
    const auto store = OpenSettingsStore(args.Has("--defaults"));
    if (format->Stream && (job.SoundFont = LookUpSoundFont(*store, args.Has("--defaults"))).empty())
        return ExitFailure;
    int status = ExitSuccess;
    for (const auto& [file, output] : jobs)
        status = std::max(status, RenderOne(file, output, *format, job, *store, args));
    return status;
}
