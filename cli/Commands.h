// The subcommands of the plekto command line and what they share. Each command has an
// option table (cli/Options.h) and a run function that returns the exit status.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/Options.h"

class CSettingsStore;
class CScore;
struct CDiagnostic;

extern const CCommandSpec DumpSpec;
extern const CCommandSpec CheckSpec;
extern const CCommandSpec RenderSpec;
extern const CCommandSpec TraceSpec;
extern const CCommandSpec ViewerSpec;
extern const CCommandSpec LspSpec;

int RunDump(const CParsedArgs& args);
int RunCheck(const CParsedArgs& args);
int RunRender(const CParsedArgs& args);
int RunTrace(const CParsedArgs& args);
int RunLsp(const CParsedArgs& args);
// Opens the viewer with the file operand, if any; program is argv[0].
int RunViewer(const CParsedArgs& args, const char* program);

// The whole command line: picks the command (or the viewer) and runs it.
int RunPlekto(int argc, char** argv);

// "plekto --help".
std::string UsageText();
constexpr const char* VersionText = "plekto 1.06\n";

// The option every command that reads a score takes.
extern const COption DefaultsOption;
extern const COption StrictOption;

// The user's store, or an empty one with --defaults.
std::unique_ptr<CSettingsStore> OpenSettingsStore(bool defaults);
// The file that holds the user's store (for messages).
std::string StoreFileName();

// How a FILE operand is named in messages and in "check" lines ("-" is standard input).
std::string DisplayName(const std::string& file);

// Reads FILE ("-": standard input; either at most MaxScoreBytes) into score, collecting
// diagnostics when a list is given, and keeping its bytes in text when that is given. On
// failure prints "plekto COMMAND: cannot read FILE: reason" and returns false.
bool ReadInput(const char* command, const std::string& file, CScore& score, std::vector<CDiagnostic>* diagnostics,
               std::string* text = nullptr);

// A score that a command is done with is not freed but kept until the process ends:
// freeing a million items only to exit costs more than reading them. Only the latest is
// kept; handing over another frees the one before.
struct CKeepUntilExit
{
    void operator()(CScore* score) const;
};
using CKeptScore = std::unique_ptr<CScore, CKeepUntilExit>;

// Reads FILE into a new score and lays it out, for the commands that draw or print it.
// Problems in the score are counted on one line of stderr ("FILE: 2 errors, 1 warning
// (plekto check FILE lists them)"); with strict, errors make it fail. Returns null with
// the exit status in status on failure. text, when given, receives the bytes read, which
// the items' source offsets point into.
CKeptScore LoadScore(const char* command, const std::string& file, const CSettingsStore& store, bool strict,
                     int& status, std::string* text = nullptr);

// Checks that standard output took everything; prints the reason and returns
// ExitFailure if not, else status.
int FinishStandardOutput(const char* command, int status);
