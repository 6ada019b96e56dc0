// Where diagnostics point in a score text, for the people and editors who read them: the
// lines as the reader splits them, columns turned into byte offsets, the source line with
// a caret under the problem, and positions in the UTF-16 units editors count in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/TextEncoding.h"

struct CDiagnostic;

// The lines of a score text as the reader sees them: a UTF-8 byte-order mark skipped,
// Ctrl-Z ending the text, line feeds ending lines. The text must outlive it. Lookups of
// increasing columns on one line continue from the last one, so diagnostics in file
// order cost no more than the text they point into.
class CSourceLines
{
public:
    CSourceLines(std::string_view text, TextEncoding encoding);

    int LineCount() const { return static_cast<int>(Starts.size()); }
    // Line n (from 1) without its line feed, cut at a zero byte, trailing white space
    // removed; empty when there is no such line.
    std::string_view Line(int n) const;
    // The offset in the text of the 1-based column of a line, counted in characters as
    // the encoding decodes them; columns past the line's end give its end. Each kind of
    // lookup (window starts, range begins, range ends) goes on from its own last one.
    enum Lookup
    {
        Begins,
        Ends,
        Windows,
    };
    std::size_t Offset(int line, int column, Lookup lookup = Begins) const;
    // The offset just past the token that holds offset: the next '/' or the line's end.
    std::size_t TokenEnd(std::size_t offset) const;
    // The offsets a diagnostic covers: from its column to its end column, or to the end
    // of the token when the end column is unknown. End is never before begin.
    std::pair<std::size_t, std::size_t> Range(const CDiagnostic& d) const;

    std::string_view Text() const { return All; }
    TextEncoding Encoding() const { return Coding; }

private:
    std::string_view All;
    TextEncoding Coding;
    std::vector<std::size_t> Starts;
    std::vector<std::size_t> LineEnds;  // as Line cuts them
    struct CCursor
    {
        int Line = 0;
        int Column = 1;
        std::size_t Offset = 0;
    };
    mutable CCursor Cursors[3];
};

// Bytes of the character that starts at i (never past the end of text).
std::size_t CharacterLength(std::string_view text, std::size_t i, TextEncoding encoding);

// The source line under a diagnostic, for a terminal: tabs expanded to stops of eight,
// other control characters shown as spaces, and a line too long for a terminal cut to a
// window around the problem ("…" then stands for the part left out). The marker line
// has '^' under the first character and '~' under the rest of the range, both measured
// in terminal cells (a double-width character takes two).
struct CSnippet
{
    std::string Source;  // in the text's encoding
    bool CutBefore = false;
    bool CutAfter = false;
    std::string Marker;  // ASCII; counts a cell for the leading "…" when CutBefore
};
CSnippet MakeSnippet(const CSourceLines& lines, const CDiagnostic& d);

// A message (UTF-8) with each quoted token longer than 40 characters cut to its first 39
// and "…".
std::string ShortenQuotes(std::string_view message);

// "2 errors and 1 warning", "1 error", "3 warnings"; empty when both are 0.
std::string CountSummary(std::size_t errors, std::size_t warnings);

// A position as editors count it: line from 0, character in UTF-16 code units from 0.
struct CTextPosition
{
    int Line = 0;
    int Character = 0;
    bool operator==(const CTextPosition&) const = default;
};

// Positions in a UTF-8 text under the Language Server Protocol's rules: lines end at
// "\n", "\r\n" or "\r"; characters count UTF-16 code units (two for those beyond U+FFFF).
class CUtf16Positions
{
public:
    explicit CUtf16Positions(std::string_view utf8);
    // Starts and ends of ranges go on from their own last lookups.
    CTextPosition Position(std::size_t offset, bool isEnd = false) const;
    // The byte offset of a position; a character past the line's end gives the end.
    std::size_t Offset(CTextPosition position) const;

private:
    std::size_t LineEnd(std::size_t line) const;
    std::string_view Text;
    std::vector<std::size_t> Starts;
    struct CCursor
    {
        std::size_t Offset = 0;
        CTextPosition Position;
    };
    mutable CCursor Cursors[2];
};
