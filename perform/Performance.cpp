#include "perform/Performance.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "model/Score.h"
#include "symbols/Items.h"
#include "symbols/Marks.h"

namespace
{
// A length as written, in ticks: 4/L quarters (0 lasts a quarter), a dot adding half.
double LengthTicks(int32_t length, bool dotted)
{
    const double ticks = length <= 0 ? TicksPerQuarter : 4.0 * TicksPerQuarter / length;
    return dotted ? ticks * 1.5 : ticks;
}

double WrittenTicks(const CScoreItem& item)
{
    if (const auto* note = dynamic_cast<const CItemNote*>(&item))
        return LengthTicks(note->Length, note->Dotted);
    if (const auto* rest = dynamic_cast<const CItemRest*>(&item))
        return LengthTicks(rest->Length, rest->Dotted);
    return 0.0;
}

// n notes in the time of m: m the largest power of two below n, a duplet 2 in the time of
// 3, levels 0 and 1 no change.
struct CRatio
{
    int64_t Actual = 1;
    int64_t Normal = 1;
};

CRatio TupletRatio(int32_t level)
{
    if (level <= 1)
        return {};
    if (level == 2)
        return {2, 3};
    int64_t normal = 1;
    while (normal * 2 < level)
        normal *= 2;
    return {level, normal};
}

// Whether this entry of an item's mark list is the mark's start (its first entry there)
// or its end (its last): a mark that starts and ends on one item may be listed twice.
bool FirstEntry(const CMarkList& marks, std::size_t i)
{
    return std::find(marks.begin(), marks.begin() + i, marks[i]) == marks.begin() + i;
}
bool LastEntry(const CMarkList& marks, std::size_t i)
{
    return std::find(marks.begin() + i + 1, marks.end(), marks[i]) == marks.end();
}

constexpr uint32_t EveryPass = ~uint32_t{0};
constexpr int32_t MaxPass = 31;

int32_t HighestPass(uint32_t passes)
{
    if (passes == EveryPass)
        return 0;
    int32_t highest = 0;
    for (int32_t p = 1; p <= MaxPass; ++p)
        if (passes & (uint32_t{1} << p))
            highest = p;
    return highest;
}

// What the written walk learns for the played one.
struct CForm
{
    std::vector<uint32_t> Endings;  // per item: the passes of the ending it lies in, 0 when none; empty when none
    std::vector<uint64_t> Vibrato;  // per item: bit s-1 for each string under a vibrato; empty when none
    struct CRepeat
    {
        std::size_t Target;  // where the closing bar returns to
        int32_t Passes;      // how often its section plays
    };
    std::unordered_map<std::size_t, CRepeat> Repeats;  // by the closing bar's item

