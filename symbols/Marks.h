// The six span marks: beams, ties, tuplets (belonging to the notes), chord names,
// vibrato and repeat endings.
#pragma once

#include <cstdint>
#include <string>

#include "symbols/InterUnit.h"

class CTripletMark : public CScoreInterUnit
{
public:
    explicit CTripletMark(CScore* score) : CScoreInterUnit(score) {}
    CTripletMark(const CTripletMark&) = default;

    int32_t GetLevel() const { return Level; }
    void SetLevel(int32_t level) { Level = level; }
    bool GetBracket() const { return Bracket; }
    void SetBracket(bool bracket) { Bracket = bracket; }

    void DrawWithinLine(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;
    void DrawHead(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;
    void DrawTail(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;

private:
    bool Bracket = false;
    int32_t Level = 3;  // the tuplet number printed
};

// One beam of a group of connected flags.
class CConnectedNoteFlag : public CScoreInterUnit
{
public:
    explicit CConnectedNoteFlag(CScore* score) : CScoreInterUnit(score) {}
    CConnectedNoteFlag(const CConnectedNoteFlag&) = default;

    int32_t GetLevel() const { return Level; }
    void SetLevel(int32_t level) { Level = level < 0 ? 0 : level; }
    char GetSide() const { return Side == 'L' ? 'L' : 'R'; }
    void SetSide(char side) { Side = side == 'L' ? 'L' : 'R'; }

    void DrawWithinLine(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;
    void DrawHead(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;
    void DrawTail(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;

private:
    char Side = 'R';    // direction of a one-note stub
    int32_t Level = 1;  // 1 the first beam (eighths), 2 the second...; 0 draws like 1
};

class CTie : public CScoreInterUnit
{
public:
    explicit CTie(CScore* score) : CScoreInterUnit(score) {}
    CTie(const CTie&) = default;

    // The string the tie belongs to; anything outside 1..Strings reads as Strings.
    int32_t GetLevel() const;
    void SetLevel(int32_t level);
    const std::string& GetText() const { return Text; }
    void SetText(std::string text) { Text = std::move(text); }

    void DrawWithinLine(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;
    void DrawHead(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;
    void DrawTail(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;

private:
    int32_t Level = 1;
    std::string Text;  // label under the arc, as the file's bytes
};

class CChordMark : public CScoreInterUnit
{
public:
    explicit CChordMark(CScore* score) : CScoreInterUnit(score) {}
    CChordMark(const CChordMark&) = default;

    void DrawWithinLine(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;
    void DrawHead(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;
    void DrawTail(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;

    bool Framed = false;
    std::string Text;  // as the file's bytes
};

class CVibrato : public CScoreInterUnit
{
public:
    explicit CVibrato(CScore* score);
    CVibrato(const CVibrato&) = default;

    // The string the wave runs along; 0 or less stores Strings (the bottom string).
    int32_t GetLevel() const { return Level; }
    void SetLevel(int32_t level);

    void DrawWithinLine(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;
    void DrawHead(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;
    void DrawTail(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;

private:
    void DrawWaves(CSurface& dc, int32_t x0, int32_t yTop, int32_t xEnd);
    int32_t Level;
};

class CRepeatNum : public CScoreInterUnit
{
public:
    explicit CRepeatNum(CScore* score) : CScoreInterUnit(score) {}
    CRepeatNum(const CRepeatNum&) = default;

    void DrawWithinLine(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;
    void DrawHead(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;
    void DrawTail(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) override;

    std::string Text;  // the ending's label, as the file's bytes
};

static_assert(sizeof(void*) != 8 || (sizeof(CConnectedNoteFlag) == 40 && sizeof(CTripletMark) == 40 && sizeof(CTie) == 72),
              "a mark grew: a score holds hundreds of thousands of them");
