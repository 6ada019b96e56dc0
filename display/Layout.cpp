// Line breaking and pagination. Page drawing breaks lines again with the same rule, so
// every choice here has its twin in the page drawing.
#include <cmath>

#include "display/LineGeometry.h"
#include "model/Score.h"
#include "settings/Units.h"

int32_t CScore::LinesPerPage() const
{
    const ScoreSettings& s = Settings;
    const double lineHeight = s.LineHeight();
    // A line without a usable height (zero, negative, NaN, or under one 0.01 mm unit)
    // gives no sound page: each line then gets a page of its own, as below 1 does.
    if (!(lineHeight * 100.0 >= 1.0) || !std::isfinite(lineHeight))
        return 0;
    const double quotient = (s.PageHeight - s.MarginTop - s.MarginBottom) / lineHeight;
    if (!std::isfinite(quotient))
        return 0;
    return TruncSat(quotient);
}

void CScore::LayoutScore(LayoutDepth depth)
{
    PageStarts.fill(NoItem);
    Geometry.Clear();
    FirstItemNotShown = NoItem;
    FirstItemNotPrinted = NoItem;
    if (UnitItems.empty())
        return;

    const ScoreSettings& s = Settings;
    const int32_t linesPerPage = LinesPerPage();
    const LineGeometry::CLineFit fit(s);

    int64_t lineInPage = TitleBlock ? 2 : 1;
    int64_t lineCount = lineInPage;
    int32_t pageCount = 1;
    PageStarts[0] = 0;
    int64_t x = fit.Start;

    std::size_t i = 0;
    for (; i < UnitItems.size(); ++i) {
        if (pageCount > static_cast<int32_t>(MaxPages) - 1)
            break;
        const CScoreItem* item = UnitItems[i].get();
        if (!item)
            break;
        const int64_t w = LineGeometry::ItemWidth(s, item->Units);
        if (!fit.Fits(x, w)) {
            x = fit.Start;
            ++lineCount;
            ++lineInPage;
            if (lineInPage > linesPerPage) {
                ++pageCount;
                PageStarts[static_cast<std::size_t>(pageCount) - 1] = i;
                lineInPage = 1;
            }
        }
        x += w;
    }
    PageCount = pageCount;
    LineCount = SatFrom64(lineCount);

    // Past the last page the same rule finds where the screen stops (after that page's
    // first line) and where the printer stops (after the page), for the warning.
    for (; i < UnitItems.size() && UnitItems[i]; ++i) {
        const int64_t w = LineGeometry::ItemWidth(s, UnitItems[i]->Units);
        if (!fit.Fits(x, w)) {
            x = fit.Start;
            if (FirstItemNotShown == NoItem)
                FirstItemNotShown = i;
            if (++lineInPage > linesPerPage) {
                FirstItemNotPrinted = i;
                break;
            }
        }
        x += w;
    }
    if (depth == LayoutDepth::Positions)
        Geometry.Build(*this);
}