    uint32_t EndingAt(std::size_t k) const { return Endings.empty() ? 0 : Endings[k]; }
};

// Items in written time, and the endings and vibrato around each item.
void WriteItems(const CScore& score, CPerformance& performance, CForm& form)
{
    const std::size_t count = score.UnitItems.size();
    performance.Written.resize(count);
    struct COpen
    {
        const CScoreInterUnit* Mark;
        double Scale;  // the product of the open tuplets up to this one
        CRatio Ratio;
    };
    std::vector<COpen> tuplets;
    std::vector<std::pair<const CScoreInterUnit*, uint32_t>> endings;
    std::vector<int32_t> vibratoDepth;
    double exact = 0.0;
    for (std::size_t k = 0; k < count; ++k) {
        const CScoreItem& item = *score.UnitItems[k];
        const CMarkList& marks = item.Marks;
        for (std::size_t i = 0; i < marks.size(); ++i) {
            const CScoreInterUnit* mark = marks[i];
            if (!mark || mark->StartItem != &item || !FirstEntry(marks, i))
                continue;
            if (const auto* tuplet = dynamic_cast<const CTripletMark*>(mark)) {
                const CRatio ratio = TupletRatio(tuplet->GetLevel());
                const COpen outer = tuplets.empty() ? COpen{nullptr, 1.0, {}} : tuplets.back();
                // Nested tuplets multiply; absurd nesting stops growing instead of overflowing.
                const bool fits = outer.Ratio.Actual < (int64_t{1} << 40) && outer.Ratio.Normal < (int64_t{1} << 40);
                const CRatio product = fits ? CRatio{outer.Ratio.Actual * ratio.Actual, outer.Ratio.Normal * ratio.Normal}
                                            : outer.Ratio;
                const double scale = std::clamp(outer.Scale * ratio.Normal / ratio.Actual, 1e-6, 1e6);
                tuplets.push_back({mark, scale, product});
            } else if (const auto* ending = dynamic_cast<const CRepeatNum*>(mark)) {
                endings.emplace_back(mark, EndingPasses(ending->Text));
                if (form.Endings.empty())
                    form.Endings.assign(count, 0);
            } else if (const auto* vibrato = dynamic_cast<const CVibrato*>(mark)) {
                const int32_t s = vibrato->GetLevel();
                if (s >= 1 && s <= 64) {
                    vibratoDepth.resize(64);
                    ++vibratoDepth[static_cast<std::size_t>(s - 1)];
                }
                if (form.Vibrato.empty())
                    form.Vibrato.assign(count, 0);
            }
        }
        if (!endings.empty())
            form.Endings[k] = endings.back().second;
        if (!form.Vibrato.empty())
            for (std::size_t s = 0; s < vibratoDepth.size(); ++s)
                if (vibratoDepth[s] > 0)
                    form.Vibrato[k] |= uint64_t{1} << s;
        const double scale = tuplets.empty() ? 1.0 : tuplets.back().Scale;
        CWrittenItem& written = performance.Written[k];
        written.Onset = std::llround(exact);
        exact += std::min(WrittenTicks(item) * scale, 1e12);
        written.Duration = std::llround(exact) - written.Onset;
        if (!tuplets.empty()) {
            written.TupletActual = tuplets.back().Ratio.Actual;
            written.TupletNormal = tuplets.back().Ratio.Normal;
        }
        for (std::size_t i = 0; i < marks.size(); ++i) {
            const CScoreInterUnit* mark = marks[i];
            if (!mark || mark->EndItem != &item || !LastEntry(marks, i))
                continue;
            const auto ends = [mark](const auto& open) { return open.Mark == mark; };
            if (auto it = std::find_if(tuplets.rbegin(), tuplets.rend(), ends); it != tuplets.rend())
                tuplets.erase(std::next(it).base());
            else if (auto e = std::find_if(endings.rbegin(), endings.rend(), [mark](const auto& open) { return open.first == mark; });
                     e != endings.rend())
                endings.erase(std::next(e).base());
            else if (const auto* vibrato = dynamic_cast<const CVibrato*>(mark)) {
                const int32_t s = vibrato->GetLevel();
                if (s >= 1 && s <= 64 && !vibratoDepth.empty())
                    --vibratoDepth[static_cast<std::size_t>(s - 1)];
            }
        }
    }
}

// Where each closing repeat bar returns to and how often its section plays. It returns
// to the latest opening bar after the closing bar before it; with none, to just after
// that closing bar (the start of the score for the first), so no section plays again
// once it is done. The section plays twice, or as often as the highest pass its endings
// name: those inside it and those that follow its closing bar.
void FindRepeats(const CScore& score, CForm& form)
{
    const std::size_t count = score.UnitItems.size();
    std::size_t sectionStart = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const auto* bar = dynamic_cast<const CItemRepeatBar*>(score.UnitItems[k].get());
        if (!bar)
            continue;
        if (bar->Side == CItemRepeatBar::RepeatSide::Open) {
            sectionStart = k;
            continue;
        }
        int32_t passes = 2;
        for (std::size_t j = sectionStart; j < k; ++j)
            passes = std::max(passes, HighestPass(form.EndingAt(j)));
        for (std::size_t j = k + 1; j < count && form.EndingAt(j) != 0; ++j)
            passes = std::max(passes, HighestPass(form.EndingAt(j)));
        form.Repeats[k] = {sectionStart, passes};
        sectionStart = k + 1;
    }
}

