// The data side of unit items and span marks: fret access, cloning, clamping setters.
#include <gtest/gtest.h>

#include "ScoreFixture.h"

TEST(Symbols, FretAccessStaysInRange)
{
    CMemorySettingsStore store;
    CScore score(store);
    CItemNote note(&score, 1);
    ASSERT_EQ(note.Frets.size(), 6u);
    EXPECT_EQ(note.GetFret(1), CItemNote::NoNote);
    EXPECT_EQ(note.GetFret(0), CItemNote::Invalid);
    EXPECT_EQ(note.GetFret(7), CItemNote::Invalid);
    note.SetFret(2, 99);
    note.SetFret(3, -1);
    note.SetFret(4, -3);
    note.SetFret(7, 5);
    note.SetFret(-1, 5);
    EXPECT_EQ(note.GetFret(2), 99);
    EXPECT_EQ(note.GetFret(3), CItemNote::Muted);
    EXPECT_EQ(note.GetFret(4), CItemNote::NoNote);
    note.Frets.Set(4, -40);  // whatever is stored reads as at least -3
    EXPECT_EQ(note.GetFret(5), CItemNote::Invalid);
}

TEST(Symbols, CloneCopiesDataButNotPlacementOrMarks)
{
    ReadScore r("n8.scx.5/|/chAm/r16./-6,8/|:e");
    r.ItemAt(0)->Rect = CRect{1, 2, 3, 4};
    auto copy = r.ItemAt(0)->Clone();
    auto* note = dynamic_cast<CItemNote*>(copy.get());
    ASSERT_TRUE(note);
    EXPECT_EQ(note->Frets, r.Item<CItemNote>(0)->Frets);
    EXPECT_EQ(note->Length, 8);
    EXPECT_TRUE(note->Dotted);
    EXPECT_EQ(note->FlagKind, CItemNote::Flag::Single);
    EXPECT_EQ(note->HeadKind, CItemNote::Head::Cross);
    EXPECT_TRUE(note->BarAfter);
    EXPECT_EQ(note->Rect, CRect{});
    EXPECT_TRUE(note->Marks.empty());
    EXPECT_FALSE(r.ItemAt(0)->Marks.empty());

    auto* rest = dynamic_cast<CItemRest*>(r.ItemAt(1)->Clone().release());
    ASSERT_TRUE(rest);
    EXPECT_EQ(rest->Length, 16);
    EXPECT_TRUE(rest->Dotted);
    delete rest;
    auto time = r.ItemAt(2)->Clone();
    EXPECT_EQ(dynamic_cast<CItemMusicalTime*>(time.get())->Numerator, 6);
    auto bar = r.ItemAt(3)->Clone();
    EXPECT_EQ(dynamic_cast<CItemRepeatBar*>(bar.get())->Side, CItemRepeatBar::RepeatSide::Close);
}

TEST(Symbols, MarkSettersClamp)
{
    CMemorySettingsStore store;
    CScore score(store);
    CConnectedNoteFlag beam(&score);
    EXPECT_EQ(beam.GetLevel(), 1);
    EXPECT_EQ(beam.GetSide(), 'R');
    beam.SetLevel(-5);
    beam.SetSide('x');
    EXPECT_EQ(beam.GetLevel(), 0);
    EXPECT_EQ(beam.GetSide(), 'R');
    beam.SetSide('L');
    EXPECT_EQ(beam.GetSide(), 'L');

    CTie tie(&score);
    EXPECT_EQ(tie.GetLevel(), 1);
    for (int32_t level : {0, 7, -2, 1000}) {
        tie.SetLevel(level);
        EXPECT_EQ(tie.GetLevel(), 6) << level;
    }
    tie.SetLevel(3);
    EXPECT_EQ(tie.GetLevel(), 3);

    CVibrato vibrato(&score);
    EXPECT_EQ(vibrato.GetLevel(), 6);
    vibrato.SetLevel(0);
    EXPECT_EQ(vibrato.GetLevel(), 6);
    vibrato.SetLevel(9);  // larger values are kept as they are
    EXPECT_EQ(vibrato.GetLevel(), 9);
}
