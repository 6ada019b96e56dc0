// The five unit items drawn into one column on the recording surface, with the
// expected calls worked out from the formulas by hand. Default settings: a column of
// one unit is 600 wide; the line's top is -1500, so string 1 lies 1700 below it
// (-3200) and string k another (k - 1) x 250 lower. The fret font (9 pt) measures
// 317 high and 190 per character here, the TAB font (12 pt) 423 high.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "display/PageView.h"
#include "display/RecordingSurface.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"
#include "symbols/Items.h"

namespace
{
using Lines = std::vector<std::string>;

const CRect Column{3200, -1500, 3800, -5450};
const std::string FretFont = "Font \"Courier New Bold\" 90";
const std::string TabFont = "Font \"Courier New\" 120";

class ItemDrawing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CPageView::CreateFonts(Score.Settings);
        Score.MemoryDC = std::make_unique<CMemoryDC>();
    }

    template <class Item>
    std::unique_ptr<Item> Make(CRect rect = Column)
    {
        auto item = std::make_unique<Item>(&Score, 1);
        item->Rect = rect;
        return item;
    }

    // The trace of one Draw; with `shapesOnly`, font and brush selections are left out.
    Lines Trace(CScoreItem& item, bool shapesOnly = false)
    {
        CRecordingSurface dc;
        item.Draw(dc);
        Lines lines;
        for (const std::string& line : dc.TraceLines())
            if (!shapesOnly || (line.rfind("Font", 0) != 0 && line.rfind("Brush", 0) != 0))
                lines.push_back(line);
        return lines;
    }

    CMemorySettingsStore Store;
    CScore Score{Store};
};
}  // namespace

TEST_F(ItemDrawing, DottedQuarterNoteCentresNumbersOnTheirLinesWithDotsAndStem)
{
    auto note = Make<CItemNote>();
    note->Dotted = true;
    note->SetFret(2, 2);
    note->SetFret(5, 12);
    // Text rectangles reach half the height of "0X" (317 / 2 = 158) either side of the
    // line; dots lie at 0.9 x 600 and half a line above their fret's line.
    const Lines expected{
        FretFont,
        FretFont, FretFont,  // measuring "0X": select, restore
        FretFont, FretFont,
        "DrawText 33 3200 -3292 3800 -3608 \"2\"",
        "Ellipse 3740 -3325 3790 -3375",
        "DrawText 33 3200 -4042 3800 -4358 \"12\"",
        "Ellipse 3740 -4075 3790 -4125",
        "Font default",
        // The stem rises 9 mm above string 1 and stops at the top of the first number.
        "MoveTo 3500 -2300",
        "LineTo 3500 -3292",
    };
    EXPECT_EQ(Trace(*note), expected);
    EXPECT_EQ(note->StemX, 3500);
    EXPECT_EQ(note->StemTipY, -2300);
}

TEST_F(ItemDrawing, MutedStringsPrintXAndTwoDigitFretsPrintBothDigits)
{
    auto note = Make<CItemNote>();
    note->SetFrets("x.99");
    const Lines expected{
        "DrawText 33 3200 -3042 3800 -3358 \"X\"",
        "DrawText 33 3200 -3292 3800 -3608 \"99\"",
        "MoveTo 3500 -2300",
        "LineTo 3500 -3042",
    };
    EXPECT_EQ(Trace(*note, true), expected);
}

TEST_F(ItemDrawing, HalfAndWholeNotesGetAHollowBoxAndOnlyTheHalfNoteAStem)
{
    // The box is 1.2 x the width of "0X" (1.2 x 380 = 456), centred: 72 in from each
    // side, from the top of the first number to the bottom of the last, corners 228.
    auto half = Make<CItemNote>();
    half->Length = 2;
    half->Dotted = true;
    half->SetFrets("3..5");
    const Lines halfExpected{
        "DrawText 33 3200 -3042 3800 -3358 \"3\"",
        "Ellipse 3920 -3075 3970 -3125",  // dots of half notes at 1.2 x 600, outside the column
        "DrawText 33 3200 -3542 3800 -3858 \"5\"",
        "Ellipse 3920 -3575 3970 -3625",
        "RoundRect 3272 -3042 3728 -3858 228 228",
        "MoveTo 3500 -2300",
        "LineTo 3500 -3042",
    };
    EXPECT_EQ(Trace(*half, true), halfExpected);

    auto whole = Make<CItemNote>();
    whole->Length = 1;
    whole->SetFrets("3");
    const Lines wholeFull = Trace(*whole);
    const Lines wholeExpected{
        FretFont, FretFont, FretFont, FretFont, FretFont,
        "DrawText 33 3200 -3042 3800 -3358 \"3\"",
        "Brush hollow",
        "RoundRect 3272 -3042 3728 -3358 228 228",
        "Brush black",
        "Font default",
    };
    EXPECT_EQ(wholeFull, wholeExpected);
}