int32_t Clamp(int64_t value, int32_t low, int32_t high)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, low, high));
}

// The notes one played note column sounds.
class CNotePlayer
{
public:
    CNotePlayer(const CScore& score, CPerformance& performance, const CForm& form)
        : Score(score), Performance(performance), Form(form),
          Strings(std::max(score.Settings.Strings, 0)), LastEvent(static_cast<std::size_t>(Strings), NoEvent)
    {
    }

    void Play(std::size_t k, const CItemNote& note, int64_t onset, int64_t duration)
    {
        if (note.HeadKind == CItemNote::Head::Slash)
            return;  // rhythm without pitch
        const uint64_t vibrato = Form.Vibrato.empty() ? 0 : Form.Vibrato[k];
        for (int32_t s = 1; s <= Strings; ++s) {
            const int32_t fret = note.GetFret(s);
            if (fret < CItemNote::Muted)
                continue;
            const bool dead = fret == CItemNote::Muted || note.HeadKind == CItemNote::Head::Cross;
            CNoteEvent event;
            event.Item = k;
            event.String = s;
            event.Fret = fret;
            const int64_t open = Performance.OpenStrings[static_cast<std::size_t>(s - 1)];
            event.Pitch = Clamp(open + Performance.Capo + std::max(fret, 0), 0, 127);
            event.Onset = onset;
            // Dead notes are short and percussive: at most a 32nd note.
            event.Duration = std::max<int64_t>(dead ? std::min<int64_t>(duration, TicksPerQuarter / 8) : duration, 1);
            event.Velocity = dead ? 64 : 96;
            event.Flags = (dead ? uint32_t{NoteDead} : 0u) | (s <= 64 && (vibrato >> (s - 1) & 1) ? uint32_t{NoteVibrato} : 0u);
            std::size_t& last = LastEvent[static_cast<std::size_t>(s - 1)];
            if (!dead && Connect(note, s, last, event, duration))
                continue;
            last = Performance.Notes.size();
            Performance.Notes.push_back(event);
        }
    }

private:
    static constexpr std::size_t NoEvent = static_cast<std::size_t>(-1);

    // A tie ending here on the string, from the note that sounded last on it: a plain tie
    // between equal frets sustains that note (true: no new event); any other is legato.
    bool Connect(const CItemNote& note, int32_t s, std::size_t last, CNoteEvent& event, int64_t duration)
    {
        if (last == NoEvent)
            return false;
        CNoteEvent& before = Performance.Notes[last];
        const CScoreItem* from = Score.UnitItems[before.Item].get();
        for (std::size_t i = 0; i < note.Marks.size(); ++i) {
            const auto* tie = dynamic_cast<const CTie*>(note.Marks[i]);
            if (!tie || tie->EndItem != &note || tie->StartItem != from || tie->GetLevel() != s || !LastEntry(note.Marks, i))
                continue;
            if (before.Flags & NoteDead)
                return false;
            const std::string& label = tie->GetText();
            if (label.empty() && before.Fret == event.Fret) {
                before.Duration = event.Onset + duration - before.Onset;
                before.Flags |= event.Flags & NoteVibrato;
                return true;
            }
            event.Flags |= NoteLegato;
            if (label == "h")
                event.Flags |= NoteHammerOn;
            else if (label == "p")
                event.Flags |= NotePullOff;
            else if (label == "sl" || label == "s")
                event.Flags |= NoteSlide;
            event.Velocity = 80;  // no new attack: softer
            return false;
        }
        return false;
    }

    const CScore& Score;
    CPerformance& Performance;
    const CForm& Form;
    int32_t Strings;
    std::vector<std::size_t> LastEvent;  // per string: the note that sounded last on it
};

