// Where problems are shown: the caret under the source line (tabs, double-width
// characters, long lines), UTF-16 positions for editors, and what a token means on hover.
#include <gtest/gtest.h>

#include "ScoreFixture.h"
#include "model/EditorSupport.h"
#include "model/SourceText.h"

namespace
{
CDiagnostic At(int line, int column, int endColumn = 0)
{
    return {.Line = line, .Column = column, .Message = {}, .Code = {}, .EndColumn = endColumn};
}
}  // namespace

TEST(SourceText, CaretUnderTheCoveredCells)
{
    struct Case { const char* Name; std::string Text; TextEncoding Encoding; CDiagnostic Where; std::string Source, Marker; };
    const std::string longLine = std::string(150, 'a') + "/zz";
    const Case cases[] = {
        {"given end column", "n4nn0,2,2\n", TextEncoding::Utf8, At(1, 6, 10), "n4nn0,2,2", "     ^~~~"},
        {"caret on a tab", "n4\tn\n", TextEncoding::Utf8, At(1, 3, 4), "n4      n", "  ^~~~~~"},
        {"utf-8 wide and astral", "tm\xE6\x9B\xB2\xF0\x9F\x8E\xB8/x\n", TextEncoding::Utf8, At(1, 6),
         "tm\xE6\x9B\xB2\xF0\x9F\x8E\xB8/x", "       ^"},
        {"cp932 pair is one wide column", "\x8b\xc8/_e\n", TextEncoding::Cp932, At(1, 1), "\x8b\xc8/_e", "^~"},
        {"past the line's end", "n4nn0\n", TextEncoding::Utf8, At(1, 9), "n4nn0", "     ^"},
        {"second line, CR before the feed", "r4\r\nn4/|x\r\n", TextEncoding::Utf8, At(2, 4), "n4/|x", "   ^~"},
    };
    for (const Case& c : cases) {
        const CSourceLines lines(c.Text, c.Encoding);
        const CSnippet snippet = MakeSnippet(lines, c.Where);
        EXPECT_EQ(snippet.Source, c.Source) << c.Name;
        EXPECT_EQ(snippet.Marker, c.Marker) << c.Name;
        EXPECT_FALSE(snippet.CutBefore) << c.Name; EXPECT_FALSE(snippet.CutAfter) << c.Name;
    }
    // A long line is cut to a window around the caret, in order along the line.
    const CSourceLines lines(longLine, TextEncoding::Utf8);
    const CSnippet cut = MakeSnippet(lines, At(1, 152));
    EXPECT_TRUE(cut.CutBefore); EXPECT_FALSE(cut.CutAfter);
    EXPECT_EQ(cut.Source, std::string(39, 'a') + "/zz"); EXPECT_EQ(cut.Marker, std::string(41, ' ') + "^~");
    EXPECT_TRUE(MakeSnippet(lines, At(1, 3)).CutAfter);
    EXPECT_TRUE(MakeSnippet(lines, At(7, 1)).Marker.empty());
}

TEST(SourceText, MessagesAndCounts)
{
    const std::string long41 = std::string(41, 'x');
    EXPECT_EQ(ShortenQuotes("'" + long41 + "' was ignored"), "'" + std::string(39, 'x') + "\xE2\x80\xA6' was ignored");
    EXPECT_EQ(ShortenQuotes("'" + std::string(40, 'x') + "': kept"), "'" + std::string(40, 'x') + "': kept");
    EXPECT_EQ(ShortenQuotes("'tmDon't stop' was read"), "'tmDon't stop' was read");
    EXPECT_EQ(ShortenQuotes("frets are separated by '.'"), "frets are separated by '.'");
    EXPECT_EQ(CountSummary(2, 1), "2 errors and 1 warning"); EXPECT_EQ(CountSummary(1, 0), "1 error");
    EXPECT_EQ(CountSummary(0, 3), "3 warnings"); EXPECT_EQ(CountSummary(0, 0), "");
}

TEST(SourceText, Utf16PositionsRoundTrip)
{
    // Line breaks as editors count them; U+1F3B8 is two UTF-16 units, é one.
    const std::string text = "a\xF0\x9F\x8E\xB8\xC3\xA9/b\r\nc\rd\n";
    const CUtf16Positions positions(text);
    const struct { std::size_t Offset; CTextPosition Position; } cases[] = {
        {0, {0, 0}}, {1, {0, 1}}, {5, {0, 3}}, {7, {0, 4}}, {9, {0, 6}}, {11, {1, 0}}, {13, {2, 0}}};
    for (const auto& c : cases) {
        EXPECT_EQ(positions.Position(c.Offset), c.Position) << c.Offset;
        EXPECT_EQ(positions.Offset(c.Position), c.Offset) << c.Offset;
    }
    EXPECT_EQ(positions.Offset({0, 99}), 9u);  // past the end: the line's end
}

TEST(EditorSupport, HoverSaysWhatTheTokenMade)
{
    CMemorySettingsStore store;
    const std::string text = "$Strings:4/$Nonsense:1/tslb2Capo 2/-3,4\n"
                             "n8cn0.2/fs16</n8.sc12.x/fe/|\n"
                             "r16./ /_sh9/vbs/3s5[/chAm7/[s1./|:e/zz\n";
    const struct { CTextPosition At; std::string Says; } cases[] = {
        {{0, 3}, "setting Strings = '4'"},
        {{0, 12}, "not a setting: 'Nonsense' is ignored"},
        {{0, 25}, "title line 2 at the bottom left: 'Capo 2'"},
        {{0, 37}, "time signature 3/4"},
        {{1, 0}, "eighth note, beamed; frets 0 (string 1), 2 (string 2)"},
        {{1, 9}, "beam start: the second beam (sixteenths); a one-note stub points left"},
        {{1, 16}, "dotted eighth note, own flag, cross heads; frets 12 (string 1), x (string 2)"},
        {{1, 27}, "bar line after the item before it"},
        {{2, 0}, "dotted sixteenth rest"},
        {{2, 5}, "space: an empty column"},
        {{2, 8}, "tie start, label 'h', on string 4"},
        {{2, 13}, "vibrato start, on string 4"},
        {{2, 17}, "tuplet start: number 5, with a bracket"},
        {{2, 22}, "chord name 'Am7'"},
        {{2, 29}, "repeat ending start, label '1.'"},
        {{2, 33}, "repeat bar: end of a repeated section"},
        {{2, 37}, "not a token: its first character selects nothing, so it is ignored"},
    };
    for (const auto& c : cases) {
        const std::optional<CHover> hover = HoverAt(text, c.At, store);
        ASSERT_TRUE(hover) << c.Says;
        EXPECT_EQ(hover->Text, c.Says);
    }
    const std::optional<CHover> note = HoverAt(text, {1, 3}, store);
    EXPECT_EQ(note->Start, (CTextPosition{1, 0})); EXPECT_EQ(note->End, (CTextPosition{1, 7}));
    EXPECT_FALSE(HoverAt(text, {1, 7}, store));  // on a separator
    EXPECT_FALSE(HoverAt(text, {5, 0}, store));  // past the text
}
