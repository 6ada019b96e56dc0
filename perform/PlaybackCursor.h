// Where the playback cursor stands at a moment of played time: the played item sounding
// then, its unit item and where the screen draws it, and an x that glides from the item
// towards the next one on its line, so the bar moves smoothly rather than column by
// column. A repeat makes it jump back because it follows the played order. Time comes
// from a clock the caller gives (the audio's frames, or a fake one in tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class CScoreGeometry;
struct CPerformance;

// Seconds of played time since the start of the score.
using CPlayClock = std::function<double()>;

struct CCursorPosition
{
    std::size_t Played = 0;  // index in CPerformance::Played
    std::size_t Item = 0;    // index in CScore::UnitItems
    // Where the bar stands on the screen (page 0), in 0.01 mm: x, and the top and bottom
    // of the item's Rect in its slot.
    int32_t X = 0;
    int32_t Top = 0;
    int32_t Bottom = 0;
    std::size_t Line = 0;
    int64_t Slot = 0;
    // The item lies beyond what the screen draws (the page limit): the bar rests at the
    // end of the drawing while the music goes on.
    bool BeyondDrawing = false;
    // Played time has passed the end of the score.
    bool Finished = false;
    bool operator==(const CCursorPosition&) const = default;
};

// The bar at the left of a unit item as the screen draws it (nullopt when it does not):
// where play will start once the item is chosen.
std::optional<CCursorPosition> ItemCursor(const CScoreGeometry& geometry, std::size_t item);

class CPlaybackCursor
{
public:
    // Both must outlive the cursor and stay unchanged while it is used.
    CPlaybackCursor(const CPerformance& performance, const CScoreGeometry& geometry);

    void SetClock(CPlayClock clock) { Clock = std::move(clock); }
    // The position at the clock's time; nullopt without a clock or when nothing is played.
    std::optional<CCursorPosition> Now() const;
    // The position at a played time in seconds (before the start: the first item).
    std::optional<CCursorPosition> At(double seconds) const;

    // The played index to start from for a unit item: its first pass; nullopt when the
    // item is never played.
    std::optional<std::size_t> StartFor(std::size_t item) const;
    // When a played item begins, in seconds.
    double StartSeconds(std::size_t played) const;

private:
    // The screen place of the last drawn item, where the cursor rests beyond the drawing.
    std::optional<CCursorPosition> DrawingEnd() const;

    const CPerformance& Performance;
    const CScoreGeometry& Geometry;
    std::vector<double> Onsets;  // seconds, per played item (never falling)
    double EndSeconds = 0.0;
    CPlayClock Clock;
};