// Items in playing order, repeats and endings unrolled, and the notes they sound.
void PlayItems(const CScore& score, CPerformance& performance, const CForm& form)
{
    const std::size_t count = score.UnitItems.size();
    // Labels naming many passes over long sections could multiply the score without end:
    // past this many plays, closing bars stop returning (so at most one more pass is played).
    const std::size_t budget = 4 * count + 65536;
    // At least every item once, and about one note a column: no regrowth for a plain score.
    performance.Played.reserve(count);
    performance.Notes.reserve(count);
    CNotePlayer player(score, performance, form);
    int64_t tick = 0;
    int32_t pass = 1;
    std::size_t repeating = count;  // the closing bar whose section is being repeated
    bool afterSection = false;      // past a finished section, in the endings after it
    for (std::size_t k = 0; k < count;) {
        if (repeating < k) {
            afterSection = true;  // its closing bar played out, or lay in an ending skipped now
            repeating = count;
        }
        const uint32_t ending = form.EndingAt(k);
        if (afterSection && ending == 0) {
            pass = 1;
            afterSection = false;
        }
        if (ending != 0 && ending != EveryPass && !(pass <= MaxPass && (ending >> pass & 1))) {
            ++k;
            continue;
        }
        const CScoreItem& item = *score.UnitItems[k];
        const int64_t duration = performance.Written[k].Duration;
        performance.Played.push_back({k, tick, duration, pass});
        if (const auto* note = dynamic_cast<const CItemNote*>(&item)) {
            player.Play(k, *note, tick, duration);
        } else if (const auto* time = dynamic_cast<const CItemMusicalTime*>(&item)) {
            if (time->Numerator > 0 && time->Denominator > 0) {
                if (!performance.Metres.empty() && performance.Metres.back().Tick == tick)
                    performance.Metres.pop_back();
                performance.Metres.push_back({tick, time->Numerator, time->Denominator});
            }
        }
        tick += duration;
        const auto repeat = form.Repeats.empty() || !dynamic_cast<const CItemRepeatBar*>(&item) ? form.Repeats.end()
                                                                                               : form.Repeats.find(k);
        if (repeat != form.Repeats.end()) {
            if (pass < repeat->second.Passes && performance.Played.size() < budget) {
                ++pass;
                repeating = k;
                k = repeat->second.Target;
                continue;
            }
            afterSection = true;
            repeating = count;
        }
        ++k;
    }
    performance.EndTick = tick;
}
}  // namespace

CPerformance PerformScore(const CScore& score)
{
    CPerformance performance;
    const PlayingSettings& playing = score.Settings.Playing;
    const int32_t strings = std::max(score.Settings.Strings, 0);
    performance.OpenStrings = static_cast<int64_t>(playing.Tuning.size()) == strings ? playing.Tuning : DefaultTuning(strings);
    performance.Capo = playing.Capo;
    performance.Tempo = playing.Tempo;
    performance.Program = playing.Program;
    CForm form;
    WriteItems(score, performance, form);
    FindRepeats(score, form);
    PlayItems(score, performance, form);
    return performance;
}

uint32_t EndingPasses(std::string_view label)
{
    uint32_t passes = 0;
    int32_t number = -1;
    for (std::size_t i = 0; i <= label.size(); ++i) {
        const char c = i < label.size() ? label[i] : '.';
        if (c >= '0' && c <= '9') {
            number = std::min(number < 0 ? c - '0' : number * 10 + (c - '0'), 1000);
        } else if (number >= 0) {
            if (number >= 1 && number <= MaxPass)
                passes |= uint32_t{1} << number;
            number = -1;
        }
    }
    return passes ? passes : EveryPass;
}

double SecondsAt(const CPerformance& performance, int64_t tick)
{
    return static_cast<double>(tick) / TicksPerQuarter * 60.0 / performance.Tempo;
}
