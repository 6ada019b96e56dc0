#include "display/qt/PageDrawer.h"

#include <algorithm>

#include "display/Font.h"
#include "display/PageView.h"
#include "display/qt/FontMatch.h"
#include "model/Score.h"
#include "settings/ScoreSettings.h"
#include "settings/Units.h"

int32_t BleedAllowance(const ScoreSettings& s)
{
    const int64_t line = std::max(ToUnits(s.LineHeight()), 0);
    int64_t tallest = 0;
    for (const FontEntry* entry : {&s.FontFret, &s.FontTAB, &s.FontMainTitle, &s.FontSubTitle}) {
        const CFont font = CPageView::MakeFont(*entry);
        tallest = std::max<int64_t>(tallest, EmHeightFor(&font));  // the height text is drawn at
    }
    return SatFrom64(line + tallest);
}

CBand WidenedBand(const CBand& band, int32_t allowance)
{
    return {SatAdd(band.Top, allowance), SatSub(band.Bottom, allowance)};
}

CPictureDrawer PageDrawer(const CPageView& view, CScore& score, int page)
{
    return [&view, &score, page](CSurface& surface, std::optional<CBand> visible) {
        if (visible)
            visible = WidenedBand(*visible, BleedAllowance(score.Settings));
        view.Paint(surface, score, page, visible);
    };
}
