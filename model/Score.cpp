#include "model/Score.h"

#include <cmath>

#include "settings/SettingsStore.h"
#include "settings/Units.h"

CScore::CScore(const CSettingsStore& store)
{
    PageStarts.fill(NoItem);
    Flag1Bitmap = LoadSymbolBitmap(IDB_FLAG1);
    Flag2Bitmap = LoadSymbolBitmap(IDB_FLAG2);
    Flag3Bitmap = LoadSymbolBitmap(IDB_FLAG3);
    Rest4Bitmap = LoadSymbolBitmap(IDB_REST4);
    Rest8Bitmap = LoadSymbolBitmap(IDB_REST8);
    Rest16Bitmap = LoadSymbolBitmap(IDB_REST16);
    Rest32Bitmap = LoadSymbolBitmap(IDB_REST32);
    VibratoBitmap = LoadSymbolBitmap(IDB_VIBRATO);
    Settings.LoadAll(store);
}

CScore::~CScore()
{
    ClearContents();
    DestroyScore();
}

void CScore::ClearContents()
{
    UnitItems.clear();
    SpanMarks.clear();
    Geometry.Clear();
    ItemOffsets.clear();
}

void CScore::DestroyScore()
{
    TitleBlock.reset();
    MemoryDC.reset();
    Flag1Bitmap.reset();
    Flag2Bitmap.reset();
    Flag3Bitmap.reset();
    Rest4Bitmap.reset();
    Rest8Bitmap.reset();
    Rest16Bitmap.reset();
    Rest32Bitmap.reset();
    VibratoBitmap.reset();
    DeferredMarks.clear();
    Settings.FontTAB.ClearFont();
    Settings.FontFret.ClearFont();
    Settings.FontSubTitle.ClearFont();
    Settings.FontMainTitle.ClearFont();
}

void CScore::AddUnitItem(std::unique_ptr<CScoreItem> item) { UnitItems.push_back(std::move(item)); }

void CScore::AddSpanMark(std::unique_ptr<CScoreInterUnit> mark) { SpanMarks.push_back(std::move(mark)); }

void CScore::AddDeferredMark(CScoreInterUnit* mark)
{
    DeferredMarks.push_back(mark);
    mark->DrawState = CScoreInterUnit::State::Deferred;
}

namespace
{
CRect MeasureInFont(CSurface& dc, const CFont* font, std::string_view text)
{
    CRect r;
    const CFont* previous = dc.SelectFont(font);
    dc.DrawText(text, r, DT_CALCRECT);
    dc.SelectFont(previous);
    return r;
}
}  // namespace

int32_t CScore::TextHeightInFretFont(CSurface& dc, std::string_view text) const
{
    if (!Settings.FontFret.Font)
        return 0;
    const CRect r = MeasureInFont(dc, Settings.FontFret.Font.get(), text);
    return SatSub(r.bottom, r.top);
}

int32_t CScore::TextWidthInFretFont(CSurface& dc, std::string_view text) const
{
    if (!Settings.FontFret.Font)
        return 0;
    const CRect r = MeasureInFont(dc, Settings.FontFret.Font.get(), text);
    return SatSub(r.right, r.left);
}
