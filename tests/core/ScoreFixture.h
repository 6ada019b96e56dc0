// Helpers for tests that read a score from text.
#pragma once

#include <algorithm>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "display/PageView.h"
#include "display/RecordingSurface.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"
#include "symbols/Items.h"
#include "symbols/Marks.h"

// `count` copies of the token, each followed by the separator '/'.
inline std::string Repeat(std::string_view token, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        (text += token) += '/';
    return text;
}

struct ReadScore
{
    CMemorySettingsStore Store;
    std::unique_ptr<CScore> Score;
    explicit ReadScore(const std::string& text, CMemorySettingsStore store = {})
        : Store(std::move(store)), Score(std::make_unique<CScore>(Store))
    {
        std::istringstream in(text);
        CScoreReader(*Score).Read(in);
    }
    std::size_t Items() const { return Score->UnitItems.size(); }
    std::size_t Marks() const { return Score->SpanMarks.size(); }
    template <class T>
    T* Item(std::size_t i) const
    {
        return i < Score->UnitItems.size() ? dynamic_cast<T*>(Score->UnitItems[i].get()) : nullptr;
    }
    template <class T>
    T* Mark(std::size_t i) const
    {
        return i < Score->SpanMarks.size() ? dynamic_cast<T*>(Score->SpanMarks[i].get()) : nullptr;
    }
    CScoreItem* ItemAt(std::size_t i) const { return Score->UnitItems.at(i).get(); }
};

// What reading and laying out the text reports, one "line:column: severity: message" each;
// with `detailed`, also the end column and the code: "line:column-end: ... [code]".
inline std::vector<std::string> Diagnose(std::string_view text, bool detailed = false)
{
    CMemorySettingsStore store;
    CScore score(store);
    std::vector<CDiagnostic> found;
    ReadScoreText(text, score, &found);
    score.LayoutScore();
    ReportLayoutCut(score, text, found);
    std::vector<std::string> lines;
    for (const CDiagnostic& d : found) {
        std::string& line = lines.emplace_back(std::to_string(d.Line));
        (line += ':') += std::to_string(d.Column);
        if (detailed)
            (line += '-') += std::to_string(d.EndColumn);
        line += d.IsError ? ": error: " : ": warning: ";
        line += d.Message;
        if (detailed)
            ((line += " [") += d.Code) += ']';
    }
    return lines;
}

// Lays the score out and draws the screen page and every printed page on a recording
// surface: each drawing must end with no mark waiting and with the font and brush
// restored to what the paint started with.
inline void DrawEveryPage(CScore& score)
{
    score.LayoutScore();
    ASSERT_GE(score.PageCount, 1);
    ASSERT_LE(score.PageCount, 129);
    CPageView view;
    CRecordingSurface dc;
    view.Prepare(score, false);
    view.Paint(dc, score, 1);
    ASSERT_FALSE(dc.Calls().empty());  // at least the frame
    for (int32_t page = 1; page <= score.PageCount; ++page) {
        dc.Clear();
        view.Prepare(score, true);
        view.Paint(dc, score, page);
        ASSERT_TRUE(score.DeferredMarks.empty());
        ASSERT_EQ(dc.CurrentFont(), nullptr);
        ASSERT_EQ(dc.CurrentBrush(), CBrush::Black);
    }
}

// Paints the screen (page 0) and every printed page from scratch. Each places exactly the
// items the layout gives it (the screen all of them, on LineCount lines; a printed page its
// PageStarts range, unchecked for the 129th, which runs on past the layout), at the Rect
// the geometry records, and the hit test finds each item at its Rect's corners. The screen
// is left out where it shows a single slot.
inline void ExpectPaintAgreesWithLayout(CScore& score, bool checkScreen = true)
{
    const CRect notDrawn{123456789, 1, -123456789, 1};
    const CScoreGeometry& g = score.Geometry;
    std::set<int32_t> tops;
    for (int32_t page = checkScreen ? 0 : 1; page <= score.PageCount; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        for (auto& item : score.UnitItems)
            item->Rect = notDrawn;
        CPageView view;
        view.Prepare(score, page != 0);
        CRecordingSurface dc;
        view.Paint(dc, score, std::max(page, 1));
        const CPageSlots slots(score, std::max(page, 1), page != 0, view.DocumentHeight);
        const auto start = [&](int32_t p) { return p == 0 ? 0 : score.PageStarts[static_cast<std::size_t>(p - 1)]; };
        const std::size_t first = start(page);
        const std::size_t end = page == 0 || page == score.PageCount ? score.UnitItems.size() : start(page + 1);
        std::size_t placed = 0;
        for (std::size_t k = 0; k < score.UnitItems.size(); ++k) {
            const CRect& painted = score.UnitItems[k]->Rect;
            const std::optional<CItemPlace> place = g.Place(k, page);
            if (score.PageCount < static_cast<int32_t>(CScore::MaxPages)) {
                EXPECT_EQ(painted != notDrawn, k >= first && k < end) << "item " << k;
            }
            if (painted == notDrawn) {
                EXPECT_FALSE(place) << "item " << k << " is not drawn";
                continue;
            }
            ++placed;
            ASSERT_TRUE(place) << "item " << k;
            EXPECT_EQ(place->Rect, painted) << "item " << k;
            if (page == 0) {
                tops.insert(painted.top);
            } else {
                EXPECT_EQ(g.PrintedPage(k), page) << "item " << k;
            }
            if (painted.right > painted.left && painted.top > painted.bottom) {
                EXPECT_EQ(g.ItemAt(page, painted.left, painted.top), k);
                EXPECT_NE(g.ItemAt(page, painted.right - 1, painted.bottom), k);
                // Unless the next slot's Rects overlap this one's (slots closer than a Rect is deep).
                if (painted.top - painted.bottom <= int64_t{slots.Top(place->Slot)} - slots.Top(place->Slot + 1)) {
                    EXPECT_EQ(g.ItemAt(page, painted.right - 1, painted.bottom + 1), k);
                }
            }
        }
        EXPECT_GT(placed, 0u);
    }
    if (checkScreen) {
        EXPECT_EQ(static_cast<int32_t>(tops.size()) + (score.TitleBlock ? 1 : 0), score.LineCount);
    }
}
