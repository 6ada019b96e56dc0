#include "perform/PlaybackCursor.h"

#include <algorithm>

#include "display/ScoreGeometry.h"
#include "perform/Performance.h"

namespace
{
CCursorPosition FromPlace(const CItemPlace& place, int32_t x)
{
    CCursorPosition p;
    p.X = x;
    p.Top = place.Rect.top;
    p.Bottom = place.Rect.bottom;
    p.Line = place.Line;
    p.Slot = place.Slot;
    return p;
}
}  // namespace

std::optional<CCursorPosition> ItemCursor(const CScoreGeometry& geometry, std::size_t item)
{
    const std::optional<CItemPlace> place = geometry.Place(item, 0);
    if (!place)
        return std::nullopt;
    CCursorPosition p = FromPlace(*place, place->Rect.left);
    p.Item = item;
    return p;
}

CPlaybackCursor::CPlaybackCursor(const CPerformance& performance, const CScoreGeometry& geometry)
    : Performance(performance), Geometry(geometry)
{
    Onsets.reserve(performance.Played.size());
    for (const CPlayedItem& played : performance.Played)
        Onsets.push_back(SecondsAt(performance, played.Onset));
    EndSeconds = SecondsAt(performance, performance.EndTick);
}

std::optional<CCursorPosition> CPlaybackCursor::Now() const
{
    if (!Clock)
        return std::nullopt;
    return At(Clock());
}

std::optional<CCursorPosition> CPlaybackCursor::DrawingEnd() const
{
    // The screen draws a run of whole lines from the first item on; the last item it
    // draws is the last one with a place, found by halving.
    const std::size_t count = Performance.Written.size();
    if (count == 0 || !Geometry.Place(0, 0))
        return std::nullopt;
    std::size_t lo = 0, hi = count;  // Place(lo) holds; Place(hi) does not (or hi == count)
    while (hi - lo > 1) {
        const std::size_t mid = lo + (hi - lo) / 2;
        (Geometry.Place(mid, 0) ? lo : hi) = mid;
    }
    const CItemPlace last = *Geometry.Place(lo, 0);
    CCursorPosition p = FromPlace(last, last.Rect.right);
    p.Item = lo;
    return p;
}

std::optional<CCursorPosition> CPlaybackCursor::At(double seconds) const
{
    const auto& played = Performance.Played;
    if (played.empty())
        return std::nullopt;
    // The last played item begun by then; at one onset (a bar line before its note) the
    // last of them, the one that sounds.
    const auto after = std::upper_bound(Onsets.begin(), Onsets.end(), seconds);
    const std::size_t k = after == Onsets.begin() ? 0 : static_cast<std::size_t>(after - Onsets.begin()) - 1;
    const std::size_t item = played[k].Item;
    const bool finished = seconds >= EndSeconds;

    const std::optional<CItemPlace> place = Geometry.Place(item, 0);
    CCursorPosition p;
    if (!place) {
        p = DrawingEnd().value_or(CCursorPosition{});
        p.BeyondDrawing = true;
    } else {
        // Towards the next played item when it follows on the same line, otherwise
        // towards the item's own right end (a line's end, a jump back at a repeat).
        const double start = Onsets[k];
        const double end = k + 1 < played.size() ? Onsets[k + 1] : std::max(EndSeconds, start);
        int32_t target = place->Rect.right;
        if (k + 1 < played.size()) {
            const std::optional<CItemPlace> next = Geometry.Place(played[k + 1].Item, 0);
            if (next && next->Line == place->Line && next->Rect.left > place->Rect.left)
                target = next->Rect.left;
        }
        const double fraction = end > start ? std::clamp((seconds - start) / (end - start), 0.0, 1.0) : 0.0;
        // Between two int32 values: the offset cannot overflow once truncated.
        const auto offset = static_cast<int64_t>(static_cast<double>(int64_t{target} - place->Rect.left) * fraction);
        p = FromPlace(*place, static_cast<int32_t>(place->Rect.left + offset));
    }
    p.Played = k;
    p.Item = item;
    p.Finished = finished;
    return p;
}

std::optional<std::size_t> CPlaybackCursor::StartFor(std::size_t item) const
{
    const auto& played = Performance.Played;
    const auto it = std::find_if(played.begin(), played.end(), [item](const CPlayedItem& p) { return p.Item == item; });
    if (it == played.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - played.begin());
}

double CPlaybackCursor::StartSeconds(std::size_t played) const
{
    return played < Onsets.size() ? Onsets[played] : EndSeconds;
}
