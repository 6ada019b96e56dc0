// The title block: a centred main title and four corner groups of five sub-title lines.
// It occupies the first line slot of page 1.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "display/Surface.h"

class CScore;

class CTitleBlock
{
public:
    using LinePlaces = std::array<std::optional<std::string>, 5>;  // an empty place holds nothing

    explicit CTitleBlock(CScore* score) : Score(score) {}

    // Draws into the rectangle of the title line with the two title fonts.
    void DrawTitleBlock(CSurface& dc, const CRect& rect) const;

    CScore* Score;
    std::string MainTitle = "Music Title.";  // texts are the file's bytes
    LinePlaces LeftTopLines;
    LinePlaces LeftBottomLines;
    LinePlaces RightTopLines;
    LinePlaces RightBottomLines;
};
