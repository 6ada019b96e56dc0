#include "perform/MidiFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "perform/Performance.h"

namespace
{
// Absolute times saturate where a four-byte delta ends, so every delta can be written
// (some 78 hours at 120 quarters a minute).
constexpr int64_t MaxTick = 0x0FFFFFFF;
// General MIDI keeps channel index 9 for drums.
constexpr std::array<int32_t, 15> StringChannels = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15};

constexpr int32_t BendCentre = 8192;
constexpr int32_t BendRangeSemitones = 2;  // set on every channel, the General MIDI default
// A quarter of a sine wave in 64ths of a cycle, at a quarter tone of depth (a quarter of
// the bend range): integers, so the bytes do not depend on a maths library.
constexpr std::array<int32_t, 17> QuarterSine = {0,    201,  400,  595,  784,  965,  1138, 1299, 1448,
                                                 1583, 1703, 1806, 1892, 1960, 2009, 2038, 2048};
constexpr int64_t VibratoPerSecond = 5;
// Vibrato bend events in the whole file at most: past that the steps widen, so an absurdly
// long vibrato cannot fill the memory.
constexpr int64_t VibratoBudget = int64_t{1} << 22;

int64_t ClampTick(int64_t tick) { return std::clamp<int64_t>(tick, 0, MaxTick); }

void PutBigEndian(std::string& out, uint64_t value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void PutVariableLength(std::string& out, uint32_t value)
{
    char bytes[4];
    int n = 0;
    do {
        bytes[n++] = static_cast<char>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && n < 4);
    while (n > 1)
        out += static_cast<char>(bytes[--n] | 0x80);
    out += bytes[0];
}

void PutMeta(std::string& out, uint8_t type, std::string_view data)
{
    out += '\xFF';
    out += static_cast<char>(type);
    PutVariableLength(out, static_cast<uint32_t>(data.size()));
    out += data;
}

// Opens a track chunk; its length is filled in by EndTrack.
std::size_t BeginTrack(std::string& out)
{
    out += "MTrk";
    out.append(4, '\0');
    return out.size();
}

void EndTrack(std::string& out, std::size_t start)
{
    std::string length;
    PutBigEndian(length, out.size() - start, 4);
    out.replace(start - 4, 4, length);
}

// Order among events at one tick: set-up first, then note-offs (so a repeated pitch
// attacks again), bends, note-ons.
enum EventOrder : uint8_t
{
    OrderSetup,
    OrderOff,
    OrderBend,
    OrderOn,
};

struct CChannelEvent
{
    int64_t Tick;
    EventOrder Order;
    uint8_t Size;
    std::array<uint8_t, 3> Data;
};

// A channel track: its events, sorted by tick and order, then end of track at endTick.
void PutChannelTrack(std::string& body, std::vector<CChannelEvent>& events, std::string_view name, int64_t endTick)
{
    const auto before = [](const CChannelEvent& a, const CChannelEvent& b) {
        return a.Tick != b.Tick ? a.Tick < b.Tick : a.Order < b.Order;
    };
    // A string's notes follow each other, so a channel of one string comes in order.
    if (!std::is_sorted(events.begin(), events.end(), before))
        std::stable_sort(events.begin(), events.end(), before);
    const std::size_t start = BeginTrack(body);
    body += '\0';
    PutMeta(body, 0x03, name);
    int64_t last = 0;
    for (const CChannelEvent& event : events) {
        PutVariableLength(body, static_cast<uint32_t>(event.Tick - last));
        body.append(reinterpret_cast<const char*>(event.Data.data()), event.Size);
        last = event.Tick;
    }
    PutVariableLength(body, static_cast<uint32_t>(std::max(endTick, last) - last));
    PutMeta(body, 0x2F, {});
    EndTrack(body, start);
}

uint32_t MicrosecondsPerQuarter(double tempo)
{
    if (std::isnan(tempo))
        return 500000;  // the file format's own default, 120 a minute
    if (tempo <= 0.0)
        return 0xFFFFFF;  // as slow as can be written
    const double us = std::round(60e6 / tempo);
    return us < 1.0 ? 1u : us > 0xFFFFFF ? 0xFFFFFFu : static_cast<uint32_t>(us);
}

// A time signature as the file writes it: numerator and the power of two of the
// denominator. Denominators are powers of two there; another denominator is written as the
// same bar length over the largest power of two below it that holds the bar exactly (3/6
// as 2/4, 9/12 as 6/8). A bar that no power of two holds (1/3), or a numerator beyond a
// byte, is left out: readers keep the signature before it, and no note moves, since bars
// only guide the reading.
std::optional<std::pair<int32_t, int32_t>> FileTimeSignature(int32_t numerator, int32_t denominator)
{
    if (numerator < 1 || numerator > 255 || denominator < 1)
        return std::nullopt;
    int32_t power = 0;
    while (power < 30 && (int64_t{1} << (power + 1)) <= denominator)
        ++power;
    for (; power >= 0; --power) {
        const int64_t scaled = int64_t{numerator} << power;
        if (scaled % denominator == 0)
            return std::pair(static_cast<int32_t>(scaled / denominator), power);
    }
    return std::nullopt;
}

void PutConductorTrack(std::string& body, const CPerformance& performance, std::string_view name,
                       uint32_t microseconds, int64_t endTick)
{
    const std::size_t start = BeginTrack(body);
    body += '\0';
    PutMeta(body, 0x03, name.substr(0, MaxTick));
    std::string tempo;
    PutBigEndian(tempo, microseconds, 3);
    body += '\0';
    PutMeta(body, 0x51, tempo);

    std::vector<CMetreEvent> metres = performance.Metres;
    std::stable_sort(metres.begin(), metres.end(),
                     [](const CMetreEvent& a, const CMetreEvent& b) { return a.Tick < b.Tick; });
    int64_t last = 0;
    for (const CMetreEvent& metre : metres) {
        const auto signature = FileTimeSignature(metre.Numerator, metre.Denominator);
        if (!signature)
            continue;
        const int64_t tick = ClampTick(metre.Tick);
        // MIDI clocks (24 to a quarter) per beat of the written denominator; at least one.
        const int32_t clocks = std::max(1, 96 >> std::min(signature->second, 7));
        const char data[4] = {static_cast<char>(signature->first), static_cast<char>(signature->second),
                              static_cast<char>(clocks), 8};
        PutVariableLength(body, static_cast<uint32_t>(tick - last));
        PutMeta(body, 0x58, std::string_view(data, 4));
        last = tick;
    }
    PutVariableLength(body, static_cast<uint32_t>(std::max(endTick, last) - last));
    PutMeta(body, 0x2F, {});
    EndTrack(body, start);
}

CChannelEvent Channel(int64_t tick, EventOrder order, uint8_t status, uint8_t a, uint8_t b)
{
    return {tick, order, 3, {status, a, b}};
}

CChannelEvent Bend(int64_t tick, int32_t channel, int32_t value)
{
    return Channel(tick, OrderBend, static_cast<uint8_t>(0xE0 | channel), static_cast<uint8_t>(value & 0x7F),
                   static_cast<uint8_t>(value >> 7));
}

// The bend at a 64th of the vibrato's cycle.
int32_t VibratoBend(int64_t phase)
{
    const int64_t i = phase % 16;
    switch (phase / 16 % 4) {
    case 0: return BendCentre + QuarterSine[i];
    case 1: return BendCentre + QuarterSine[16 - i];
    case 2: return BendCentre - QuarterSine[i];
    default: return BendCentre - QuarterSine[16 - i];
    }
}

struct CNoteSpan
{
    int64_t On;
    int64_t Off;
};

// Where a note sounds in the file: at least a tick, so its note-off never sorts before
// its own note-on.
CNoteSpan SpanOf(const CNoteEvent& note)
{
    const int64_t on = std::clamp<int64_t>(note.Onset, 0, MaxTick - 1);
    return {on, ClampTick(on + std::clamp<int64_t>(note.Duration, 1, MaxTick))};
}
}  // namespace