TEST_F(ItemDrawing, BoxNeverWiderThanTheColumn)
{
    // 400 < 456: the box takes the column's whole width.
    auto note = Make<CItemNote>(CRect{3200, -1500, 3600, -5450});
    note->Length = 2;
    note->SetFrets("7");
    const Lines expected{
        "DrawText 33 3200 -3042 3600 -3358 \"7\"",
        "RoundRect 3200 -3042 3600 -3358 200 200",
        "MoveTo 3400 -2300",
        "LineTo 3400 -3042",
    };
    EXPECT_EQ(Trace(*note, true), expected);
}

TEST_F(ItemDrawing, NoteWithoutFretsStemsToTheTopStringAndDrawsNoBox)
{
    auto quarter = Make<CItemNote>();
    EXPECT_EQ(Trace(*quarter, true), (Lines{"MoveTo 3500 -2300", "LineTo 3500 -3200"}));
    auto half = Make<CItemNote>();
    half->Length = 2;
    EXPECT_EQ(Trace(*half, true), (Lines{"MoveTo 3500 -2300", "LineTo 3500 -3200"}));
    auto whole = Make<CItemNote>();
    whole->Length = 1;
    EXPECT_TRUE(Trace(*whole, true).empty());
}

TEST_F(ItemDrawing, CrossAndSlashHeadsSpanStringTwoToTheNextToLast)
{
    // String 2 at -3450, string 5 at -4200; the cross is inset by a third of the column.
    auto cross = Make<CItemNote>();
    cross->HeadKind = CItemNote::Cross;
    cross->SetFrets("1.2.3");  // frets are not drawn with these heads
    const Lines crossExpected{
        "MoveTo 3400 -3450", "LineTo 3600 -4200", "MoveTo 3600 -3450", "LineTo 3400 -4200",
        "MoveTo 3500 -2300", "LineTo 3500 -3450",
    };
    EXPECT_EQ(Trace(*cross), crossExpected);

    // The slash leans by a = min(width of "0" = 190, 600 / 4 = 150) and is painted black.
    auto slash = Make<CItemNote>();
    slash->HeadKind = CItemNote::Slash;
    slash->Length = 8;
    const Lines slashExpected{
        FretFont, FretFont,  // measuring "0"
        "Brush black",
        "Polygon 5 3500 -3450 3350 -4200 3200 -4200 3350 -3450 3500 -3450",
        "Brush black",
        "MoveTo 3500 -2300",
        "LineTo 3500 -3450",
    };
    EXPECT_EQ(Trace(*slash), slashExpected);

    // On a wide column the width of "0" is the smaller one.
    auto wide = Make<CItemNote>(CRect{0, -1500, 1200, -5450});
    wide->HeadKind = CItemNote::Slash;
    EXPECT_EQ(Trace(*wide, true).at(0), "Polygon 5 600 -3450 410 -4200 220 -4200 410 -3450 600 -3450");
}

TEST_F(ItemDrawing, SingleFlagsCopyTheBitmapForTheirLengthOnly)
{
    auto note = Make<CItemNote>();
    note->FlagKind = CItemNote::Single;
    note->SetFrets("0");
    const std::pair<int32_t, std::string> cases[] = {
        {8, "StretchBlt 3500 -2300 300 -900 131 80 257"},
        {16, "StretchBlt 3500 -2300 300 -900 132 80 257"},
        {32, "StretchBlt 3500 -2300 300 -900 133 80 257"},
        {4, ""},
        {64, ""},
    };
    for (const auto& [length, blt] : cases) {
        note->Length = length;
        const Lines lines = Trace(*note, true);
        const bool copied = !lines.empty() && lines.back().rfind("StretchBlt", 0) == 0;
        EXPECT_EQ(copied ? lines.back() : "", blt) << "length " << length;
        EXPECT_EQ(Score.MemoryDC->SelectedBitmap(), nullptr) << "length " << length;
    }
    // A beamed note draws no flag of its own.
    note->FlagKind = CItemNote::Connected;
    note->Length = 8;
    EXPECT_EQ(Trace(*note, true).back(), "LineTo 3500 -3042");
}

TEST_F(ItemDrawing, RestsDrawBlocksOrScaledBitmapsAndDotsOnlyOnBitmapRests)
{
    auto rest = Make<CItemRest>();
    rest->Dotted = true;
    rest->Length = 1;  // hangs from string 3 (-3700), half a line spacing deep
    EXPECT_EQ(Trace(*rest), (Lines{"Rectangle 3350 -3700 3650 -3825"}));
    rest->Length = 2;  // sits on it
    EXPECT_EQ(Trace(*rest), (Lines{"Rectangle 3350 -3700 3650 -3575"}));

    // 80 x 214 scaled to the staff height 1250: 1250 x 80 / 214 = 467 wide, centred.
    rest->Length = 4;
    const Lines quarter{
        "StretchBlt 3266 -3200 467 -1250 135 80 214",
        "Ellipse 3740 -3825 3790 -3875",  // between strings 3 and 4, at 0.9 of the column
    };
    EXPECT_EQ(Trace(*rest), quarter);
    rest->Dotted = false;
    rest->Length = 32;
    EXPECT_EQ(Trace(*rest), (Lines{"StretchBlt 3266 -3200 467 -1250 138 80 214"}));
    EXPECT_EQ(Score.MemoryDC->SelectedBitmap(), nullptr);

    for (int32_t length : {0, 3, 64}) {
        rest->Length = length;
        EXPECT_TRUE(Trace(*rest).empty()) << "length " << length;
    }
    // Without its bitmap a rest draws nothing, its dot included.
    rest->Length = 8;
    rest->Dotted = true;
    Score.Rest8Bitmap.reset();
    EXPECT_TRUE(Trace(*rest).empty());
}

