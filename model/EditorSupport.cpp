#include "model/EditorSupport.h"

#include <algorithm>

#include "model/Reader.h"
#include "model/Score.h"
#include "settings/Directives.h"
#include "symbols/Items.h"
#include "symbols/Marks.h"

namespace
{
char At(std::string_view text, std::size_t i) { return i < text.size() ? text[i] : '\0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Quote(std::string_view text)
{
    // Appended, not "'" + std::string(text): GCC 12 warns falsely (-Wrestrict) in Release.
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '\'';
    quoted += text;
    quoted += '\'';
    return ShortenQuotes(quoted);
}

std::string LengthName(int length)
{
    switch (length) {
    case 1: return "whole";
    case 2: return "half";
    case 4: return "quarter";
    case 8: return "eighth";
    case 16: return "sixteenth";
    case 32: return "thirty-second";
    default: return "length-" + std::to_string(length);
    }
}

const char* Refused = "; refused (see the problem reported here)";

std::string DescribeNote(std::string_view arg, CScore& score)
{
    int length = 0;
    if (!ReadSmallNumber(arg, length))
        return std::string("note") + Refused;
    std::string text = LengthName(length) + " note";
    if (At(arg, 0) == '.') {
        text = "dotted " + text;
        arg.remove_prefix(1);
    }
    const char flag = At(arg, 0);
    const char head = At(arg, 1);
    if ((flag != 'n' && flag != 's' && flag != 'c') || (head != 'n' && head != 'c' && head != 's'))
        return text + Refused;
    text += flag == 'n' ? ", no flag" : flag == 's' ? ", own flag" : ", beamed";
    text += head == 'c' ? ", cross heads" : head == 's' ? ", slash heads" : "";
    CItemNote note(&score, 1);
    const int32_t stop = note.SetFrets(arg.substr(2));
    std::string frets;
    for (int32_t s = 1; s <= static_cast<int32_t>(note.Frets.size()); ++s) {
        const int32_t fret = note.GetFret(s);
        if (fret == CItemNote::NoNote || fret == CItemNote::Invalid)
            continue;
        frets += frets.empty() ? "" : ", ";
        frets += (fret == CItemNote::Muted ? std::string("x") : std::to_string(fret)) + " (string " +
                 std::to_string(s) + ")";
    }
    text += frets.empty() ? "; no frets" : "; frets " + frets;
    if (stop)
        text += "; the fret list stops at string " + std::to_string(stop);
    return text;
}

std::string DescribeRest(std::string_view arg)
{
    int length = 0;
    if (!ReadSmallNumber(arg, length))
        return std::string("rest") + Refused;
    return (At(arg, 0) == '.' ? "dotted " : "") + LengthName(length) + " rest";
}

std::string DescribeTime(std::string_view arg)
{
    int numerator = 0;
    int denominator = 0;
    if (!ReadSmallNumber(arg, numerator) || At(arg, 0) != ',')
        return std::string("time signature") + Refused;
    arg.remove_prefix(1);
    if (!ReadSmallNumber(arg, denominator))
        return std::string("time signature") + Refused;
    return "time signature " + std::to_string(numerator) + "/" + std::to_string(denominator);
}

std::string DescribeBar(std::string_view arg)
{
    if (At(arg, 0) != ':')
        return "bar line after the item before it";
    return At(arg, 1) == 'e' ? "repeat bar: end of a repeated section" : "repeat bar: start of a repeated section";
}

std::string DescribeTuplet(std::string_view arg)
{
    int number = 3;
    ReadSmallNumber(arg, number);
    return "tuplet start: number " + std::to_string(number) + (At(arg, 0) == '[' ? ", with a bracket" : "");
}

std::string DescribeBeam(std::string_view arg)
{
    int number = 0;
    if (!ReadSmallNumber(arg, number))
        return std::string("beam start") + Refused;
    static const char* const Beams[] = {"the first beam (a value below 8 draws as 8)", "the first beam (eighths)",
                                        "the second beam (sixteenths)", "the third beam (thirty-seconds)",
                                        "the fourth beam (sixty-fourths)"};
    const int level = number < 8 ? 0 : number < 16 ? 1 : number < 32 ? 2 : number < 64 ? 3 : 4;
    return std::string("beam start: ") + Beams[level] + "; a one-note stub points " +
           (At(arg, 0) == '<' ? "left" : "right");
}

std::string DescribeTie(std::string_view arg, CScore& score)
{
    std::size_t digit = 0;
    while (digit < arg.size() && !IsDigit(arg[digit]))
        ++digit;
    CTie tie(&score);
    if (digit < arg.size())
        tie.SetLevel(arg[digit] - '0');
    std::string text = "tie start";
    if (digit > 0)
        text += ", label " + Quote(arg.substr(0, digit));
    return text + ", on string " + std::to_string(tie.GetLevel());
}

std::string DescribeVibrato(std::string_view arg, CScore& score)
{
    CVibrato vibrato(&score);
    if (IsDigit(At(arg, 0)))
        vibrato.SetLevel(arg[0] - '0');
    return "vibrato start, on string " + std::to_string(vibrato.GetLevel());
}

std::string DescribeTitle(std::string_view arg)
{
    if (At(arg, 0) == 'm')
        return "main title " + Quote(arg.substr(1));
    const char side = At(arg, 1);
    const char end = At(arg, 2);
    const char digit = At(arg, 3);
    if (At(arg, 0) != 's' || (side != 'l' && side != 'r') || (end != 't' && end != 'b') || digit < '1' ||
        digit > '5')
        return std::string("title") + Refused;
    return std::string("title line ") + digit + " at the " + (end == 't' ? "top " : "bottom ") +
           (side == 'l' ? "left: " : "right: ") + Quote(arg.substr(4));
}

std::string DescribeDirective(std::string_view text, CScore& score)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::string("setting") + Refused;
    const std::string_view key = text.substr(0, colon);
    const CDirectiveTable table(score.Settings);
    if (!table.Knows(key))
        return "not a setting: " + Quote(key) + " is ignored";
    return "setting " + std::string(key) + " = " + Quote(text.substr(colon + 1));
}

std::string DescribeMark(std::string_view token, CScore& score)
{
    const char second = At(token, 1);
    switch (token[0]) {
    case '3':
        return second == 's' ? DescribeTuplet(token.substr(2)) : second == 'e' ? "tuplet end" : "";
    case '[':
        return second == 's' ? "repeat ending start, label " + Quote(token.substr(2))
               : second == 'e' ? "repeat ending end"
                               : "";
    case '_':
        return second == 's' ? DescribeTie(token.substr(2), score) : second == 'e' ? "tie end" : "";
    case 'f':
        return second == 's' ? DescribeBeam(token.substr(2)) : second == 'e' ? "beam end" : "";
    case 'v':
        return At(token, 2) == 's' ? DescribeVibrato(token.substr(3), score)
               : At(token, 2) == 'e' ? "vibrato end"
                                     : "";
    default:
        return "";
    }
}
}  // namespace

