#include "cli/Options.h"

#include <cstdio>
#include <cstdlib>

namespace
{
std::string CommandName(const CCommandSpec& spec)
{
    return *spec.Name ? std::string("plekto ") + spec.Name : std::string("plekto");
}

const COption* FindLong(const CCommandSpec& spec, std::string_view name)
{
    for (const COption& option : spec.Options)
        if (name == option.Name)
            return &option;
    return nullptr;
}

const COption* FindShort(const CCommandSpec& spec, char letter)
{
    for (const COption& option : spec.Options)
        if (option.Short != 0 && option.Short == letter)
            return &option;
    return nullptr;
}

// Stores one option's value, taken from "=value", the rest of "-xVALUE" or the next
// argument. Returns an empty string when it was accepted, else the complaint.
std::string TakeOption(const COption& option, const char* given, const std::string* inlineValue,
                       const CArgs& args, std::size_t& i, CParsedArgs& parsed)
{
    if (!option.Value) {
        if (inlineValue)
            return std::string(given) + " takes no value";
        parsed.Values[option.Name] = std::string();
        return {};
    }
    std::string value;
    if (inlineValue)
        value = *inlineValue;
    else if (i + 1 < args.size())
        value = args[++i];
    else
        return std::string(given) + " needs " + (option.Expected ? option.Expected : option.Value);
    if (option.Accepts && !option.Accepts(value))
        return std::string(given) + " needs " + option.Expected + ", not \"" + value + "\"";
    parsed.Values[option.Name] = value;
    return {};
}
}  // namespace

int UsageError(const CCommandSpec& spec, const std::string& message)
{
    const std::string name = CommandName(spec);
    std::fprintf(stderr, "%s: %s (%s --help)\n", name.c_str(), message.c_str(), name.c_str());
    return ExitUsage;
}

int ParseArgs(const CCommandSpec& spec, const CArgs& args, CParsedArgs& parsed, std::string* complaintOut)
{
    const auto fail = [&](const std::string& message) {
        if (!complaintOut)
            return UsageError(spec, message);
        *complaintOut = message;
        return static_cast<int>(ExitUsage);
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.Operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            std::fputs(CommandHelp(spec).c_str(), stdout);
            return ExitSuccess;
        }
        std::string complaint;
        const std::size_t equals = arg.find('=');
        if (const COption* exact = FindLong(spec, arg)) {
            complaint = TakeOption(*exact, arg.c_str(), nullptr, args, i, parsed);
        } else if (arg[1] == '-' && equals != std::string::npos) {
            const std::string name = arg.substr(0, equals), value = arg.substr(equals + 1);
            const COption* option = FindLong(spec, name);
            complaint = option ? TakeOption(*option, name.c_str(), &value, args, i, parsed)
                               : "unknown option " + name;
        } else if (arg[1] != '-' && FindShort(spec, arg[1])) {
            const std::string given = arg.substr(0, 2), rest = arg.substr(2);
            complaint = TakeOption(*FindShort(spec, arg[1]), given.c_str(), rest.empty() ? nullptr : &rest, args,
                                   i, parsed);
        } else {
            complaint = "unknown option " + arg;
        }
        if (!complaint.empty())
            return fail(complaint);
    }
    if (parsed.Operands.size() < spec.MinOperands)
        return fail("no file given");
    if (parsed.Operands.size() > spec.MaxOperands)
        return fail(spec.MaxOperands == 0 ? "takes no file" : "more than one file given");
    return -1;
}

std::string CommandHelp(const CCommandSpec& spec)
{
    std::string text = "Usage: " + CommandName(spec) + " " + spec.Operands + "\n\n" + spec.Summary + "\n";
    text += "\nOptions:\n";
    auto add = [&text](const std::string& left, const char* help) {
        std::string line = "  " + left;
        line += line.size() < 24 ? std::string(24 - line.size(), ' ') : "\n" + std::string(24, ' ');
        text += line + help + "\n";
    };
    for (const COption& option : spec.Options) {
        std::string left = option.Short ? std::string("-") + option.Short + ", " + option.Name : option.Name;
        if (option.Value)
            left += std::string(" ") + option.Value;
        add(left, option.Help);
    }
    add("-h, --help", "Show this text.");
    text += "\nExit status: 0 success; 1 a file could not be read or written";
    text += std::string_view(spec.Name) == "check" ? ",\nor errors were found; " : "; ";
    text += "2 wrong usage.\n";
    return text;
}

bool IsPageNumber(const std::string& text)
{
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && v >= 1 && v <= 1000000;
}

int PageNumber(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }
