// Reading score text into items, span marks and the title block.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "ScoreFixture.h"

namespace
{
constexpr int32_t N = CItemNote::NoNote;
constexpr int32_t X = CItemNote::Muted;
}  // namespace

TEST(Reader, SplittingAndTrimming)
{
    struct Case { const char* name; const char* text; std::size_t items; };
    const Case cases[] = {
        {"a token beginning with a space is a space token", "n4nn0/ n8nn0", 2},
        {"trailing white space is not a space token", "n4nn0/ ", 1},
        {"a space item at the end needs a separator", "n4nn0/ /", 2},
        {"runs of separators count once", "//n4nn0///r4//", 2},
        {"empty text", "", 0},
        {"only separators and white space", "///\t \n\n", 0},
        {"carriage returns before line feeds", "n4nn0\r\nr4\r\n", 2},
        {"Ctrl-Z ends the file", "n4nn0/r4\x1Ar4\nr4\n", 2},
        {"tokens are case-sensitive and unknown ones are ignored", "N4nn0/CH/n4nn0/#x/9/\x82\xa0", 1},
        {"a c or v that selects nothing is ignored, not refused", "cx/n4nn0/v/vx/r4", 2},
        {"refusal skips the rest of the line only", "3e/n4nn0/r4\nr8", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadScore(c.text).Items(), c.items);
    }
    // A zero byte ends the text of its line; the next line is read as usual.
    const std::string withNul("n4nn0/r4\0/r4\nr4", 15);
    EXPECT_EQ(ReadScore(withNul).Items(), 3u);
}

TEST(Reader, NoteTokens)
{
    using enum CItemNote::Flag;
    using enum CItemNote::Head;
    struct Case { const char* token; int32_t length; bool dotted; CItemNote::Flag flag; CItemNote::Head head;
                  std::vector<int32_t> frets; };
    const Case cases[] = {
        {"n4nn0.2.2.1.0.0", 4, false, None, Numbers, {0, 2, 2, 1, 0, 0}},
        {"n8.sn3", 8, true, Single, Numbers, {3, N, N, N, N, N}},
        {"n8cn.5", 8, false, Connected, Numbers, {N, 5, N, N, N, N}},
        {"n16ncx.x.X", 16, false, None, Cross, {X, X, X, N, N, N}},
        {"n4nn.12.-.7", 4, false, None, Numbers, {N, 12, N, 7, N, N}},
        {"n4nn123", 4, false, None, Numbers, {12, N, N, N, N, N}},
        {"n4nn3.q.5", 4, false, None, Numbers, {3, N, N, N, N, N}},
        {"n4nn0.0.0.0.0.0.0.0", 4, false, None, Numbers, {0, 0, 0, 0, 0, 0}},
        {"n4ns", 4, false, None, Slash, {N, N, N, N, N, N}},
        {"n99snx.-3.99x", 99, false, Single, Numbers, {X, N, 99, N, N, N}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.token);
        ReadScore r(c.token);
        auto* note = r.Item<CItemNote>(0);
        ASSERT_TRUE(note);
        EXPECT_EQ(note->Length, c.length); EXPECT_EQ(note->Dotted, c.dotted); EXPECT_EQ(note->Units, 1);
        EXPECT_EQ(note->FlagKind, c.flag); EXPECT_EQ(note->HeadKind, c.head);
        EXPECT_EQ(note->Frets.Values(), c.frets);
    }
}

TEST(Reader, RestTimeAndBarTokens)
{
    ReadScore r("r4/r8./r8x/-3,4/-12,8x/ /|:/|:s/|:e/r16/|/||");
    ASSERT_EQ(r.Items(), 10u); EXPECT_EQ(r.Item<CItemRest>(0)->Length, 4);
    EXPECT_FALSE(r.Item<CItemRest>(0)->Dotted); EXPECT_TRUE(r.Item<CItemRest>(1)->Dotted);
    EXPECT_FALSE(r.Item<CItemRest>(2)->Dotted);
    EXPECT_EQ(r.Item<CItemMusicalTime>(3)->Numerator, 3); EXPECT_EQ(r.Item<CItemMusicalTime>(4)->Numerator, 12);
    EXPECT_EQ(r.Item<CItemMusicalTime>(4)->Denominator, 8); EXPECT_TRUE(r.Item<CItemSpace>(5));
    using enum CItemRepeatBar::RepeatSide;
    EXPECT_EQ(r.Item<CItemRepeatBar>(6)->Side, Open); EXPECT_EQ(r.Item<CItemRepeatBar>(7)->Side, Open);
    EXPECT_EQ(r.Item<CItemRepeatBar>(8)->Side, Close);
    EXPECT_TRUE(r.ItemAt(9)->BarAfter);  // "||" is a plain bar
    EXPECT_FALSE(r.ItemAt(8)->BarAfter);
    // A refused token also drops the rest of its line, here "r4".
    for (const char* refused : {"n", "n4", "n4n", "n4nx0", "n123nn0", "nx4nn0", "n4.xn", "r", "rx", "-4", "-4,", "-,4", "|"})
        EXPECT_EQ(ReadScore(std::string(refused) + "/r4").Items(), 0u) << refused;
}

