#include "symbols/ScoreItem.h"

#include "model/Score.h"
#include "symbols/InterUnit.h"

CScoreItem::CScoreItem(CScore* score, int32_t units) : Score(score), Units(units) {}

CScoreItem::CScoreItem(const CScoreItem& other)
    : Score(other.Score), Units(other.Units), BarAfter(other.BarAfter)
{
}

void CScoreItem::AttachMark(CScoreInterUnit* mark) { Marks.push_back(mark); }

void CScoreItem::DetachMark(CScoreInterUnit* mark)
{
    Marks.EraseLast(mark);
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
