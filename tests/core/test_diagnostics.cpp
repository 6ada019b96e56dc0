// What "plekto check" reports: every kind of refusal with its reason and what it
// skipped, and the warnings for ignored tokens, unclosed marks, unknown settings and
// cut-short fret lists. Positions are 1-based; columns count decoded characters.
#include <gtest/gtest.h>

#include <sstream>

#include "ScoreFixture.h"

namespace
{
std::vector<std::string> Check(const std::string& text)
{
    CMemorySettingsStore store;
    CScore score(store);
    std::vector<CDiagnostic> found;
    CScoreReader reader(score);
    reader.Diagnostics = &found;
    std::istringstream in(text);
    reader.Read(in);
    std::vector<std::string> lines;
    for (const CDiagnostic& d : found)
        lines.push_back(std::to_string(d.Line) + ":" + std::to_string(d.Column) + ": " +
                        (d.IsError ? "error: " : "warning: ") + d.Message);
    return lines;
}
}  // namespace

TEST(Diagnostics, EveryRefusalSaysWhyAndWhatItSkipped)
{
    const std::string text = "_e/n4nn0/r4/n4nn1\n"
                             "n4nn0/fe\n"
                             "r4/fs8/n8cn0\n"
                             "n4nn0/fs/r8\n"
                             "3e\n"
                             "vbe\n"
                             "[e\n"
                             "n8cn1/fs8/r8/fe\n"
                             "3x/[x/_x/fx/vbx\n"
                             "n/n4/n4x/n4nx\n"
                             "r\n"
                             "-4/-x/-4,\n"
                             "tq/tsx/tslx/tslt9\n"
                             "$MarginTop\n"
                             "$Strings:4\n"
                             "$Strings:65\n"
                             "n4nn0/fe\n";
    const std::vector<std::string> expected = {
        "1:1: error: '_e' closes no open tie; the rest of the line, 3 tokens, was skipped",
        "2:7: error: 'fe' closes no open beam",
        "3:4: error: 'fs8' needs a note before it; the rest of the line, 1 token, was skipped",
        "4:7: error: 'fs' needs a note value for its beam, such as 8 or 16; the rest of the line, 1 token, was skipped",
        "5:1: error: '3e' closes no open tuplet",
        "6:1: error: 'vbe' closes no open vibrato",
        "7:1: error: '[e' closes no open repeat ending",
        "8:14: error: 'fe' needs a note before it; the beam stays open",
        "9:1: error: '3x' is not a token: '3' must be followed by 's' or 'e'; the rest of the line, 4 tokens, was "
        "skipped",
        "10:1: error: 'n' has no length; the rest of the line, 3 tokens, was skipped",
        "11:1: error: 'r' has no length",
        "12:1: error: '-4' needs a comma between numerator and denominator; the rest of the line, 2 tokens, was "
        "skipped",
        "13:1: error: 'tq' is not a title token: 'tm' or 'ts' must begin it; the rest of the line, 3 tokens, was "
        "skipped",
        "14:1: error: '$MarginTop' has no ':' between key and value",
        // The first note (line 2) locked the string count.
        "15:1: error: '$Strings' comes after the first item or after another '$Strings'",
        "16:1: error: '$Strings' comes after the first item or after another '$Strings'",
        // Line 17 closes the beam that line 8 left open, so nothing is reported for it.
    };
    const auto found = Check(text);
    EXPECT_EQ(found, expected);
}

TEST(Diagnostics, EachKindOfBadTokenNamesItsFault)
{
    const std::pair<const char*, const char*> cases[] = {
        {"[x", "'[x' is not a token: '[' must be followed by 's' or 'e'"},
        {"_x", "'_x' is not a token: '_' must be followed by 's' or 'e'"},
        {"fx", "'fx' is not a token: 'f' must be followed by 's' or 'e'"},
        {"vbx", "'vbx' is not a token: 'vb' must be followed by 's' or 'e'"},
        {"n4", "'n4' has no flag letter"},
        {"n4x", "'n4x' has no flag letter (n, s or c) after its length"},
        {"n4n", "'n4n' has no head letter"},
        {"n4nx", "'n4nx' has no head letter (n, c or s) after its flag letter"},
        {"-x", "'-x' has no numerator"},
        {"-4,", "'-4,' has no denominator"},
        {"|", "'|' has no item before it"},
        {"chC", "'chC' needs an item before it"},
        {"tsx1", "'tsx1' needs the side l or r after 'ts'"},
        {"tslx", "'tslx' needs the end t or b after its side"},
        {"tslt9", "'tslt9' needs a line place from 1 to 5"},
        {"$Strings:65", "'$Strings' is more than 64"},
    };
    for (auto [token, message] : cases) {
        SCOPED_TRACE(token);
        const auto found = Check(token);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0], std::string("1:1: error: ") + message);
    }
}

TEST(Diagnostics, WarningsForWhatWasIgnoredOrDropped)
{
    const auto found = Check("n4nn0/CH/#/cx/vq\n"
                             "$Colour:red/n4nn3.q.5\n"
                             "3s/_sh/n4nn0/vbs/[s1./fs8\n");
    const std::vector<std::string> expected = {
        "1:7: warning: 'CH' was ignored: its first character selects no token",
        "1:10: warning: '#' was ignored: its first character selects no token",
        "1:12: warning: 'cx' was ignored: its first character selects no token",
        "1:15: warning: 'vq' was ignored: its first character selects no token",
        "2:1: warning: '$Colour' is not a setting and was ignored",
        "2:13: warning: 'n4nn3.q.5': the fret list stops at the piece for string 2, which is not a fret, x or -; "
        "the strings from there on stay empty",
        "3:1: warning: the tuplet is never closed and was dropped",
        "3:4: warning: '_sh' names no string: the tie is drawn on string 1",
        "3:4: warning: the tie is never closed and was dropped",
        "3:14: warning: the vibrato is never closed and was dropped",
        "3:18: warning: the repeat ending is never closed and was dropped",
        "3:23: warning: the beam is never closed and was dropped",
    };
    EXPECT_EQ(found, expected);
}

TEST(Diagnostics, ColumnsCountDecodedCharacters)
{
    // Code page 932: two double-byte characters (0x9F leads one), then the bad token at
    // column 4.
    EXPECT_EQ(Check("\x9f\x40\x8b\xc8/_e\n").back(), "1:4: error: '_e' closes no open tie");
    // UTF-8 (the file is valid UTF-8 throughout): the same title in three-byte characters.
    EXPECT_EQ(Check("tm\xe6\x9b\xb2\xe6\x9b\xb2/_e\n").back(), "1:6: error: '_e' closes no open tie");
    EXPECT_TRUE(Check("tmClean/n4nn0/|/r4\n").empty());
    // Several positions on a line, each counted on from the last, and again on the next line.
    for (const std::string character : {"\x8b\xc8", "\xe6\x9b\xb2"}) {
        const std::vector<std::string> expected = {
            "1:1: warning: 'x' was ignored: its first character selects no token",
            "1:3: warning: '" + character + "y' was ignored: its first character selects no token",
            "1:6: error: '_e' closes no open tie",
            "2:1: warning: '" + character + "' was ignored: its first character selects no token",
            "2:3: warning: 'z' was ignored: its first character selects no token",
        };
        EXPECT_EQ(Check("x/" + character + "y/_e\n" + character + "/z\n"), expected);
    }
}
