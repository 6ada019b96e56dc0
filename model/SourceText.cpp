#include "model/SourceText.h"

#include <algorithm>

#include "model/Reader.h"

namespace
{
constexpr std::string_view Ellipsis = "\xE2\x80\xA6";  // "…"

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

char32_t DecodeUtf8(std::string_view bytes)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80 || bytes.size() == 1)
        return lead;
    const int extra = static_cast<int>(bytes.size()) - 1;
    char32_t c = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i)
        c = (c << 6) | (static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]) & 0x3F);
    return c;
}

// Terminal cells of one character: the East Asian wide and fullwidth blocks take two.
int Cells(std::string_view character, TextEncoding encoding)
{
    if (encoding == TextEncoding::Cp932)
        return character.size() == 2 ? 2 : 1;
    const char32_t c = DecodeUtf8(character);
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
                      (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

// How many characters of a line the snippet shows at most, and how many before the
// caret when the line has to be cut.
constexpr int WindowCharacters = 100;
constexpr int ContextBefore = 40;
}  // namespace

std::size_t CharacterLength(std::string_view text, std::size_t i, TextEncoding encoding)
{
    const auto c = static_cast<unsigned char>(text[i]);
    if (encoding == TextEncoding::Cp932)
        return IsCp932Lead(c) && i + 1 < text.size() ? 2 : 1;
    std::size_t n = 1;
    while (n < 4 && i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

CSourceLines::CSourceLines(std::string_view text, TextEncoding encoding) : Coding(encoding)
{
    const std::size_t bom = text.starts_with(Utf8Bom) ? Utf8Bom.size() : 0;
    All = text.substr(0, text.find('\x1A', bom));
    // Sized first: a large file has lines by the hundred thousand.
    const auto lines = static_cast<std::size_t>(std::count(All.begin(), All.end(), '\n')) + 1;
    Starts.reserve(lines);
    LineEnds.reserve(lines);
    for (std::size_t start = bom; start < All.size();) {
        const std::size_t feed = std::min(All.find('\n', start), All.size());
        std::size_t end = start + std::min(All.substr(start, feed - start).find('\0'), feed - start);
        while (end > start && IsWhite(All[end - 1]))
            --end;
        Starts.push_back(start);
        LineEnds.push_back(end);
        start = feed + 1;
    }
}

std::string_view CSourceLines::Line(int n) const
{
    if (n < 1 || n > LineCount())
        return {};
    const auto i = static_cast<std::size_t>(n - 1);
    return All.substr(Starts[i], LineEnds[i] - Starts[i]);
}

std::size_t CSourceLines::Offset(int line, int column, Lookup lookup) const
{
    const std::string_view text = Line(line);
    if (text.data() == nullptr)
        return line < 1 && !Starts.empty() ? Starts.front() : All.size();
    const std::size_t start = static_cast<std::size_t>(text.data() - All.data());
    CCursor& cursor = Cursors[lookup];
    if (line != cursor.Line || column < cursor.Column)
        cursor = {line, 1, start};
    std::size_t i = cursor.Offset - start;
    while (cursor.Column < column && i < text.size()) {
        i += CharacterLength(text, i, Coding);
        ++cursor.Column;
    }
    cursor.Offset = start + i;
    return cursor.Offset;
}

std::size_t CSourceLines::TokenEnd(std::size_t offset) const
{
    std::size_t end = offset;
    while (end < All.size() && All[end] != '/' && All[end] != '\n' && All[end] != '\0')
        ++end;
    // White space at the line's end belongs to no token; before a '/' it does.
    while (end > offset && (end == All.size() || All[end] != '/') && IsWhite(All[end - 1]))
        --end;
    return end;
}

std::pair<std::size_t, std::size_t> CSourceLines::Range(const CDiagnostic& d) const
{
    const std::size_t begin = Offset(d.Line, d.Column);
    const std::size_t end = d.EndColumn > d.Column ? Offset(d.Line, d.EndColumn, Ends) : TokenEnd(begin);
    return {begin, std::max(begin, end)};
}

CSnippet MakeSnippet(const CSourceLines& lines, const CDiagnostic& d)
{
    CSnippet snippet;
    const std::string_view line = lines.Line(d.Line);
    if (line.data() == nullptr)
        return snippet;
    const std::size_t lineStart = static_cast<std::size_t>(line.data() - lines.Text().data());
    // A long line is shown from a little before the caret.
    std::size_t from = 0;
    if (line.size() > static_cast<std::size_t>(WindowCharacters) && d.Column > WindowCharacters - ContextBefore) {
        from = lines.Offset(d.Line, d.Column - ContextBefore, CSourceLines::Windows) - lineStart;
        snippet.CutBefore = from > 0;
    }
    const auto [begin, end] = lines.Range(d);
    const std::size_t caret = std::min(begin - std::min(begin, lineStart), line.size());
    const std::size_t stop = std::min(end - std::min(end, lineStart), line.size());
    if (snippet.CutBefore)
        snippet.Marker += ' ';
    int cell = 0;
    int shown = 0;
    std::size_t i = from;
    for (; i < line.size() && shown < WindowCharacters; ++shown) {
        const std::size_t length = CharacterLength(line, i, lines.Encoding());
        const std::string_view character = line.substr(i, length);
        int cells = 1;
        if (character == "\t") {
            cells = 8 - cell % 8;
            snippet.Source.append(static_cast<std::size_t>(cells), ' ');
        } else if (length == 1 && (static_cast<unsigned char>(character[0]) < 0x20 || character[0] == 0x7F)) {
            snippet.Source += ' ';
        } else {
            cells = Cells(character, lines.Encoding());
            snippet.Source += character;
        }
        const char mark = i < caret ? ' ' : i == caret ? '^' : i < stop ? '~' : '\0';
        if (mark != '\0') {
            snippet.Marker += mark;
            snippet.Marker.append(static_cast<std::size_t>(cells - 1), mark == '^' ? '~' : mark);
        }
        cell += cells;
        i += length;
    }
    snippet.CutAfter = i < line.size();
    if (caret >= i)  // at the end of the line, or past what is shown
        snippet.Marker += '^';
    return snippet;
}

std::string ShortenQuotes(std::string_view message)
{
    constexpr std::size_t Longest = 40;
    std::string out;
    out.reserve(message.size());
    std::size_t i = 0;
    while (i < message.size()) {
        const bool opens = message[i] == '\'' && (i == 0 || message[i - 1] == ' ' || message[i - 1] == '(');
        if (!opens) {
            out += message[i++];
            continue;
        }
        // The closing quote is the first one that a space, punctuation or the end follows.
        std::size_t close = i + 1;
        for (; close < message.size(); ++close) {
            const char next = close + 1 < message.size() ? message[close + 1] : ' ';
            if (message[close] == '\'' && std::string_view(" :;,.)").find(next) != std::string_view::npos)
                break;
        }
        if (close >= message.size()) {
            out += message.substr(i);
            break;
        }
        const std::string_view inside = message.substr(i + 1, close - i - 1);
        std::size_t characters = 0;
        std::size_t keep = inside.size();
        for (std::size_t k = 0; k < inside.size(); k += CharacterLength(inside, k, TextEncoding::Utf8))
            if (++characters == Longest)
                keep = k;
        out += '\'';
        if (characters > Longest) {
            out += inside.substr(0, keep);
            out += Ellipsis;
        } else {
            out += inside;
        }
        out += '\'';
        i = close + 1;
    }
    return out;
}

std::string CountSummary(std::size_t errors, std::size_t warnings)
{
    const auto count = [](std::size_t n, const char* what) {
        return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    if (errors && warnings)
        return count(errors, "error") + " and " + count(warnings, "warning");
    if (errors)
        return count(errors, "error");
    return warnings ? count(warnings, "warning") : std::string();
}

CUtf16Positions::CUtf16Positions(std::string_view utf8) : Text(utf8)
{
    Starts.push_back(0);
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')
            ++i;
        if (Text[i] == '\n' || Text[i] == '\r')
            Starts.push_back(i + 1);
    }
}

std::size_t CUtf16Positions::LineEnd(std::size_t line) const
{
    std::size_t end = line + 1 < Starts.size() ? Starts[line + 1] : Text.size();
    if (end > Starts[line] && (Text[end - 1] == '\n' || Text[end - 1] == '\r'))
        --end;
    if (end > Starts[line] && Text[end - 1] == '\r')
        --end;
    return end;
}

CTextPosition CUtf16Positions::Position(std::size_t offset, bool isEnd) const
{
    offset = std::min(offset, Text.size());
    const auto after = std::upper_bound(Starts.begin(), Starts.end(), offset);
    const std::size_t line = static_cast<std::size_t>(after - Starts.begin()) - 1;
    CCursor& cursor = Cursors[isEnd ? 1 : 0];
    if (cursor.Position.Line != static_cast<int>(line) || cursor.Offset > offset || cursor.Offset < Starts[line])
        cursor = {Starts[line], {static_cast<int>(line), 0}};
    const std::size_t end = std::min(offset, LineEnd(line));
    while (cursor.Offset < end) {
        const std::size_t length = CharacterLength(Text, cursor.Offset, TextEncoding::Utf8);
        cursor.Position.Character += length == 4 ? 2 : 1;
        cursor.Offset += length;
    }
    return cursor.Position;
}

std::size_t CUtf16Positions::Offset(CTextPosition position) const
{
    if (position.Line < 0)
        return 0;
    if (static_cast<std::size_t>(position.Line) >= Starts.size())
        return Text.size();
    const std::size_t line = static_cast<std::size_t>(position.Line);
    const std::size_t end = LineEnd(line);
    std::size_t i = Starts[line];
    for (int units = 0; i < end;) {
        const std::size_t length = CharacterLength(Text, i, TextEncoding::Utf8);
        units += length == 4 ? 2 : 1;
        if (units > position.Character)
            break;
        i += length;
    }
    return i;
}