TEST_F(ItemDrawing, TimeSignatureCentresEachFigureInItsHalfOfTheStaff)
{
    auto time = Make<CItemMusicalTime>();
    time->Numerator = 12;
    time->Denominator = 8;
    const Lines expected{
        TabFont,
        "DrawText 37 3200 -3200 3800 -3825 \"12\"",
        "DrawText 37 3200 -3825 3800 -4450 \"8\"",
        "Font default",
    };
    EXPECT_EQ(Trace(*time), expected);

    time->Numerator = 100;
    time->Denominator = 99;
    EXPECT_EQ(Trace(*time, true), (Lines{"DrawText 37 3200 -3825 3800 -4450 \"99\""}));
    time->Numerator = 7;
    time->Denominator = 100;
    EXPECT_EQ(Trace(*time, true), (Lines{"DrawText 37 3200 -3200 3800 -3825 \"7\""}));
}

TEST_F(ItemDrawing, RepeatBarsSitAtTheirEdgeWithDotsAtFixedSpacings)
{
    auto open = Make<CItemRepeatBar>();
    const Lines openExpected{
        "Rectangle 3200 -3200 3300 -4450", "MoveTo 3400 -3200", "LineTo 3400 -4450",
        "Ellipse 3500 -3575 3550 -3625",   "Ellipse 3500 -4075 3550 -4125",
    };
    EXPECT_EQ(Trace(*open), openExpected);

    auto close = Make<CItemRepeatBar>();
    close->IsEnd = 1;
    const Lines closeExpected{
        "Rectangle 3700 -3200 3800 -4450", "MoveTo 3600 -3200", "LineTo 3600 -4450",
        "Ellipse 3500 -3575 3550 -3625",   "Ellipse 3500 -4075 3550 -4125",
    };
    EXPECT_EQ(Trace(*close), closeExpected);

    // Four strings: the bars end on string 4 (-3950); the dots stay where they were,
    // the lower one below the bottom line.
    Score.Settings.Strings = 4;
    const Lines fourExpected{
        "Rectangle 3200 -3200 3300 -3950", "MoveTo 3400 -3200", "LineTo 3400 -3950",
        "Ellipse 3500 -3575 3550 -3625",   "Ellipse 3500 -4075 3550 -4125",
    };
    EXPECT_EQ(Trace(*open), fourExpected);
}

TEST_F(ItemDrawing, SpaceDrawsNothing)
{
    auto space = Make<CItemSpace>();
    EXPECT_TRUE(Trace(*space).empty());
}

TEST_F(ItemDrawing, MissingFontsMeasureZeroAndStillRestoreSelections)
{
    Score.Settings.ClearFonts();
    auto note = Make<CItemNote>();
    note->Length = 2;
    note->SetFrets("5");
    CRecordingSurface dc;
    note->Draw(dc);
    // Zero-height text rectangles on the line, and the surface's font selected back.
    const Lines lines = dc.TraceLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "DrawText 33 3200 -3200 3800 -3200 \"5\""), lines.end());
    EXPECT_EQ(dc.CurrentFont(), nullptr);
    EXPECT_EQ(dc.CurrentBrush(), CBrush::Black);
}

TEST_F(ItemDrawing, AbsurdColumnsAndSettingsSaturateInsteadOfOverflowing)
{
    constexpr int32_t Min = std::numeric_limits<int32_t>::min();
    constexpr int32_t Max = std::numeric_limits<int32_t>::max();
    Score.Settings.PitchBetweenLine = 1e300;
    Score.Settings.TabUpperMargin = -1e300;
    Score.Settings.StemHeight = std::numeric_limits<double>::quiet_NaN();
    const CRect huge{Min, Max, Max, Min};

    auto note = Make<CItemNote>(huge);
    note->Length = 2;
    note->FlagKind = CItemNote::Single;
    note->Dotted = true;
    note->SetFrets("1.2.3.4.5.6");
    const Lines lines = Trace(*note, true);
    // The centre of the full range is -1; every coordinate stays in range.
    EXPECT_EQ(note->StemX, -1);
    EXPECT_EQ(lines.size(), 6u * 2 + 3);

    for (int32_t length : {1, 2, 4}) {
        auto rest = Make<CItemRest>(huge);
        rest->Length = length;
        rest->Dotted = true;
        EXPECT_FALSE(Trace(*rest).empty());
    }
    auto time = Make<CItemMusicalTime>(huge);
    EXPECT_EQ(Trace(*time, true).size(), 2u);
    auto bar = Make<CItemRepeatBar>(huge);
    bar->IsEnd = 1;
    EXPECT_EQ(Trace(*bar).size(), 5u);
}