namespace
{
// One mark's kind and arguments as a short text: "beam 2 L", "tuplet 6 [", "tie 3 h".
std::string Describe(const CScoreInterUnit* mark)
{
    if (auto* b = dynamic_cast<const CConnectedNoteFlag*>(mark))
        return "beam " + std::to_string(b->GetLevel()) + " " + b->GetSide();
    if (auto* t = dynamic_cast<const CTripletMark*>(mark))
        return "tuplet " + std::to_string(t->GetLevel()) + (t->GetBracket() ? " [" : "");
    if (auto* t = dynamic_cast<const CTie*>(mark))
        return "tie " + std::to_string(t->GetLevel()) + " " + t->GetText();
    if (auto* v = dynamic_cast<const CVibrato*>(mark))
        return "vibrato " + std::to_string(v->GetLevel());
    if (auto* r = dynamic_cast<const CRepeatNum*>(mark))
        return "ending " + r->Text;
    if (auto* c = dynamic_cast<const CChordMark*>(mark))
        return "chord " + std::string(c->Framed ? "[" : "") + c->Text;
    return "?";
}

std::vector<std::string> Describe(const ReadScore& r)
{
    std::vector<std::string> marks;
    for (const auto& mark : r.Score->SpanMarks)
        marks.push_back(Describe(mark.get()));
    return marks;
}
}  // namespace

TEST(Reader, SpanMarkArguments)
{
    // Inner marks close first; beam values map to levels; only one string digit is taken.
    EXPECT_EQ(Describe(ReadScore("n16cn3/fs8/fs16/n16cn5/fe/fe/fs16</fe/fs4/fe/fs64/fe/fs99x/fe")),
              (std::vector<std::string>{"beam 2 R", "beam 1 R", "beam 2 L", "beam 0 R", "beam 4 R", "beam 4 R"}));
    EXPECT_EQ(Describe(ReadScore("n8nn0/3s/3e/3s5/3e/3s[/3e/3s6[/3e/3sx[/3e")),
              (std::vector<std::string>{"tuplet 3", "tuplet 5", "tuplet 3 [", "tuplet 6 [", "tuplet 3"}));
    EXPECT_EQ(Describe(ReadScore("n4nn0/_sh3/_e/_s/_e/_s12/_e/_s0/_e/_s9/_e/_sslide 2x/_e")),
              (std::vector<std::string>{"tie 3 h", "tie 1 ", "tie 1 ", "tie 6 ", "tie 6 ", "tie 2 slide "}));
    ReadScore others("n4nn0/vbs2/vbe/vbs/vbe/vbs0/vbe/[s1./[e/[s/[e/chAm7/ch[G/ch");
    EXPECT_EQ(Describe(others), (std::vector<std::string>{"vibrato 2", "vibrato 6", "vibrato 6", "ending 1.",
                                                          "ending ", "chord Am7", "chord [G", "chord "}));
    // A chord name is attached to its item once; a mark closed on its start item twice.
    const auto& marks = others.ItemAt(0)->Marks;
    EXPECT_EQ(std::count(marks.begin(), marks.end(), others.Score->SpanMarks[5].get()), 1);
    EXPECT_EQ(std::count(marks.begin(), marks.end(), others.Score->SpanMarks[0].get()), 2);
}

