// Helpers for tests that read a score from text.
#pragma once

#include <memory>
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
