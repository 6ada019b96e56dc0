// The data side of unit items and span marks: fret access, cloning, clamping setters.
#include <gtest/gtest.h>

#include "ScoreFixture.h"

// What a file can set is in Reader.NoteTokens and Reader.SpanMarkArguments; these values
// come only from code.
TEST(Symbols, FretAccessStaysInRangeAndMarkSettersClamp)
{
    CMemorySettingsStore store;
    CScore score(store);
    CItemNote note(&score, 1);
    ASSERT_EQ(note.Frets.size(), 6u);
    EXPECT_EQ(note.GetFret(0), CItemNote::Invalid); EXPECT_EQ(note.GetFret(7), CItemNote::Invalid);
    note.SetFret(4, -3);
    note.SetFret(7, 5);
    note.SetFret(-1, 5);
    EXPECT_EQ(note.GetFret(4), CItemNote::NoNote);
    note.Frets.Set(4, -40);  // whatever is stored reads as at least -3
    EXPECT_EQ(note.GetFret(5), CItemNote::Invalid);
    CConnectedNoteFlag beam(&score);
    beam.SetLevel(-5);
    EXPECT_EQ(beam.GetLevel(), 0);
    CVibrato vibrato(&score);
    vibrato.SetLevel(9);  // below the staff: kept, unlike a tie's string
    EXPECT_EQ(vibrato.GetLevel(), 9);
}

TEST(Symbols, CloneCopiesDataButNotPlacementOrMarks)
{
    ReadScore r("n8.scx.5/|/chAm/r16./-6,8/|:e");
    r.ItemAt(0)->Rect = CRect{1, 2, 3, 4};
    auto copy = r.ItemAt(0)->Clone();
    auto* note = dynamic_cast<CItemNote*>(copy.get());
    ASSERT_TRUE(note); EXPECT_EQ(note->Frets, r.Item<CItemNote>(0)->Frets);
    EXPECT_EQ(note->Length, 8); EXPECT_TRUE(note->Dotted);
    EXPECT_EQ(note->FlagKind, CItemNote::Flag::Single); EXPECT_EQ(note->HeadKind, CItemNote::Head::Cross);
    EXPECT_TRUE(note->BarAfter); EXPECT_EQ(note->Rect, CRect{});
    EXPECT_TRUE(note->Marks.empty()); EXPECT_FALSE(r.ItemAt(0)->Marks.empty());
    EXPECT_EQ(dynamic_cast<CItemRest*>(r.ItemAt(1)->Clone().get())->Length, 16);
    EXPECT_EQ(dynamic_cast<CItemMusicalTime*>(r.ItemAt(2)->Clone().get())->Numerator, 6);
    EXPECT_EQ(dynamic_cast<CItemRepeatBar*>(r.ItemAt(3)->Clone().get())->Side, CItemRepeatBar::RepeatSide::Close);
}