TEST(Reader, SpanMarkPairingAndRefusals)
{
    ReadScore nested("n8nn0/3s/n8nn1/3s5/n8nn2/3e/n8nn3/3e");
    ASSERT_EQ(nested.Marks(), 2u); EXPECT_EQ(nested.Mark<CTripletMark>(0)->GetLevel(), 5);
    EXPECT_EQ(nested.Mark<CTripletMark>(0)->StartItem, nested.ItemAt(1));
    EXPECT_EQ(nested.Mark<CTripletMark>(1)->StartItem, nested.ItemAt(0));
    EXPECT_EQ(nested.Mark<CTripletMark>(1)->EndItem, nested.ItemAt(3));
    // A repeat bar never becomes the current item: the bar after "|:" goes to the note before
    // it, and the tuplet ends on the note, not on the repeat bar after it.
    ReadScore bars("n4nn0/|:/|/3s/n4nn1/|:e/3e");
    ASSERT_EQ(bars.Items(), 4u); EXPECT_TRUE(bars.ItemAt(0)->BarAfter);
    EXPECT_FALSE(bars.ItemAt(1)->BarAfter);
    ASSERT_EQ(bars.Marks(), 1u); EXPECT_EQ(bars.Mark<CTripletMark>(0)->StartItem, bars.ItemAt(0));
    EXPECT_EQ(bars.Mark<CTripletMark>(0)->EndItem, bars.ItemAt(2));
    ReadScore overlapping("n8cn0/fs8/_s/n8cn2/fe/n8cn3/_e");
    ASSERT_EQ(overlapping.Marks(), 2u); EXPECT_TRUE(overlapping.Mark<CConnectedNoteFlag>(0));
    EXPECT_EQ(overlapping.Mark<CTie>(1)->EndItem, overlapping.ItemAt(2));
    // Beams need notes at both ends; a refused "fe" leaves the beam open for later.
    ReadScore afterRest("r4/fs8/n4nn0\nn8cn0/fs8/r8/fe/n4nn9\nn8cn1/fe");
    ASSERT_EQ(afterRest.Items(), 4u);
    ASSERT_EQ(afterRest.Marks(), 1u);
    EXPECT_EQ(afterRest.Mark<CConnectedNoteFlag>(0)->StartItem, afterRest.ItemAt(1));
    EXPECT_EQ(afterRest.Mark<CConnectedNoteFlag>(0)->EndItem, afterRest.ItemAt(3));
    // Closing what is not open is pinned by the diagnostics; here, opening before any note.
    for (const char* refused : {"3s/n4nn0", "_s/n4nn0", "vbs/n4nn0", "[s/n4nn0", "ch/n4nn0"}) {
        SCOPED_TRACE(refused);
        ReadScore r(refused);
        EXPECT_LE(r.Items(), 1u); EXPECT_EQ(r.Marks(), 0u);
    }
    // Marks left open are discarded and detached from their items.
    ReadScore open("n8nn0/3s/fs8/_s/vbs/[s1./n8nn1");
    ASSERT_EQ(open.Items(), 2u); EXPECT_EQ(open.Marks(), 0u);
    EXPECT_TRUE(open.ItemAt(0)->Marks.empty());
}

TEST(Reader, TitleTokens)
{
    ReadScore lyrics("tslt1Lyrics");
    ASSERT_TRUE(lyrics.Score->TitleBlock); EXPECT_EQ(lyrics.Score->TitleBlock->MainTitle, "Music Title.");
    EXPECT_EQ(lyrics.Score->TitleBlock->LeftTopLines[0], "Lyrics");
    ReadScore all("tmA/tmB/tsrt3Capo 2/tslb2/tsrb5x y/tslt1first/tslt1second");
    const CTitleBlock& t = *all.Score->TitleBlock;
    EXPECT_EQ(t.MainTitle, "B"); EXPECT_EQ(t.RightTopLines[2], "Capo 2"); EXPECT_EQ(t.RightBottomLines[4], "x y");
    EXPECT_FALSE(t.RightTopLines[0].has_value());
    EXPECT_EQ(t.LeftBottomLines[1], "");  // an empty text is still a text
    EXPECT_EQ(t.LeftTopLines[0], "second");
    EXPECT_EQ(ReadScore("tm").Score->TitleBlock->MainTitle, "");
    EXPECT_EQ(ReadScore("n4nn0").Score->TitleBlock, nullptr);
    for (const char* refused : {"tsl1x", "tslx1", "tslt0x", "tslt6x", "tx", "t", "tsxt1a"}) {
        SCOPED_TRACE(refused);
        ReadScore r(std::string(refused) + "/n4nn0");
        ASSERT_TRUE(r.Score->TitleBlock);  // created even by a refused token
        EXPECT_EQ(r.Score->TitleBlock->MainTitle, "Music Title."); EXPECT_EQ(r.Items(), 0u);
    }
}