int32_t MidiChannelOfString(int32_t string)
{
    const int64_t n = static_cast<int64_t>(StringChannels.size());
    return StringChannels[static_cast<std::size_t>(((int64_t{string} - 1) % n + n) % n)];
}

namespace
{
using CChannelEvents = std::array<std::vector<CChannelEvent>, StringChannels.size()>;
using CChannelStrings = std::array<std::vector<int32_t>, StringChannels.size()>;

// The events of each channel (unsorted where a channel sounds several strings), the
// strings each channel sounds, and the tick where the last note ends, if later than endTick.
CChannelEvents ChannelEvents(const CPerformance& performance, uint32_t microseconds, CChannelStrings& strings,
                             int64_t& endTick)
{
    // Each channel with the strings it sounds: every string of the instrument, and any a note names.
    const auto slotOf = [](int32_t string) {
        const auto channel = std::find(StringChannels.begin(), StringChannels.end(), MidiChannelOfString(string));
        return static_cast<std::size_t>(channel - StringChannels.begin());
    };
    const int32_t instrumentStrings =
        static_cast<int32_t>(std::min<std::size_t>(performance.OpenStrings.size(), INT32_MAX));
    for (int32_t s = 1; s <= instrumentStrings; ++s)
        strings[slotOf(s)].push_back(s);
    for (const CNoteEvent& note : performance.Notes)
        strings[slotOf(note.String)].push_back(note.String);

    // Vibrato: one bend every eighth of a cycle, within 20 to 40 ticks, wider when the budget says so.
    const int64_t cycle = std::max<int64_t>(4, (TicksPerQuarter * int64_t{1000000} / VibratoPerSecond + microseconds / 2) /
                                                   microseconds);
    int64_t step = std::clamp<int64_t>(cycle / 8, 20, 40);
    // Events per channel (at most): a note-on and a note-off per note, with a vibrato two
    // bends to the centre and one a step along its length.
    std::array<int64_t, StringChannels.size()> counts{}, vibratoTicks{};
    int64_t bends = 0;
    for (const CNoteEvent& note : performance.Notes) {
        const std::size_t slot = slotOf(note.String);
        counts[slot] += 2;
        if (note.Flags & NoteVibrato) {
            const CNoteSpan span = SpanOf(note);
            counts[slot] += 2;
            vibratoTicks[slot] += span.Off - span.On;
            bends += (span.Off - span.On) / step + 2;
        }
    }
    if (bends > VibratoBudget)
        step *= (bends + VibratoBudget - 1) / VibratoBudget;

    CChannelEvents events;
    const uint8_t program = static_cast<uint8_t>(std::clamp(performance.Program, 0, 127));
    for (std::size_t slot = 0; slot < StringChannels.size(); ++slot) {
        if (strings[slot].empty())
            continue;
        const uint8_t c = static_cast<uint8_t>(StringChannels[slot]);
        const uint8_t cc = 0xB0 | c;
        events[slot].reserve(static_cast<std::size_t>(counts[slot] + vibratoTicks[slot] / step + 7));
        // The bend range by registered parameter 0, then the parameter closed again.
        for (const auto& [controller, value] : std::initializer_list<std::pair<uint8_t, uint8_t>>{
                 {101, 0}, {100, 0}, {6, BendRangeSemitones}, {38, 0}, {101, 127}, {100, 127}})
            events[slot].push_back(Channel(0, OrderSetup, cc, controller, value));
        events[slot].push_back({0, OrderSetup, 2, {static_cast<uint8_t>(0xC0 | c), program, 0}});
    }
    for (const CNoteEvent& note : performance.Notes) {
        const std::size_t slot = slotOf(note.String);
        const int32_t c = StringChannels[slot];
        const CNoteSpan span = SpanOf(note);
        const uint8_t pitch = static_cast<uint8_t>(std::clamp(note.Pitch, 0, 127));
        const uint8_t velocity = static_cast<uint8_t>(std::clamp(note.Velocity, 1, 127));
        std::vector<CChannelEvent>& track = events[slot];
        // In the order of the file, so that a string's events need no sorting: the first
        // bend (the centre) goes before the note-on of its tick.
        const bool vibrato = note.Flags & NoteVibrato;
        if (vibrato)
            track.push_back(Bend(span.On, c, BendCentre));
        track.push_back(Channel(span.On, OrderOn, static_cast<uint8_t>(0x90 | c), pitch, velocity));
        if (vibrato)
            for (int64_t t = step; t < span.Off - span.On; t += step)
                track.push_back(Bend(span.On + t, c, VibratoBend((t * 64 + cycle / 2) / cycle)));
        track.push_back(Channel(span.Off, OrderOff, static_cast<uint8_t>(0x80 | c), pitch, 64));
        if (vibrato)
            track.push_back(Bend(span.Off, c, BendCentre));
        endTick = std::max(endTick, span.Off);
    }

    return events;
}
}  // namespace

