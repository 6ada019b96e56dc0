// Page drawing (in progress).
#include "model/Score.h"

void CScore::DrawTabLine(CSurface&, int32_t, int32_t, std::size_t&) {}
int32_t CScore::DrawTabLetters(CSurface&, int32_t x, int32_t) { return x; }
void CScore::FlushDeferredMarks(CSurface&) { DeferredMarks.clear(); }
void CTitleBlock::DrawTitleBlock(CSurface&, const CRect&) const {}
