// What "plekto check" reports, one exact line per problem. Positions are 1-based; columns
// count decoded characters.
#include <gtest/gtest.h>

#include "ScoreFixture.h"

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
    EXPECT_EQ(Diagnose(text), expected);
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
        const auto found = Diagnose(token);
        ASSERT_EQ(found.size(), 1u); EXPECT_EQ(found[0], std::string("1:1: error: ") + message);
    }
}

TEST(Diagnostics, WarningsForWhatWasIgnoredOrDropped)
{
    const auto found = Diagnose("n4nn0/CH/#/cx/vq\n"
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
    EXPECT_EQ(Diagnose("\x9f\x40\x8b\xc8/_e\n").back(), "1:4: error: '_e' closes no open tie");
    // UTF-8 (the file is valid UTF-8 throughout): the same title in three-byte characters.
    EXPECT_EQ(Diagnose("tm\xe6\x9b\xb2\xe6\x9b\xb2/_e\n").back(), "1:6: error: '_e' closes no open tie");
    EXPECT_TRUE(Diagnose("tmClean/n4nn0/|/r4\n").empty());
    // Several positions on a line, each counted on from the last, and again on the next line.
    for (const std::string character : {"\x8b\xc8", "\xe6\x9b\xb2"}) {
        const std::vector<std::string> expected = {
            "1:1: warning: 'x' was ignored: its first character selects no token",
            "1:3: warning: '" + character + "y' was ignored: its first character selects no token",
            "1:6: error: '_e' closes no open tie",
            "2:1: warning: '" + character + "' was ignored: its first character selects no token",
            "2:3: warning: 'z' was ignored: its first character selects no token",
        };
        EXPECT_EQ(Diagnose("x/" + character + "y/_e\n" + character + "/z\n"), expected);
    }
}

TEST(Warnings, EachKindSaysWhatWasDrawnInstead)
{
    using namespace std::string_literals;
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"n4nn0,2,2", {"1:6-10: warning: frets are separated by '.': ',2,2' was ignored [ignored-characters]"}},
        {"r4..", {"1:4-5: warning: a rest is 'r', its length and an optional '.': '.' was ignored [ignored-characters]"}},
        {"r16.x", {"1:5-6: warning: a rest is 'r', its length and an optional '.': 'x' was ignored [ignored-characters]"}},
        {"$UnitWidth:5.5x", {"1:15-16: warning: a setting takes one number, 5.5 here: 'x' was ignored [ignored-characters]"}},
        {"n4nn99999", {"1:7-10: warning: a fret has at most two digits: string 1 shows fret 99: '999' was ignored "
                       "[ignored-characters]"}},
        {"n4nnxx", {"1:6-7: warning: string 1 is muted ('x'): 'x' was ignored [ignored-characters]"}},
        {"n4nn0/_sh3x/n4nn0/_e", {"1:11-12: warning: a tie names its string with one digit: 'x' was ignored "
                                  "[ignored-characters]"}},
        {"$UnitWidth:abc", {"1:12-15: warning: 'abc' is not a number: 0 was used [not-a-number]"}},
        {"$UnitWidth:", {"1:1-12: warning: no value is not a number: 0 was used [not-a-number]"}},
        {"$UnitWidth:1e400", {"1:12-17: warning: '1e400' is out of range: inf was used [number-out-of-range]"}},
        {"$UnitsForTAB:99999999999", {"1:14-25: warning: '99999999999' is out of range: 2147483647 was used "
                                      "[number-out-of-range]"}},
        {"$ShowTAB:maybe", {"1:10-15: warning: 'maybe' is neither yes nor no: read as no (only a value beginning with "
                            "Y or y means yes) [not-a-flag]"}},
        {"n3nn0/r64", {"1:2-3: warning: note length 3 is not 1, 2, 4, 8, 16 or 32: the note is drawn without a flag "
                       "[bad-length]",
                       "1:8-10: warning: rest length 64 is not 1, 2, 4, 8, 16 or 32: nothing is drawn for the rest "
                       "[bad-length]"}},
        {"-4,0", {"1:1-5: warning: '-4,0' has a 0: the time signature is drawn as written but counts nothing "
                  "[zero-time]"}},
        {"$PageWidth:-1", {"1:12-14: warning: a page width of 0 or less leaves no room on the page for the score "
                           "[bad-page-size]"}},
        {"$Tempo:0", {"1:8-9: warning: '0' is not a tempo from 4 to 1000 quarter notes per minute: '$Tempo' was "
                      "ignored [bad-playing-value]"}},
        {"$Capo:2x", {"1:8-9: warning: '2x' is not a capo fret from 0 to 24: '$Capo' was ignored [bad-playing-value]"}},
        {"$Tuning:E4,B3,G3,D3,A2,H2", {"1:24-26: warning: 'H2' is not a pitch name from C-1 to G9 such as E4, F#3 or "
                                       "Bb1: '$Tuning' was ignored [bad-playing-value]"}},
        {"$Tuning:E4,B3", {"1:9-14: warning: 'E4,B3' names 2 strings, but the staff has 6: '$Tuning' was ignored "
                           "[bad-playing-value]"}},
        {"$Program:", {"1:1-10: warning: no value is not a General MIDI program from 0 to 127: '$Program' was ignored "
                       "[bad-playing-value]"}},
        {"$Strings:0", {"1:10-11: warning: a staff of 0 strings draws no string lines and no frets "
                        "[bad-string-count]"}},
        {"n4nn0/_s9/n4nn0/_e", {"1:9-10: warning: there is no string 9 (the staff has 6): the tie is drawn on "
                                "string 6 [tie-string-out-of-range]"}},
        {"n4nn0/_sh/n4nn0/_e", {"1:7-10: warning: '_sh' names no string: the tie is drawn on string 1 "
                                "[tie-without-string]"}},
        {"n4nn0/vbs9/n4nn0/vbe", {"1:10-11: warning: there is no string 9 (the staff has 6): the vibrato is drawn "
                                  "below the staff [vibrato-string-out-of-range]"}},
        {"n4nn0.1.2.3.4.5.6.7", {"1:17-20: warning: more frets than strings: the staff has 6 strings, so '6.7' was "
                                 "dropped [extra-frets]"}},
        {" n4nn2", {"1:2-7: warning: a token that begins with a space is an empty column: 'n4nn2' was ignored "
                    "[space-token]"}},
        {"-4,4\tn4nn0", {"1:5-11: warning: a tab does not separate tokens, '/' does: '\tn4nn0' was ignored "
                         "[tab-in-token]"}},
        {"n4nn0/||/|e/|:x", {"1:8-9: warning: a bar is '|', '|:' or '|:e': '|' was ignored [bad-bar]",
                             "1:11-12: warning: a bar is '|', '|:' or '|:e': 'e' was ignored [bad-bar]",
                             "1:15-16: warning: a bar is '|', '|:' or '|:e': 'x' was ignored [bad-bar]"}},
        {"n4nn0/ch", {"1:7-9: warning: 'ch' has no chord name: an empty one is drawn [empty-chord]"}},
        {"tmA/tmB/tslt1A/tslt1B", {"1:5-8: warning: a second main title: it replaces the earlier one [replaced-title]",
                                   "1:16-22: warning: a second title line for this corner and place: it replaces "
                                   "the earlier one [replaced-title]"}},
        // The file itself.
        {"tm\xc3\xa9t\xc3\xa9\ntsrt1\xe9t\xe9", {"2:6-7: warning: byte 0xE9 is not UTF-8, so the whole file is read as "
                                            "code page 932 (Shift_JIS): if it was meant as UTF-8, its titles and "
                                            "chord names show garbled [not-utf8]"}},
        {"n4nn0\x1an4nn1/r4", {"1:6-7: warning: a Ctrl-Z byte ends the file here: the 8 bytes after it were "
                               "ignored [ctrl-z]"}},
        {"n4nn0\0/r4\nr4"s, {"1:6-10: warning: a zero byte ends the line here: the 3 bytes after it were ignored "
                             "[zero-byte]"}},
        {"n4nn0\rr4\r", {"1:6-7: warning: a carriage return alone does not end a line: the text after it was read "
                         "as part of line 1 [cr-line-ends]",
                         "1:6-9: warning: string 1 shows fret 0: '\rr4' was ignored [ignored-characters]"}},
        // Each item a line, each line a page: item 130 is the first after the last page's line.
        {"$PageHeight:1\n$UnitWidth:1000\n" + Repeat("r4", 129) + "\nr4/n4nn0",
         {"4:1-2: warning: the score is cut at page 129: the 2 items from here on are not shown after the first "
          "line of page 129, and the 2 items from line 4 column 1 on are not printed [score-cut]"}},
        // Codes of the older kinds.
        {"_e/n4nn0/_s1", {"1:1-3: error: '_e' closes no open tie; the rest of the line, 2 tokens, was skipped "
                          "[close-without-open]"}},
        {"n4nn0/_s1", {"1:7-10: warning: the tie is never closed and was dropped [unclosed-tie]"}},
    };
    for (const auto& [input, expected] : rows)
        EXPECT_EQ(Diagnose(input, true), expected) << "input: " << input;
}