std::string DescribeToken(std::string_view token, CScore& score)
{
    if (token.empty())
        return {};
    switch (token[0]) {
    case ' ':
        return "space: an empty column";
    case '$':
        return DescribeDirective(token.substr(1), score);
    case '-':
        return DescribeTime(token.substr(1));
    case 'n':
        return DescribeNote(token.substr(1), score);
    case 'r':
        return DescribeRest(token.substr(1));
    case 't':
        return DescribeTitle(token.substr(1));
    case '|':
        return DescribeBar(token.substr(1));
    case 'c':
        if (At(token, 1) == 'h') {
            const bool framed = At(token, 2) == '[';
            return "chord name " + Quote(token.substr(framed ? 3 : 2)) + (framed ? ", framed" : "");
        }
        break;
    case 'v':
        if (At(token, 1) != 'b')
            break;
        [[fallthrough]];
    case '3':
    case '[':
    case '_':
    case 'f':
    {
        const std::string mark = DescribeMark(token, score);
        return mark.empty() ? std::string("not a token") + Refused : mark;
    }
    default:
        break;
    }
    return "not a token: its first character selects nothing, so it is ignored";
}

std::vector<CEditorDiagnostic> DiagnoseText(std::string_view utf8, const CSettingsStore& store)
{
    CScore score(store);
    std::vector<CDiagnostic> found;
    ReadScoreText(utf8, score, &found);
    // The layout says whether the score runs past the last page.
    score.LayoutScore(CScore::LayoutDepth::Pages);
    ReportLayoutCut(score, utf8, found);
    const CSourceLines lines(utf8, score.Encoding);
    const CUtf16Positions positions(utf8);
    std::vector<CEditorDiagnostic> out;
    out.reserve(found.size());
    for (CDiagnostic& d : found) {
        const auto [begin, end] = lines.Range(d);
        out.push_back({positions.Position(begin), positions.Position(end, true), d.IsError, std::move(d.Code),
                       ShortenQuotes(d.Message)});
    }
    return out;
}

std::optional<CHover> HoverAt(std::string_view utf8, CTextPosition at, const CSettingsStore& store)
{
    const CUtf16Positions positions(utf8);
    const std::size_t offset = positions.Offset(at);
    // The token around the offset, as the reader splits the line.
    const std::size_t lineStart = offset == 0 ? 0 : utf8.rfind('\n', offset - 1) + 1;
    std::string_view line = utf8.substr(lineStart);
    line = line.substr(0, line.find('\n'));
    line = line.substr(0, line.find('\0'));
    const std::size_t within = offset - lineStart;
    if (within >= line.size() || line[within] == '/')
        return std::nullopt;
    const std::size_t slash = line.rfind('/', within);
    const std::size_t begin = slash == std::string_view::npos ? 0 : slash + 1;
    CScore score(store);
    ReadScoreText(utf8, score);
    const CSourceLines lines(utf8, score.Encoding);
    const std::size_t end = lines.TokenEnd(lineStart + begin);
    if (lineStart + within >= end)
        return std::nullopt;  // the white space that ends the line
    std::string_view token = utf8.substr(lineStart + begin, end - lineStart - begin);
    if (lineStart == 0 && token.starts_with("\xEF\xBB\xBF"))
        token.remove_prefix(3);
    return CHover{DescribeToken(token, score), positions.Position(lineStart + begin),
                  positions.Position(end, true)};
}