TEST(Reader, EncodingIsDetected)
{
    struct Case { const char* name; std::string text; TextEncoding encoding; };
    constexpr auto Utf8 = TextEncoding::Utf8;
    constexpr auto Cp932 = TextEncoding::Cp932;
    const Case cases[] = {
        {"ASCII is both", "tmABC", Utf8},
        {"three-byte characters", "tm\xE6\x9B\xB2\n", Utf8},
        {"a code page 932 title", "tm\x8B\xC8\n", Cp932},
        {"the byte-order mark decides over code page 932 bytes", "\xEF\xBB\xBFtm\x8B\xC8", Utf8},
        {"a sequence broken by a line feed", "tmA\xE6\n\x9B\xB2", Cp932},
        {"one invalid byte on a later line", "tm\xE6\x9B\xB2\nts\x8B\xC8", Cp932},
        {"a sequence cut off at the end", "tm\xE6\x9B", Cp932},
        {"bytes after Ctrl-Z do not count", "tm\xE6\x9B\xB2\x1A\xFF", Utf8},
        {"overlong two bytes", "tm\xC0\xAF", Cp932},
        {"overlong three bytes", "tm\xE0\x80\xAF", Cp932},
        {"overlong four bytes", "tm\xF0\x80\x80\xAF", Cp932},
        {"a surrogate", "tm\xED\xA0\x80", Cp932},
        {"the last code point before the surrogates", "tm\xED\x9F\xBF", Utf8},
        {"U+10FFFF", "tm\xF4\x8F\xBF\xBF", Utf8},
        {"beyond U+10FFFF", "tm\xF4\x90\x80\x80", Cp932},
        {"0x9F leads in code page 932, never in UTF-8", "tm\x9F\x40", Cp932},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadScore(c.text).Score->Encoding, c.encoding);
    }
    // The mark is not part of the first token; the bytes are kept as the file has them.
    ReadScore bom("\xEF\xBB\xBFtm\x8B\xC8/n4nn0");
    EXPECT_EQ(bom.Score->TitleBlock->MainTitle, "\x8B\xC8"); EXPECT_EQ(bom.Items(), 1u);
}

TEST(Reader, InputOverTheLimitIsRefusedWhole)
{
    // Sparse files of zero bytes: one at the limit is read, one byte more is refused.
    const std::string path = ::testing::TempDir() + "plekto_reader_limit.tab";
    for (const std::size_t size : {MaxScoreBytes, MaxScoreBytes + 1}) {
        SCOPED_TRACE(size);
        std::ofstream(path, std::ios::binary) << "n4nn0\n";
        std::filesystem::resize_file(path, size);
        CMemorySettingsStore store;
        CScore score(store);
        const CReadResult result = ReadScoreFile(path, score);
        EXPECT_EQ(result.Error, size > MaxScoreBytes ? ReadError::TooLarge : ReadError::None);
        EXPECT_EQ(score.UnitItems.size(), size > MaxScoreBytes ? 0u : 1u);
    }
    std::remove(path.c_str());
    // An endless stream ends too, and says why.
    CMemorySettingsStore store;
    CScore score(store);
    const CReadResult endless = ReadScoreFile("/dev/zero", score);
    EXPECT_EQ(endless.Error, ReadError::TooLarge); EXPECT_EQ(endless.Reason(), "larger than 64 MB");
    EXPECT_EQ(ReadScoreText(std::string(MaxScoreBytes + 1, 'r'), score).Error, ReadError::TooLarge);
}

TEST(Reader, FileThatCannotBeOpenedLeavesTheScoreUnchanged)
{
    CMemorySettingsStore store;
    CScore score(store);
    for (const auto& [path, error] : {std::pair{"/nonexistent/dir/score.tab", ENOENT}, {"/", EISDIR}}) {
        const CReadResult result = ReadScoreFile(path, score);
        EXPECT_EQ(result.Error, ReadError::CannotOpen); EXPECT_EQ(result.Reason(), std::strerror(error));
    }
    EXPECT_TRUE(score.UnitItems.empty());
    const std::string path = ::testing::TempDir() + "plekto_reader_test.tab";
    std::ofstream(path, std::ios::binary) << "n4nn0/n4nn1\n";
    EXPECT_TRUE(ReadScoreFile(path, score)); EXPECT_EQ(score.UnitItems.size(), 2u);
    // Reading state does not carry over: a new read starts without a current item.
    CScore second(store);
    std::ofstream(path, std::ios::binary) << "|/n4nn0\n";
    EXPECT_TRUE(ReadScoreFile(path, second)); EXPECT_TRUE(second.UnitItems.empty());
    std::remove(path.c_str());
}
