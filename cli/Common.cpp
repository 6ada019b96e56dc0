#include <QSettings>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/Commands.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "settings/qt/QtSettingsStore.h"

const COption DefaultsOption = {"--defaults", 0, nullptr,
                                "Use the built-in settings instead of the user's stored ones."};
const COption StrictOption = {"--strict", 0, nullptr,
                              "Fail (status 1, nothing written) when the score has errors."};

std::unique_ptr<CSettingsStore> OpenSettingsStore(bool defaults)
{
    if (defaults)
        return std::make_unique<CMemorySettingsStore>();
    return std::make_unique<CQtSettingsStore>();
}

std::string StoreFileName()
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vellmar"),
                             QStringLiteral("Plekto"));
    return settings.fileName().toStdString();
}

std::string DisplayName(const std::string& file) { return file == "-" ? "<stdin>" : file; }

namespace
{
bool ReadStandardInput(const char* command, CScore& score, std::vector<CDiagnostic>* diagnostics)
{
    // One byte past the limit is enough to know it was passed.
    std::string bytes;
    char block[65536];
    while (bytes.size() <= MaxStdinBytes) {
        const std::size_t want = std::min(sizeof block, MaxStdinBytes + 1 - bytes.size());
        const std::size_t got = std::fread(block, 1, want, stdin);
        bytes.append(block, got);
        if (got < want)
            break;
    }
    if (std::ferror(stdin)) {
        std::fprintf(stderr, "plekto %s: cannot read <stdin>: %s\n", command, std::strerror(errno));
        return false;
    }
    if (bytes.size() > MaxStdinBytes) {
        std::fprintf(stderr, "plekto %s: cannot read <stdin>: it is larger than %zu MB\n", command,
                     MaxStdinBytes >> 20);
        return false;
    }
    std::istringstream in(std::move(bytes));
    CScoreReader reader(score);
    reader.Diagnostics = diagnostics;
    reader.Read(in);
    return true;
}

std::string Count(std::size_t n, const char* what)
{
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}
}  // namespace

bool ReadInput(const char* command, const std::string& file, CScore& score, std::vector<CDiagnostic>* diagnostics)
{
    if (file == "-")
        return ReadStandardInput(command, score, diagnostics);
    // The viewer shows an unreadable file as an empty score; a command says why it failed.
    std::error_code ec;
    const char* reason = nullptr;
    errno = 0;
    if (std::filesystem::is_directory(file, ec))
        reason = std::strerror(EISDIR);
    else if (!std::ifstream(file, std::ios::binary))
        reason = std::strerror(errno ? errno : EIO);
    else if (errno = 0; !ReadScoreFile(file, score, diagnostics))
        reason = std::strerror(errno ? errno : EIO);
    if (reason)
        std::fprintf(stderr, "plekto %s: cannot read %s: %s\n", command, file.c_str(), reason);
    return reason == nullptr;
}

std::unique_ptr<CScore> LoadScore(const char* command, const std::string& file, const CSettingsStore& store,
                                  bool strict, int& status)
{
    auto score = std::make_unique<CScore>(store);
    std::vector<CDiagnostic> diagnostics;
    if (!ReadInput(command, file, *score, &diagnostics)) {
        status = ExitFailure;
        return nullptr;
    }
    std::size_t errors = 0;
    for (const CDiagnostic& d : diagnostics)
        errors += d.IsError ? 1 : 0;
    const std::size_t warnings = diagnostics.size() - errors;
    if (!diagnostics.empty()) {
        std::string counts = errors ? Count(errors, "error") : std::string();
        counts += warnings ? (errors ? ", " : "") + Count(warnings, "warning") : std::string();
        std::fprintf(stderr, "%s: %s (plekto check %s lists them)\n", DisplayName(file).c_str(), counts.c_str(),
                     file.c_str());
    }
    if (strict && errors) {
        status = ExitFailure;
        return nullptr;
    }
    score->LayoutScore();
    return score;
}

int FinishStandardOutput(const char* command, int status)
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "plekto %s: cannot write <stdout>: %s\n", command, std::strerror(errno ? errno : EIO));
        return ExitFailure;
    }
    return status;
}
