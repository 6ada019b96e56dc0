// The command line's one parser. Each command describes its options in a table; parsing,
// the help text and the usage messages all come from that table, so every command
// follows the same conventions: --name VALUE and --name=VALUE, -x VALUE, "--" ends the
// options, "-" is an operand (standard input or output), -h/--help prints the help.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

using CArgs = std::vector<std::string>;

// Exit statuses, the same for every command.
enum ExitStatus : int
{
    ExitSuccess = 0,
    ExitFailure = 1,  // a file could not be read or written (or "check" found errors)
    ExitUsage = 2,    // the command line was wrong
};

struct COption
{
    const char* Name;   // "--page", or a single-dash name such as Qt's "-platform"
    char Short;         // 'o' for -o, or 0
    const char* Value;  // "N" for an option that takes a value, nullptr for a switch
    const char* Help;
    // For a value: whether it is acceptable, and what is expected when it is not.
    bool (*Accepts)(const std::string& value) = nullptr;
    const char* Expected = nullptr;
};

struct CParsedArgs
{
    std::vector<std::string> Operands;
    std::map<std::string, std::string, std::less<>> Values;  // by option name, switches as ""

    bool Has(std::string_view name) const { return Values.find(name) != Values.end(); }
    std::string Value(std::string_view name) const
    {
        const auto found = Values.find(name);
        return found == Values.end() ? std::string() : found->second;
    }
};

struct CCommandSpec
{
    const char* Name;      // "render"; the viewer's is "" (plekto [OPTIONS] [FILE])
    const char* Operands;  // "FILE... -o OUT"
    const char* Summary;   // the help paragraph, lines of at most 74 columns
    std::vector<COption> Options;
    std::size_t MinOperands = 1;
    std::size_t MaxOperands = 1;  // SIZE_MAX for any number
};

// Parses the arguments after the command's name. Returns -1 when the command should go
// on; otherwise the exit status after printing the help (ExitSuccess) or one line on
// stderr (ExitUsage), or, when complaint is given, with the message there instead.
int ParseArgs(const CCommandSpec& spec, const CArgs& args, CParsedArgs& parsed, std::string* complaint = nullptr);

// "plekto COMMAND: message (plekto COMMAND --help)" on stderr; returns ExitUsage.
int UsageError(const CCommandSpec& spec, const std::string& message);

std::string CommandHelp(const CCommandSpec& spec);

// Values the option tables check.
bool IsPageNumber(const std::string& text);
int PageNumber(const std::string& text);  // of a value IsPageNumber accepted
