#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "cli/Commands.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "settings/qt/QtSettingsStore.h"

std::unique_ptr<CSettingsStore> OpenSettingsStore(bool defaults)
{
    if (defaults)
        return std::make_unique<CMemorySettingsStore>();
    return std::make_unique<CQtSettingsStore>();
}

std::unique_ptr<CScore> LoadScoreForCommand(const char* command, const CScoreOptions& options,
                                            const CSettingsStore& store)
{
    auto score = std::make_unique<CScore>(store);
    std::error_code ec;
    const bool directory = std::filesystem::is_directory(options.File, ec);
    // The viewer shows an unreadable file as an empty score; a command says why it failed.
    if (directory || !std::ifstream(options.File, std::ios::binary) || !ReadScoreFile(options.File, *score)) {
        const char* reason = directory ? "is a directory" : std::strerror(errno);
        std::fprintf(stderr, "plekto %s: cannot open %s: %s\n", command, options.File.c_str(), reason);
        return nullptr;
    }
    score->LayoutScore();
    return score;
}

std::string UsageText()
{
    return R"(Usage: plekto [FILE]
       plekto COMMAND [OPTIONS]

Plekto shows guitar tablature written in its token notation (*.tab, *.txt).
Without a command it opens the viewer, with FILE if one is given.

Commands:
  dump FILE [--defaults]
      Read FILE, lay it out and print the score as one JSON object: "settings",
      "title", "items", "marks" and "layout". Texts are printed as UTF-8.
  check FILE [--defaults]
      Read FILE as the viewer does and print one line per problem:
      FILE:LINE:COLUMN: error|warning: message. Errors are tokens that were
      refused (with what the refusal skipped); warnings are tokens that were
      ignored, marks never closed, unknown settings and cut-short fret lists.
      Exit status 0 without errors, 1 with errors, 2 when FILE cannot be read.
  render FILE -o OUT [--page N] [--dpi D] [--defaults]
      Draw the score into OUT. OUT.pdf: every printed page (or page N alone);
      OUT.png: the whole score as the screen shows it, as a 1-bit image at D dots
      per inch (default 150), or printed page N; OUT.svg: as the PNG, in vectors.
  trace FILE [--page N] [--defaults]
      Print every drawing call of the screen page (or printed page N), one per
      line, in 0.01 mm units with y growing upward.
  help
      Show this text.

Options:
  --defaults   Use the built-in settings instead of the user's stored ones.

Exit status: 0 on success, 1 when the file cannot be read or the output cannot be
written, 2 for a wrong command line.
)";
}
