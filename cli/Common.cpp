#include <QSettings>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

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
std::string Count(std::size_t n, const char* what)
{
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}
}  // namespace

bool ReadInput(const char* command, const std::string& file, CScore& score, std::vector<CDiagnostic>* diagnostics,
               std::string* text)
{
    std::string own;
    std::string& bytes = text ? *text : own;
    CReadResult result = file == "-" ? ReadScoreBytes(std::cin, bytes) : ReadScoreBytes(file, bytes);
    if (result)
        result = ReadScoreText(bytes, score, diagnostics);
    if (!result)
        std::fprintf(stderr, "plekto %s: cannot read %s: %s\n", command, DisplayName(file).c_str(),
                     result.Reason().c_str());
    return bool(result);
}

void CKeepUntilExit::operator()(CScore* score) const
{
    // A plain pointer, which nothing destroys at exit: the score stays reachable for
    // leak checkers.
    static CScore* kept = nullptr;
    delete kept;
    kept = score;
}

CKeptScore LoadScore(const char* command, const std::string& file, const CSettingsStore& store, bool strict,
                     int& status, std::string* text)
{
    CKeptScore score(new CScore(store));
    std::vector<CDiagnostic> diagnostics;
    if (!ReadInput(command, file, *score, &diagnostics, text)) {
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
