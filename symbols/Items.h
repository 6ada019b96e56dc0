// The concrete unit items: note columns, rests, time signatures, repeat bars, spaces.
#pragma once

#include <cstdint>
#include <string_view>

#include "symbols/ScoreItem.h"

// One rhythmic event: per string nothing, a muted string or a fret number, with the
// note's length, dot, flag style and head style.
class CItemNote final : public CScoreItem
{
public:
    enum class Head : int8_t
    {
        Numbers = 0,
        Cross = 1,
        Slash = 2,
    };
    enum class Flag : int8_t
    {
        None = 0,
        Single = 1,
        Connected = 2,
    };
    static constexpr int32_t NoNote = -2;
    static constexpr int32_t Muted = -1;
    static constexpr int32_t Invalid = -3;

    CItemNote(CScore* score, int32_t units);
    std::unique_ptr<CScoreItem> Clone() const override;
    void Draw(CSurface& dc) override;

    // s counts from 1 (the top string). Invalid when s is out of range.
    int32_t GetFret(int32_t s) const;
    // Values of -3 or less are stored as "no note"; an out-of-range s stores nothing.
    void SetFret(int32_t s, int32_t value);
    // Fills Frets from the fret list of a note token ("0.2.x.-.12"). Returns 0, or the
    // string at whose piece the list stopped because the piece was not understood.
    int32_t SetFrets(std::string_view text);

    // The byte-sized members first, to fill the padding after the base class: a score
    // holds a million notes.
    CFretList Frets;
    Head HeadKind = Head::Numbers;
    Flag FlagKind = Flag::None;
    bool Dotted = false;
    bool Drawn = false;  // set by Draw; the stem of a note not drawn yet is at 0, 0
    int32_t Length = 4;

    // Where the stem stands in Rect (the column's centre) and where its tip ends, both 0
    // until the note is drawn; the beams join the tips.
    int32_t StemX() const;
    int32_t StemTipY() const;
    CItemNote(const CItemNote& other);
};

static_assert(sizeof(void*) != 8 || sizeof(CItemNote) == 64, "a note grew: a score holds a million of them");

class CItemRest : public CScoreItem
{
public:
    CItemRest(CScore* score, int32_t units) : CScoreItem(score, units) {}
    std::unique_ptr<CScoreItem> Clone() const override;
    void Draw(CSurface& dc) override;

    int32_t Length = 4;
    bool Dotted = false;
    CItemRest(const CItemRest& other) = default;
};

class CItemMusicalTime : public CScoreItem
{
public:
    CItemMusicalTime(CScore* score, int32_t units) : CScoreItem(score, units) {}
    std::unique_ptr<CScoreItem> Clone() const override;
    void Draw(CSurface& dc) override;

    int32_t Numerator = 4;
    int32_t Denominator = 4;
    CItemMusicalTime(const CItemMusicalTime& other) = default;
};

class CItemRepeatBar : public CScoreItem
{
public:
    // The numbers are those the dump prints.
    enum class RepeatSide : int32_t
    {
        Open = 0,   // opens a repeated section
        Close = 1,  // closes one
    };

    CItemRepeatBar(CScore* score, int32_t units) : CScoreItem(score, units) {}
    std::unique_ptr<CScoreItem> Clone() const override;
    void Draw(CSurface& dc) override;

    RepeatSide Side = RepeatSide::Open;
    CItemRepeatBar(const CItemRepeatBar& other) = default;
};

class CItemSpace : public CScoreItem
{
public:
    CItemSpace(CScore* score, int32_t units) : CScoreItem(score, units) {}
    std::unique_ptr<CScoreItem> Clone() const override;
    void Draw(CSurface& dc) override;
    CItemSpace(const CItemSpace& other) = default;
};
