// The subcommands of the plekto command line. Each takes the arguments after its name
// and returns the process exit status.
#pragma once

#include <string>
#include <vector>

using CArgs = std::vector<std::string>;

int RunDump(const CArgs& args);
int RunCheck(const CArgs& args);
int RunRender(const CArgs& args);
int RunTrace(const CArgs& args);
// Opens the viewer with an optional file; argc/argv go to the application object.
int RunViewer(int argc, char** argv);

// Shared by the subcommands: the help text, and the store to read settings from
// (the user's, or none with --defaults).
std::string UsageText();

#include <memory>

class CSettingsStore;
class CScore;

std::unique_ptr<CSettingsStore> OpenSettingsStore(bool defaults);

// Options shared by the subcommands that read one score file.
struct CScoreOptions
{
    std::string File;
    bool Defaults = false;
};

// Reads the file into a new score and lays it out; on failure prints one line to
// stderr ("plekto COMMAND: ...") and returns null.
std::unique_ptr<CScore> LoadScoreForCommand(const char* command, const CScoreOptions& options,
                                            const CSettingsStore& store);
