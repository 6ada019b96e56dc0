// What a score sounds like: every unit item placed in written time and in played time
// (repeats and endings unrolled), the notes they sound with their pitches, and the
// score's tempo, metre and instrument. MIDI, MusicXML, audio and the playback cursor all
// read this one model; nothing here draws or changes the score.
//
// Time is counted in ticks, TicksPerQuarter to a quarter note. A length L lasts 4/L
// quarters (0 lasts a quarter), a dot adds half; a tuplet of level n scales the items it
// spans by m/n (m the largest power of two below n; a duplet 3/2), nested tuplets
// multiply. Onsets are the exact starts rounded to a tick, so rounding never drifts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class CScore;

inline constexpr int32_t TicksPerQuarter = 480;

// An item as written, by item index (file order; repeats not unrolled).
struct CWrittenItem
{
    int64_t Onset = 0;     // ticks from the start of the score
    int64_t Duration = 0;  // ticks; 0 for spaces, time signatures and repeat bars
    // Product of the tuplets around the item: Actual notes in the time of Normal
    // (3 in the time of 2); 1/1 outside tuplets.
    int64_t TupletActual = 1;
    int64_t TupletNormal = 1;
};

// One pass of an item in playing order.
struct CPlayedItem
{
    std::size_t Item = 0;  // index in CScore::UnitItems
    int64_t Onset = 0;     // ticks, played time
    int64_t Duration = 0;
    int32_t Pass = 1;      // 1 the first time through its repeated section, 2 the second...
};

// What a note event is beside its pitch and time.
enum NoteFlags : uint32_t
{
    NoteLegato = 1u << 0,    // reached from the note before on its string without a new attack
    NoteHammerOn = 1u << 1,  // legato labelled "h"
    NotePullOff = 1u << 2,   // legato labelled "p"
    NoteSlide = 1u << 3,     // legato labelled "sl" or "s"
    NoteDead = 1u << 4,      // a muted string (x) or a cross head: short and percussive
    NoteVibrato = 1u << 5,   // under a vibrato on its string
};

// One sounding note on one string, in played time. A tie that sustains (empty label,
// equal frets) is merged into the note it continues, so Duration runs to the end of the
// last tied note. Slash heads sound nothing and make no event.
struct CNoteEvent
{
    std::size_t Item = 0;  // the item whose attack it is
    int32_t String = 1;    // 1 the top string
    int32_t Fret = 0;      // as written (from the capo); CItemNote::Muted for a dead x
    int32_t Pitch = 0;     // MIDI key number: open string + capo + fret, within 0..127
    int64_t Onset = 0;     // ticks
    int64_t Duration = 0;  // ticks
    int32_t Velocity = 96;
    uint32_t Flags = 0;    // NoteFlags
};

struct CMetreEvent
{
    int64_t Tick = 0;  // played time
    int32_t Numerator = 4;
    int32_t Denominator = 4;
};

struct CPerformance
{
    std::vector<CWrittenItem> Written;    // one per unit item
    std::vector<CPlayedItem> Played;      // in playing order
    std::vector<CNoteEvent> Notes;        // by onset, then string
    std::vector<CMetreEvent> Metres;      // by tick; time signatures as played
    std::vector<int32_t> OpenStrings;     // MIDI key of each open string, string 1 first, capo not added
    int32_t Capo = 0;                     // semitones
    double Tempo = 120.0;                 // quarter notes per minute
    int32_t Program = 25;                 // General MIDI program, counted from 0
    int64_t EndTick = 0;                  // where the last played item ends
};

// The score's performance, from its settings ($Tuning, $Capo, $Tempo, $Program,
// Strings) and every item read, also those the drawing cuts at the last page.
CPerformance PerformScore(const CScore& score);

// The passes a repeat ending's label names ("1.", "1.2.", "3."): bit p set for pass p, 1 to
// 31. A label that names none plays on every pass: all bits set.
uint32_t EndingPasses(std::string_view label);

// Seconds from the start at a tick of played time.
double SecondsAt(const CPerformance& performance, int64_t tick);
