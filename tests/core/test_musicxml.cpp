// The MusicXML writer on small scores with hand-built performances: what a reader needs
// to get the pitches, times and marks right. MuseScore reading every example is the
// command-line test's job (tests/musicxml_roundtrip.py).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ScoreFixture.h"
#include "perform/MusicXml.h"
#include "perform/Performance.h"

namespace
{
std::string Utf8(std::string_view bytes) { return std::string(bytes); }

// Standard tuning; items listed in `triplets` lie under a 3:2 tuplet.
CPerformance PerformanceOf(const CScore& score, const std::set<std::size_t>& triplets = {})
{
    CPerformance performance;
    performance.OpenStrings = {64, 59, 55, 50, 45, 40};
    performance.Written.resize(score.UnitItems.size());
    for (std::size_t k : triplets) {
        performance.Written[k].TupletActual = 3;
        performance.Written[k].TupletNormal = 2;
    }
    return performance;
}

// The <note> elements in document order.
std::vector<std::string> NotesOf(const std::string& xml)
{
    std::vector<std::string> notes;
    for (std::size_t at = xml.find("<note>"); at != std::string::npos; at = xml.find("<note>", at + 1))
        notes.push_back(xml.substr(at, xml.find("</note>", at) - at));
    return notes;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Measure 1 (2/4): a dotted eighth and a sixteenth under one beam, the sixteenth's second
// beam a stub to the left; then an eighth triplet with a bracket. Measure 2: a tie on
// string 3. Measure 3: a hammer-on on string 3 and a D sharp. Measure 4: a first ending
// closed by a repeat, under a chord name. Measure 5: a slur with a label of its own.
const char* const Small = "-2,4/n8.cn0/fs8/n16cn.1/fs16</fe/fe/n8sn2/3s[/n8sn3/n8sn5/3e/|\n"
                          "n4nn..2/_s3/n4nn..2/_e/|\n"
                          "n4nn..2/_sh3/n4nn..4.1/_e/|\n"
                          "n2nn0/chX/[s1./[e/|:e\n"
                          "n4nn..2/_sv<3/n4nn..4/_e/|\n";

TEST(MusicXml, WritesPitchesTimesAndMarksOfASmallScore)
{
    ReadScore read(Small);
    for (std::size_t i = 0; i < read.Marks(); ++i)
        if (auto* chord = read.Mark<CChordMark>(i))
            chord->Text = "F#m7/C#";  // a slash cannot be typed in a token
    const std::string xml = MusicXmlBytes(*read.Score, PerformanceOf(*read.Score, {3, 4, 5}), Utf8).value();
    // Quarters need 4 parts for the sixteenth and 3 for the triplet.
    EXPECT_NE(xml.find("<divisions>12</divisions>"), std::string::npos);
    const std::vector<std::string> notes = NotesOf(xml);
    ASSERT_EQ(notes.size(), 13u);
    const struct { const char* Name; std::size_t Note; std::vector<std::string> Parts; std::vector<std::string> Absent; } rows[] = {
        {"dotted eighth E4", 0, {"<step>E</step><octave>4</octave>", "<duration>9</duration>", "<dot/>",
                                 "<beam number=\"1\">begin</beam>", "<string>1</string><fret>0</fret>"}, {}},
        {"sixteenth with a left stub", 1, {"<step>C</step><octave>4</octave>", "<duration>3</duration>",
                                           "<beam number=\"1\">end</beam><beam number=\"2\">backward hook</beam>"}, {}},
        {"triplet start", 2, {"<duration>4</duration>", "<actual-notes>3</actual-notes><normal-notes>2</normal-notes>",
                              "<tuplet type=\"start\" number=\"1\" bracket=\"yes\"/>"}, {"<beam"}},
        {"triplet middle", 3, {"<duration>4</duration>", "<time-modification>"}, {"<tuplet"}},
        {"triplet end", 4, {"<step>A</step><octave>4</octave>", "<tuplet type=\"stop\" number=\"1\"/>"}, {}},
        // Where a tie is a tie and where a slur: TiesThatSustainAreTiesOthersSlurs.
        {"tie start", 5, {"<step>A</step><octave>3</octave>", "<duration>12</duration>", "<tie type=\"start\"/>"}, {}},
        {"hammer-on start", 7, {"<slur type=\"start\" number=\"1\"/>", "<hammer-on type=\"start\">h</hammer-on>"},
         {"<tie"}},
        {"hammer-on stop on its string", 8, {"<step>B</step><octave>3</octave>", "<string>3</string><fret>4</fret>",
                                             "<slur type=\"stop\" number=\"1\"/>", "<hammer-on type=\"stop\"/>"}, {}},
        {"chord note with a sharp", 9, {"<chord/>", "<step>D</step><alter>1</alter><octave>3</octave>"},
         {"<slur", "hammer-on"}},
        {"half note", 10, {"<duration>24</duration>", "<type>half</type>"}, {}},
        {"labelled slur", 11, {"<slur type=\"start\" number=\"1\"/>"}, {"hammer-on", "<tie"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        for (const std::string& part : row.Parts)
            EXPECT_NE(notes[row.Note].find(part), std::string::npos) << part << " in " << notes[row.Note];
        for (const std::string& part : row.Absent)
            EXPECT_EQ(notes[row.Note].find(part), std::string::npos) << part << " in " << notes[row.Note];
    }
    const std::vector<std::string> document = {
        "<time><beats>2</beats><beat-type>4</beat-type></time>",
        "<staff-tuning line=\"1\"><tuning-step>E</tuning-step><tuning-octave>2</tuning-octave></staff-tuning>",
        "<midi-program>26</midi-program>",
        "<harmony><root><root-step>F</root-step><root-alter>1</root-alter></root>"
        "<kind text=\"m7\">minor-seventh</kind><bass><bass-step>C</bass-step><bass-alter>1</bass-alter></bass>",
        "<measure number=\"4\"><barline location=\"left\"><bar-style>regular</bar-style>"
        "<ending number=\"1\" type=\"start\">1.</ending></barline>",
        "<barline location=\"right\"><bar-style>light-heavy</bar-style><ending number=\"1\" type=\"stop\"/>"
        "<repeat direction=\"backward\"/></barline></measure>",
        "<direction placement=\"below\"><direction-type><words>v&lt;</words></direction-type></direction><note>",
    };
    for (const std::string& part : document)
        EXPECT_NE(xml.find(part), std::string::npos) << part;
    EXPECT_EQ(Count(xml, "<measure "), 5u);
}

// A tie is written as <tie> only where the performance sustains it (MuseScore merged a tie
// over a note between into the wrong note); any other is a slur, as it is drawn.
TEST(MusicXml, TiesThatSustainAreTiesOthersSlurs)
{
    const struct { const char* Name; const char* Text; bool Tie; } rows[] = {
        {"adjacent, equal frets", "n4nn..2/_s3/n4nn..2/_e/|", true},
        {"a note between on another string", "n4nn..2/_s3/n4nn.1/n4nn..2/_e/|", true},
        {"a note between on its string", "n4nn..2/_s3/n4nn..2/n4nn..2/_e/|", false},
        {"unequal frets", "n4nn..2/_s3/n4nn..4/_e/|", false},
        {"from a dead note", "n4ncx..2/_s3/n4nn..2/_e/|", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        ReadScore read(row.Text);
        const std::string xml = MusicXmlBytes(*read.Score, PerformanceOf(*read.Score), Utf8).value();
        EXPECT_EQ(Count(xml, "<tie type=\"start\"/>"), row.Tie ? 1u : 0u);
        EXPECT_EQ(Count(xml, "<tied type=\"stop\"/>"), row.Tie ? 1u : 0u);
        EXPECT_EQ(Count(xml, "<slur type=\"start\""), row.Tie ? 0u : 1u);
    }
}

TEST(MusicXml, ChordNamesAreParsedOrWrittenAsWords)
{
    const struct { const char* Name; const char* Text; std::vector<std::string> Parts; } rows[] = {
        {"major", "C", {"<root-step>C</root-step></root><kind>major</kind></harmony>"}},
        {"flat root, half-diminished", "Bbm7b5",
         {"<root-step>B</root-step><root-alter>-1</root-alter>", "<kind text=\"m7b5\">half-diminished</kind>"}},
        {"added ninth", "Dadd9", {"<kind text=\"add9\">major</kind>", "<degree-value>9</degree-value>",
                                  "<degree-type>add</degree-type>"}},
        {"slash bass", "C/G", {"<kind>major</kind><bass><bass-step>G</bass-step></bass>"}},
        {"suspended", "Asus4", {"<kind text=\"sus4\">suspended-fourth</kind>"}},
        {"unknown kind", "C13b9", {"<words>C13b9</words>"}},
        {"no chord, escaped", "N.C.<&>", {"<words>N.C.&lt;&amp;&gt;</words>"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        ReadScore read("n4nn0/chC/");
        read.Mark<CChordMark>(0)->Text = row.Text;
        const std::string xml = MusicXmlBytes(*read.Score, PerformanceOf(*read.Score), Utf8).value();
        for (const std::string& part : row.Parts)
            EXPECT_NE(xml.find(part), std::string::npos) << part;
        EXPECT_EQ(Count(xml, "<harmony>") + Count(xml, "<words>"), 1u);
    }
}

// A quarter note with fret 1 on every string.
std::string AllStrings(int strings)
{
    std::string text = "$Strings:" + std::to_string(strings) + "\nn4nn1";
    for (int s = 1; s < strings; ++s)
        text += ".1";
    return text + "/|";
}

// Absurd input still gives a whole document: every measure closed, every note written,
// no stop without its start.
TEST(MusicXml, AbsurdScoresGiveWholeDocuments)
{
    // Lengths are set on the first items after reading.
    const struct { const char* Name; std::string Text; std::size_t Notes; std::size_t Measures; std::vector<int32_t> Lengths = {}; } rows[] = {
        {"empty score", "", 1, 1},
        {"no bars", Repeat("n8cn0", 40), 40, 1},
        {"odd lengths", "n4nn0/n4nn0/n4nn0/n4nn0/|", 4, 1, {3, 64, 0, 1 << 30}},
        {"only a time signature and bars", "-3,4/|/|:/|:e", 1, 1},
        {"bar before a closing repeat", "n4nn0/|/|:e/n4nn0/|", 2, 2},
        {"tuplet levels 0 and 99", "n8cn0/0s/n8cn0/0e/n8cn0/99s/n8cn0/99e/|", 4, 1},
        {"marks ending on spaces", "n4nn0/vbs1/ /vbe/n4nn0/_s1/ /_e/|", 2, 1},
        {"sixty-four strings", AllStrings(64), 64, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        ReadScore read(row.Text);
        for (std::size_t k = 0; k < row.Lengths.size(); ++k)
            read.Item<CItemNote>(k)->Length = row.Lengths[k];
        CPerformance performance = PerformanceOf(*read.Score);
        for (CWrittenItem& written : performance.Written)
            written.Duration = TicksPerQuarter;
        const std::string xml = MusicXmlBytes(*read.Score, performance, Utf8).value();
        EXPECT_EQ(Count(xml, "<note>"), row.Notes);
        EXPECT_EQ(Count(xml, "<measure "), row.Measures);
        EXPECT_EQ(Count(xml, "</measure>"), row.Measures);
        for (const char* mark : {"slur", "wavy-line", "tuplet", "slide", "tied"})
            EXPECT_EQ(Count(xml, std::string("<") + mark + " type=\"start\""),
                      Count(xml, std::string("<") + mark + " type=\"stop\""))
                << mark;
        EXPECT_EQ(xml.substr(xml.size() - 18), "</score-partwise>\n");
    }
}
}  // namespace
