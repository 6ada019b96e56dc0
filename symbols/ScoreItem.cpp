#include "symbols/ScoreItem.h"

#include <algorithm>

#include "model/Score.h"
#include "symbols/InterUnit.h"

CScoreItem::CScoreItem(CScore* score, int32_t units) : Units(units), Score(score) {}

CScoreItem::CScoreItem(const CScoreItem& other)
    : BarAfter(other.BarAfter), Units(other.Units), Score(other.Score)
{
}

void CScoreItem::AttachMark(CScoreInterUnit* mark) { Marks.push_back(mark); }

void CScoreItem::DetachMark(CScoreInterUnit* mark)
{
    auto it = std::find(Marks.rbegin(), Marks.rend(), mark);
    if (it != Marks.rend())
        Marks.erase(std::next(it).base());
}

void CScoreItem::DrawItemMarks(CSurface& dc)
{
    // Index loop: a mark's drawing never changes this list, but stay safe if it did.
    for (std::size_t i = 0; i < Marks.size(); ++i) {
        CScoreInterUnit* mark = Marks[i];
        if (!mark)
            continue;
        if (mark->StartItem == this)
            Score->AddDeferredMark(mark);
        if (mark->EndItem == this)
            mark->DrawAtEnd(dc, Rect);
    }
}