std::vector<CMidiMessage> MidiMessages(const CPerformance& performance)
{
    CChannelStrings strings;
    int64_t endTick = 0;
    CChannelEvents events = ChannelEvents(performance, MicrosecondsPerQuarter(performance.Tempo), strings, endTick);
    std::vector<CChannelEvent> all;
    std::size_t count = 0;
    for (const auto& channel : events)
        count += channel.size();
    all.reserve(count);
    for (auto& channel : events) {
        all.insert(all.end(), channel.begin(), channel.end());
        channel = {};
    }
    std::stable_sort(all.begin(), all.end(), [](const CChannelEvent& a, const CChannelEvent& b) {
        return a.Tick != b.Tick ? a.Tick < b.Tick : a.Order < b.Order;
    });
    std::vector<CMidiMessage> messages;
    messages.reserve(all.size());
    for (const CChannelEvent& event : all)
        messages.push_back({event.Tick, event.Size, event.Data});
    return messages;
}

std::string MidiFileBytes(const CPerformance& performance, std::string_view trackName)
{
    const uint32_t microseconds = MicrosecondsPerQuarter(performance.Tempo);
    int64_t endTick = ClampTick(performance.EndTick);
    CChannelStrings strings;
    CChannelEvents events = ChannelEvents(performance, microseconds, strings, endTick);

    std::size_t size = 128 + trackName.size() + 8 * performance.Metres.size();
    for (const auto& track : events)
        size += 8 * track.size() + 64;
    std::string out;
    out.reserve(size);
    out += "MThd";
    PutBigEndian(out, 6, 4);
    PutBigEndian(out, 1, 2);  // format 1: simultaneous tracks
    const auto used = std::count_if(strings.begin(), strings.end(), [](const auto& s) { return !s.empty(); });
    PutBigEndian(out, static_cast<uint64_t>(used + 1), 2);
    PutBigEndian(out, TicksPerQuarter, 2);
    PutConductorTrack(out, performance, trackName, microseconds, endTick);
    for (std::size_t slot = 0; slot < StringChannels.size(); ++slot) {
        std::vector<int32_t>& list = strings[slot];
        if (list.empty())
            continue;
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
        std::string name = list.size() == 1 ? "String " : "Strings ";
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (i > 0)
                name += ", ";
            name += std::to_string(list[i]);
        }
        PutChannelTrack(out, events[slot], name, endTick);
    }
    return out;
}
