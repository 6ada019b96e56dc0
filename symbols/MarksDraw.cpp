// Drawing of the span marks (in progress).
#include "symbols/Marks.h"

void CTripletMark::DrawWithinLine(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CTripletMark::DrawHead(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CTripletMark::DrawTail(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CConnectedNoteFlag::DrawWithinLine(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CConnectedNoteFlag::DrawHead(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CConnectedNoteFlag::DrawTail(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CTie::DrawWithinLine(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CTie::DrawHead(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CTie::DrawTail(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CChordMark::DrawWithinLine(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CChordMark::DrawHead(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CChordMark::DrawTail(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CVibrato::DrawWithinLine(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CVibrato::DrawHead(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CVibrato::DrawTail(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CVibrato::DrawWaves(CSurface&, int32_t, int32_t, int32_t) {}
void CRepeatNum::DrawWithinLine(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CRepeatNum::DrawHead(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CRepeatNum::DrawTail(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
