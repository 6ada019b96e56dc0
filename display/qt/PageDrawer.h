// A page of a score as a picture drawer: what the PNG, the SVG and the copied image draw.
// Each band an image is painted in is widened by how far symbols may reach beyond their
// line slot, so whatever crosses the band is drawn in it.
#pragma once

#include <cstdint>

#include "display/qt/Export.h"

class CPageView;
class CScore;
struct ScoreSettings;

// How far a slot's symbols may reach beyond it: a line, and the largest font's height
// (text is the one thing the settings can make taller than its zone).
int32_t BleedAllowance(const ScoreSettings& s);

// The band, widened by the allowance on both sides.
CBand WidenedBand(const CBand& band, int32_t allowance);

// Paints page `page` of the score through the view (which must be prepared).
CPictureDrawer PageDrawer(const CPageView& view, CScore& score, int page);
