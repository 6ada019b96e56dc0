#include "perform/MusicXml.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <vector>

#include "model/Score.h"
#include "perform/Performance.h"
#include "symbols/Items.h"
#include "symbols/Marks.h"

namespace
{
// MusicXML numbers beams 1..8 and slurs, tuplets and wavy lines 1..16.
constexpr int32_t MaxBeamLevel = 8;
constexpr int MaxNumbered = 16;
// A tie over more columns than this is a slur: no need to look through them all.
constexpr std::size_t MaxTieColumns = 4096;

void AppendInt(std::string& out, int64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// A length in millimetres or tenths (or a tempo), rounded to hundredths; absurd values are
// clamped. Trimmed, a whole number has no decimals.
void AppendDecimal(std::string& out, double value, bool trim = false)
{
    if (!std::isfinite(value))
        value = 0.0;
    value = std::clamp(value, -1e7, 1e7);
    char buffer[32];
    const int n = std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string_view text(buffer, static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof buffer) - 1)));
    while (trim && text.find('.') != std::string_view::npos && (text.back() == '0' || text.back() == '.'))
        text.remove_suffix(1);
    out += text;
}

// UTF-8 text as character data or an attribute value. Characters XML 1.0 cannot hold
// (controls other than tab and line ends, U+FFFE, U+FFFF) are left out.
void AppendEscaped(std::string& out, std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                break;
            if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE) {
                i += 2;
                break;
            }
            out += static_cast<char>(c);
        }
    }
}

void AppendElement(std::string& out, std::string_view tag, std::string_view text)
{
    ((out += '<') += tag) += '>';
    AppendEscaped(out, text);
    ((out += "</") += tag) += '>';
}

void AppendIntElement(std::string& out, std::string_view tag, int64_t value)
{
    ((out += '<') += tag) += '>';
    AppendInt(out, value);
    ((out += "</") += tag) += '>';
}

// A MIDI key as step, alteration (sharps only) and octave, in a tag unless it is empty.
void AppendPitch(std::string& out, std::string_view tag, int32_t key, std::string_view prefix)
{
    static constexpr std::array<char, 12> Steps = {'C', 'C', 'D', 'D', 'E', 'F', 'F', 'G', 'G', 'A', 'A', 'B'};
    static constexpr std::array<bool, 12> Sharp = {false, true, false, true, false, false,
                                                   true,  false, true, false, true, false};
    key = std::clamp(key, 0, 127);
    std::string name(prefix);
    if (!tag.empty())
        ((out += '<') += tag) += '>';
    name += "step";
    AppendElement(out, name, std::string_view(&Steps[static_cast<std::size_t>(key % 12)], 1));
    if (Sharp[static_cast<std::size_t>(key % 12)]) {
        name.resize(prefix.size());
        name += "alter";
        AppendIntElement(out, name, 1);
    }
    name.resize(prefix.size());
    name += "octave";
    AppendIntElement(out, name, key / 12 - 1);
    if (!tag.empty())
        ((out += "</") += tag) += '>';
}

const char* TypeOfLength(int32_t length)
{
    switch (length) {
    case 0: return "quarter";
    case 1: return "whole";
    case 2: return "half";
    case 4: return "quarter";
    case 8: return "eighth";
    case 16: return "16th";
    case 32: return "32nd";
    case 64: return "64th";
    case 128: return "128th";
    case 256: return "256th";
    default: return nullptr;  // a length no note type names: the duration alone says it
    }
}

bool CheckedMul(int64_t a, int64_t b, int64_t& result) { return !__builtin_mul_overflow(a, b, &result); }

// The written duration of a note or rest in quarters, num/den in lowest terms; false
// when it cannot be held exactly.
bool ExactQuarters(int32_t length, bool dotted, const CWrittenItem& written, int64_t& num, int64_t& den)
{
    if (length < 0 || written.TupletActual < 1 || written.TupletNormal < 1)
        return false;
    int64_t n = length == 0 ? 1 : 4;
    int64_t d = length == 0 ? 1 : length;
    if (dotted) {
        n *= 3;
        d *= 2;
    }
    if (!CheckedMul(n, written.TupletNormal, n) || !CheckedMul(d, written.TupletActual, d))
        return false;
    const int64_t g = std::gcd(n, d);
    num = n / g;
    den = d / g;
    return true;
}

struct CChordName
{
    char Root = 'C';
    int Alter = 0;
    const char* Kind = "major";
    bool AddNine = false;
    char Bass = 0;
    int BassAlter = 0;
    std::string_view Suffix;  // as written, shown by readers that can
};

bool ParseNote(std::string_view& text, char& step, int& alter)
{
    if (text.empty() || text[0] < 'A' || text[0] > 'G')
        return false;
    step = text[0];
    alter = 0;
    text.remove_prefix(1);
    if (!text.empty() && (text[0] == '#' || text[0] == 'b')) {
        alter = text[0] == '#' ? 1 : -1;
        text.remove_prefix(1);
    }
    return true;
}

// The usual chord names: a root, one of the common kinds and an optional bass ("C/G").
bool ParseChordName(std::string_view text, CChordName& chord)
{
    static constexpr struct
    {
        std::string_view Suffix;
        const char* Kind;
    } Kinds[] = {
        {"", "major"},
        {"m", "minor"},
        {"7", "dominant"},
        {"maj7", "major-seventh"},
        {"M7", "major-seventh"},
        {"m7", "minor-seventh"},
        {"dim", "diminished"},
        {"dim7", "diminished-seventh"},
        {"aug", "augmented"},
        {"sus2", "suspended-second"},
        {"sus4", "suspended-fourth"},
        {"6", "major-sixth"},
        {"m6", "minor-sixth"},
        {"9", "dominant-ninth"},
        {"m9", "minor-ninth"},
        {"maj9", "major-ninth"},
        {"add9", "major"},
        {"m7b5", "half-diminished"},
    };
    if (!ParseNote(text, chord.Root, chord.Alter))
        return false;
    const std::size_t slash = text.find('/');
    const std::string_view suffix = text.substr(0, slash);
    if (slash != std::string_view::npos) {
        std::string_view bass = text.substr(slash + 1);
        if (!ParseNote(bass, chord.Bass, chord.BassAlter) || !bass.empty())
            return false;
    }
    for (const auto& kind : Kinds)
        if (suffix == kind.Suffix) {
            chord.Kind = kind.Kind;
            chord.AddNine = suffix == "add9";
            chord.Suffix = suffix;
            return true;
        }
    return false;
}

// The passes an ending's label names, as the performance reads them: "1." -> "1",
// "1.2." -> "1, 2", numbers 1 to 31. A label that names none plays on every pass; MusicXML
// must name them, and "1, 2" are those of a plain repeat.
std::string EndingNumbers(std::string_view label)
{
    const uint32_t passes = EndingPasses(label);
    if (passes == ~uint32_t{0})
        return "1, 2";
    std::string numbers;
    for (int pass = 1; pass <= 31; ++pass) {
        if (!(passes >> pass & 1))
            continue;
        if (!numbers.empty())
            numbers += ", ";
        AppendInt(numbers, pass);
    }
    return numbers;
}

// A stretch of items between two of Plekto's bar lines.
struct CMeasure
{
    std::size_t First = 0;  // first item
    std::size_t End = 0;    // one past the last item
    bool Forward = false;   // opens a repeated section
    bool Backward = false;  // closes one
};

// The numbers of open slurs, tuplets or wavy lines, by the mark that opened them.
class CNumbers
{
public:
    int Open(const void* mark)
    {
        for (int n = 1; n <= MaxNumbered; ++n)
            if (Marks[static_cast<std::size_t>(n)] == nullptr) {
                Marks[static_cast<std::size_t>(n)] = mark;
                return n;
            }
        return 0;  // more open at once than can be numbered: left out
    }
    int Close(const void* mark)
    {
        for (int n = 1; n <= MaxNumbered; ++n)
            if (Marks[static_cast<std::size_t>(n)] == mark) {
                Marks[static_cast<std::size_t>(n)] = nullptr;
                return n;
            }
        return 0;
    }

private:
    std::array<const void*, MaxNumbered + 1> Marks{};
};

// What one written note of a column carries beside its pitch.
struct CNoteOut
{
    int32_t String = 1;  // 0 for a rest
    int32_t Fret = 0;    // Muted for a dead string
    std::string Ties;       // <tie> elements
    std::string Notations;  // tied, slur, tuplet, slide
    std::string Ornaments;
    std::string Technical;  // beside string and fret
};

constexpr std::size_t NoIndex = static_cast<std::size_t>(-1);

enum class ItemKind : uint8_t
{
    Other,
    Note,
    Rest,
    Time,
    Repeat,
};

// The first and last column (a note or rest item) a mark spans.
struct CSpan
{
    std::size_t First = NoIndex;
    std::size_t Last = NoIndex;
};

struct CVibratoEnd
{
    std::size_t Column = 0;
    bool Starts = true;
    const CVibrato* Mark = nullptr;
};

struct COpenBeam
{
    const CConnectedNoteFlag* Beam = nullptr;
    CSpan Span;
};

class CMusicXmlWriter
{
public:
    CMusicXmlWriter(const CScore& score, const CPerformance& performance, const TextDecoder& decode)
        : Score(score), Perf(performance), Decode(decode), Items(score.UnitItems)
    {
    }

    std::optional<std::string> Write()
    {
        Out.reserve(std::min<std::size_t>(Items.size(), 1000000) * 400 + 4096);
        ClassifyItems();
        PlanDivisions();
        PlanColumns();
        PlanVibratos();
        PlanMeasures();
        WriteHeader();
        Out += "<part id=\"P1\">\n";
        if (Measures.empty())
            WriteEmptyMeasure();
        for (std::size_t m = 0; m < Measures.size(); ++m) {
            WriteMeasure(m);
            if (Out.size() > MaxMusicXmlBytes)
                return std::nullopt;
        }
        Out += "</part>\n</score-partwise>\n";
        return std::move(Out);
    }

private:
    const CWrittenItem& Written(std::size_t k) const
    {
        static const CWrittenItem plain;
        return k < Perf.Written.size() ? Perf.Written[k] : plain;
    }

    // The kind of every item, found once: a long score has a hundred thousand.
    void ClassifyItems()
    {
        Kinds.resize(Items.size());
        for (std::size_t k = 0; k < Items.size(); ++k) {
            const CScoreItem* item = Items[k].get();
            Kinds[k] = dynamic_cast<const CItemNote*>(item)          ? ItemKind::Note
                       : dynamic_cast<const CItemRest*>(item)        ? ItemKind::Rest
                       : dynamic_cast<const CItemMusicalTime*>(item) ? ItemKind::Time
                       : dynamic_cast<const CItemRepeatBar*>(item)   ? ItemKind::Repeat
                                                                     : ItemKind::Other;
        }
    }
    const CItemNote* NoteAt(std::size_t k) const
    {
        return k < Kinds.size() && Kinds[k] == ItemKind::Note ? static_cast<const CItemNote*>(Items[k].get()) : nullptr;
    }
    const CItemRest* RestAt(std::size_t k) const
    {
        return Kinds[k] == ItemKind::Rest ? static_cast<const CItemRest*>(Items[k].get()) : nullptr;
    }
    const CItemMusicalTime* TimeAt(std::size_t k) const
    {
        return Kinds[k] == ItemKind::Time ? static_cast<const CItemMusicalTime*>(Items[k].get()) : nullptr;
    }

    // The written length and dot of a note or rest; false for the other items.
    bool LengthOf(std::size_t k, int32_t& length, bool& dotted) const
    {
        if (const auto* note = NoteAt(k)) {
            length = note->Length;
            dotted = note->Dotted;
        } else if (const auto* rest = RestAt(k)) {
            length = rest->Length;
            dotted = rest->Dotted;
        } else {
            return false;
        }
        return true;
    }

    // Divisions per quarter that make every written duration whole, from the lengths, dots
    // and tuplet ratios; performance ticks when that would take too many.
    void PlanDivisions()
    {
        Durations.assign(Items.size(), 0);
        int64_t divisions = 1;
        bool exact = true;
        for (std::size_t k = 0; k < Items.size() && exact; ++k) {
            int32_t length = 0;
            bool dotted = false;
            if (!LengthOf(k, length, dotted)) {
                // A measure rest fills a time signature's length exactly too.
                if (const auto* time = TimeAt(k); time && UsableTime(*time))
                    divisions = std::lcm(divisions, time->Denominator / std::gcd(4 * time->Numerator, time->Denominator));
                continue;
            }
            int64_t num = 0, den = 1;
            exact = ExactQuarters(length, dotted, Written(k), num, den) && den <= MaxMusicXmlDivisions;
            if (exact) {
                divisions = std::lcm(divisions, den);
                exact = divisions <= MaxMusicXmlDivisions;
            }
        }
        exact = exact && divisions <= MaxMusicXmlDivisions;
        Divisions = exact ? divisions : TicksPerQuarter;
        for (std::size_t k = 0; k < Items.size(); ++k) {
            int32_t length = 0;
            bool dotted = false;
            if (!LengthOf(k, length, dotted))
                continue;
            int64_t num = 0, den = 1, value = 0;
            if (exact && ExactQuarters(length, dotted, Written(k), num, den) &&
                CheckedMul(num, Divisions / den, value))
                Durations[k] = value;
            else
                Durations[k] = Written(k).Duration;
            // A duration must be positive; only absurd lengths round to nothing.
            Durations[k] = std::max<int64_t>(Durations[k], 1);
        }
    }

    void PlanColumns()
    {
        const std::size_t n = Items.size();
        ItemIndex.reserve(n);
        for (std::size_t k = 0; k < n; ++k)
            ItemIndex.emplace_back(Items[k].get(), k);
        std::sort(ItemIndex.begin(), ItemIndex.end());
        PrevColumn.assign(n, NoIndex);
        NextColumn.assign(n, NoIndex);
        for (std::size_t k = 0, last = NoIndex; k < n; ++k) {
            last = Durations[k] > 0 ? k : last;
            PrevColumn[k] = last;
        }
        for (std::size_t k = n, next = NoIndex; k-- > 0;) {
            next = Durations[k] > 0 ? k : next;
            NextColumn[k] = next;
        }
    }

    // Wavy lines need a start and a stop on two columns, the stop before the score's last
    // column: MuseScore finds no place to end a line at the end of the score. A vibrato on
    // one column reaches to the next; one that ends on the last column stops a column early.
    void PlanVibratos()
    {
        const std::size_t lastColumn = Items.empty() ? NoIndex : PrevColumn[Items.size() - 1];
        for (const auto& mark : Score.SpanMarks) {
            const auto* vibrato = dynamic_cast<const CVibrato*>(mark.get());
            CSpan span;
            if (!vibrato || !SpanOf(vibrato, span))
                continue;
            if (span.Last == lastColumn)
                span.Last = span.Last > 0 ? PrevColumn[span.Last - 1] : NoIndex;
            else if (span.First == span.Last)
                span.Last = NextColumn[span.Last + 1];
            if (span.Last == NoIndex || span.Last <= span.First)
                continue;
            Vibratos.push_back({span.First, true, vibrato});
            Vibratos.push_back({span.Last, false, vibrato});
        }
        std::stable_sort(Vibratos.begin(), Vibratos.end(), [](const CVibratoEnd& a, const CVibratoEnd& b) {
            return a.Column != b.Column ? a.Column < b.Column : a.Starts > b.Starts;
        });
    }

    // Measures from Plekto's bars: an item with a bar after it ends one, an opening repeat
    // bar starts one and a closing repeat bar ends one. Items with no time before a bar
    // (a time signature, an opening repeat) belong to the measure that follows; left over
    // at a closing bar or the end, they join the measure before.
    void PlanMeasures()
    {
        CMeasure current;
        bool timed = false;
        auto finish = [&](std::size_t end) {
            current.End = end;
            if (timed || Measures.empty()) {
                Measures.push_back(current);
            } else {
                Measures.back().End = end;
                Measures.back().Backward = Measures.back().Backward || current.Backward;
            }
            current = CMeasure{};
            current.First = end;
            timed = false;
        };
        for (std::size_t k = 0; k < Items.size(); ++k) {
            const CScoreItem* item = Items[k].get();
            if (Kinds[k] == ItemKind::Repeat) {
                const auto* bar = static_cast<const CItemRepeatBar*>(item);
                if (bar->Side == CItemRepeatBar::RepeatSide::Open) {
                    if (timed)
                        finish(k);
                    current.Forward = true;
                } else {
                    current.Backward = true;
                    finish(k + 1);
                }
                continue;
            }
            timed = timed || Durations[k] > 0;
            if (item->BarAfter && timed)
                finish(k + 1);
        }
        if (current.First < Items.size())
            finish(Items.size());
    }

    void WriteHeader()
    {
        Out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
               "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
               "\"http://www.musicxml.org/dtds/partwise.dtd\">\n"
               "<score-partwise version=\"4.0\">\n";
        if (Score.TitleBlock && !Score.TitleBlock->MainTitle.empty()) {
            Out += "<work>";
            AppendElement(Out, "work-title", Decode(Score.TitleBlock->MainTitle));
            Out += "</work>\n";
        }
        Out += "<identification><encoding><software>Plekto</software>"
               "<supports element=\"accidental\" type=\"no\"/>"
               "<supports element=\"beam\" type=\"yes\"/>"
               "<supports element=\"print\" attribute=\"new-page\" type=\"yes\" value=\"yes\"/>"
               "<supports element=\"print\" attribute=\"new-system\" type=\"yes\" value=\"yes\"/>"
               "<supports element=\"stem\" type=\"no\"/>"
               "</encoding></identification>\n";
        WriteDefaults();
        WriteCredits();
        Out += "<part-list><score-part id=\"P1\"><part-name>Guitar</part-name>"
               "<score-instrument id=\"P1-I1\"><instrument-name>Guitar</instrument-name></score-instrument>"
               "<midi-instrument id=\"P1-I1\"><midi-channel>1</midi-channel>";
        AppendIntElement(Out, "midi-program", std::clamp(Perf.Program, 0, 127) + 1);
        Out += "</midi-instrument></score-part></part-list>\n";
    }

    // The page as Plekto's settings give it (7 mm to 40 tenths, a usual staff size).
    static constexpr double TenthsPerMm = 40.0 / 7.0;

    void WriteDefaults()
    {
        const ScoreSettings& s = Score.Settings;
        Out += "<defaults><scaling><millimeters>7</millimeters><tenths>40</tenths></scaling><page-layout>";
        Out += "<page-height>";
        AppendDecimal(Out, s.PageHeight * TenthsPerMm);
        Out += "</page-height><page-width>";
        AppendDecimal(Out, s.PageWidth * TenthsPerMm);
        Out += "</page-width><page-margins type=\"both\"><left-margin>";
        AppendDecimal(Out, s.MarginLeft * TenthsPerMm);
        Out += "</left-margin><right-margin>";
        AppendDecimal(Out, s.MarginRight * TenthsPerMm);
        Out += "</right-margin><top-margin>";
        AppendDecimal(Out, s.MarginTop * TenthsPerMm);
        Out += "</top-margin><bottom-margin>";
        AppendDecimal(Out, s.MarginBottom * TenthsPerMm);
        Out += "</bottom-margin></page-margins></page-layout></defaults>\n";
    }

    // The title block as credits on page 1: the main title in the middle, and each side's
    // corner lines as one text, the top lines first (separate credits at one corner are
    // drawn over each other by MuseScore).
    void WriteCredits()
    {
        if (!Score.TitleBlock)
            return;
        const CTitleBlock& block = *Score.TitleBlock;
        const ScoreSettings& s = Score.Settings;
        const double top = (s.PageHeight - s.MarginTop) * TenthsPerMm;
        const double left = s.MarginLeft * TenthsPerMm;
        const double right = (s.PageWidth - s.MarginRight) * TenthsPerMm;
        if (!block.MainTitle.empty())
            WriteCredit("title", Decode(block.MainTitle), (left + right) / 2.0, top, "center");
        const struct
        {
            const CTitleBlock::LinePlaces* Top;
            const CTitleBlock::LinePlaces* Bottom;
            double X;
            const char* Justify;
        } sides[] = {
            {&block.LeftTopLines, &block.LeftBottomLines, left, "left"},
            {&block.RightTopLines, &block.RightBottomLines, right, "right"},
        };
        for (const auto& side : sides) {
            std::string text;
            for (const CTitleBlock::LinePlaces* lines : {side.Top, side.Bottom})
                for (const auto& line : *lines)
                    if (line && !line->empty())
                        (text += text.empty() ? "" : "\n") += Decode(*line);
            if (!text.empty())
                WriteCredit(nullptr, text, side.X, top, side.Justify);
        }
    }

    void WriteCredit(const char* type, const std::string& text, double x, double y, const char* justify)
    {
        Out += "<credit page=\"1\">";
        if (type)
            AppendElement(Out, "credit-type", type);
        Out += "<credit-words default-x=\"";
        AppendDecimal(Out, x);
        Out += "\" default-y=\"";
        AppendDecimal(Out, y);
        ((Out += "\" justify=\"") += justify) += "\" valign=\"top\"";
        if (type)
            Out += " font-size=\"20\"";
        Out += '>';
        AppendEscaped(Out, text);
        Out += "</credit-words></credit>\n";
    }

    void WriteEmptyMeasure()
    {
        Out += "<measure number=\"1\">";
        WriteAttributes(nullptr, true);
        Out += "<note><rest measure=\"yes\"/>";
        AppendIntElement(Out, "duration", Divisions * 4);
        Out += "</note></measure>\n";
    }

    static bool UsableTime(const CItemMusicalTime& time)
    {
        const int32_t d = time.Denominator;
        return time.Numerator >= 1 && time.Numerator <= 999 && d >= 1 && d <= 64 && (d & (d - 1)) == 0;
    }

    // The first measure's attributes: divisions, the TAB clef and the strings; any measure's
    // time signature.
    void WriteAttributes(const CItemMusicalTime* time, bool first)
    {
        Out += "<attributes>";
        if (first) {
            AppendIntElement(Out, "divisions", Divisions);
            Out += "<key print-object=\"no\"><fifths>0</fifths></key>";
        }
        if (time && UsableTime(*time)) {
            Out += "<time>";
            AppendIntElement(Out, "beats", time->Numerator);
            AppendIntElement(Out, "beat-type", time->Denominator);
            Out += "</time>";
        }
        if (first) {
            const int32_t strings = std::max(1, Score.Settings.Strings);
            Out += "<clef><sign>TAB</sign><line>5</line></clef><staff-details>";
            AppendIntElement(Out, "staff-lines", strings);
            for (int32_t line = 1; line <= strings; ++line) {
                Out += "<staff-tuning line=\"";
                AppendInt(Out, line);
                Out += "\">";
                AppendPitch(Out, "", OpenString(strings + 1 - line), "tuning-");
                Out += "</staff-tuning>";
            }
            AppendIntElement(Out, "capo", std::max(0, Perf.Capo));
            Out += "</staff-details>";
        }
        Out += "</attributes>";
    }

    int32_t OpenString(int32_t s) const
    {
        const std::size_t i = static_cast<std::size_t>(s - 1);
        return s >= 1 && i < Perf.OpenStrings.size() ? Perf.OpenStrings[i] : 40;
    }
    int32_t Key(int32_t s, int32_t fret) const
    {
        const int64_t key = int64_t{OpenString(s)} + Perf.Capo + std::max(fret, 0);
        return static_cast<int32_t>(std::clamp<int64_t>(key, 0, 127));
    }

    // A break where Plekto's drawing starts a new TAB line or printed page.
    void WritePrint(const CMeasure& measure)
    {
        if (!Score.Geometry.BuiltFor(Score) || measure.First >= Items.size())
            return;
        const std::size_t line = Score.Geometry.LineOf(measure.First);
        const int32_t page = Score.Geometry.PrintedPage(measure.First);
        if (line == CScoreGeometry::NoLine)
            return;
        if (PreviousLine != CScoreGeometry::NoLine && line > PreviousLine) {
            if (page > PreviousPage && PreviousPage > 0)
                Out += "<print new-page=\"yes\"/>";
            else
                Out += "<print new-system=\"yes\"/>";
        }
        PreviousLine = line;
        PreviousPage = page;
    }

    // Endings that start or stop within the measure, and its repeats.
    void WriteLeftBarline(const CMeasure& measure, const CRepeatNum* ending)
    {
        if (!ending && !measure.Forward)
            return;
        Out += "<barline location=\"left\">";
        Out += measure.Forward ? "<bar-style>heavy-light</bar-style>" : "<bar-style>regular</bar-style>";
        if (ending) {
            Out += "<ending number=\"";
            Out += EndingNumbers(ending->Text);
            Out += "\" type=\"start\">";
            AppendEscaped(Out, Decode(ending->Text));
            Out += "</ending>";
        }
        if (measure.Forward)
            Out += "<repeat direction=\"forward\"/>";
        Out += "</barline>";
    }

    void WriteRightBarline(const CMeasure& measure, const CRepeatNum* ending)
    {
        if (!ending && !measure.Backward)
            return;
        Out += "<barline location=\"right\">";
        Out += measure.Backward ? "<bar-style>light-heavy</bar-style>" : "<bar-style>regular</bar-style>";
        if (ending) {
            Out += "<ending number=\"";
            Out += OpenEndingNumber;
            Out += measure.Backward ? "\" type=\"stop\"/>" : "\" type=\"discontinue\"/>";
        }
        if (measure.Backward)
            Out += "<repeat direction=\"backward\"/>";
        Out += "</barline>";
    }

    void WriteHarmony(const CChordMark& mark)
    {
        CChordName chord;
        if (!ParseChordName(mark.Text, chord)) {
            Out += "<direction placement=\"above\"><direction-type><words";
            if (mark.Framed)
                Out += " enclosure=\"rectangle\"";
            Out += '>';
            AppendEscaped(Out, Decode(mark.Text));
            Out += "</words></direction-type></direction>";
            return;
        }
        Out += "<harmony><root><root-step>";
        Out += chord.Root;
        Out += "</root-step>";
        if (chord.Alter)
            AppendIntElement(Out, "root-alter", chord.Alter);
        Out += "</root><kind";
        if (!chord.Suffix.empty()) {
            Out += " text=\"";
            AppendEscaped(Out, chord.Suffix);
            Out += '"';
        }
        ((Out += '>') += chord.Kind) += "</kind>";
        if (chord.Bass) {
            Out += "<bass><bass-step>";
            Out += chord.Bass;
            Out += "</bass-step>";
            if (chord.BassAlter)
                AppendIntElement(Out, "bass-alter", chord.BassAlter);
            Out += "</bass>";
        }
        if (chord.AddNine)
            Out += "<degree><degree-value>9</degree-value><degree-alter>0</degree-alter>"
                   "<degree-type>add</degree-type></degree>";
        Out += "</harmony>";
    }

    void WriteMeasure(std::size_t m)
    {
        const CMeasure& measure = Measures[m];
        // The time signature among the items before the first note sets the measure's.
        const CItemMusicalTime* leadTime = nullptr;
        const CRepeatNum* endingStart = nullptr;
        const CRepeatNum* endingStop = nullptr;
        int64_t length = 0;
        for (std::size_t k = measure.First; k < measure.End; ++k) {
            const CScoreItem* item = Items[k].get();
            length += Durations[k];
            if (const auto* time = TimeAt(k); time && length == 0)
                leadTime = time;
            for (const CScoreInterUnit* mark : item->Marks)
                if (const auto* ending = dynamic_cast<const CRepeatNum*>(mark)) {
                    if (mark->StartItem == item && mark->EndItem && !endingStart && OpenEnding == nullptr)
                        endingStart = ending;
                    if (mark->EndItem == item && (ending == OpenEnding || ending == endingStart))
                        endingStop = ending;
                }
        }
        if (leadTime && UsableTime(*leadTime)) {
            TimeNumerator = leadTime->Numerator;
            TimeDenominator = leadTime->Denominator;
        }
        // A first measure shorter than its time signature is a pickup.
        const bool pickup = m == 0 && length * TimeDenominator < Divisions * 4 * TimeNumerator;
        Out += "<measure number=\"";
        if (m == 0)
            NumberBase = pickup ? 0 : 1;
        AppendInt(Out, static_cast<int64_t>(m) + NumberBase);
        Out += pickup ? "\" implicit=\"yes\">" : "\">";
        WritePrint(measure);
        WriteLeftBarline(measure, endingStart);
        if (endingStart) {
            OpenEnding = endingStart;
            OpenEndingNumber = EndingNumbers(endingStart->Text);
        }
        if (m == 0 || leadTime)
            WriteAttributes(leadTime, m == 0);
        if (m == 0) {
            Out += "<sound tempo=\"";
            AppendDecimal(Out, std::isfinite(Perf.Tempo) && Perf.Tempo > 0.0 ? Perf.Tempo : 120.0, true);
            Out += "\"/>";
        }
        int64_t elapsed = 0;
        for (std::size_t k = measure.First; k < measure.End; ++k) {
            const CScoreItem* item = Items[k].get();
            for (const CScoreInterUnit* mark : item->Marks)
                if (const auto* chord = dynamic_cast<const CChordMark*>(mark); chord && mark->StartItem == item)
                    WriteHarmony(*chord);
            if (const auto* time = TimeAt(k); time && time != leadTime && elapsed) {
                WriteAttributes(time, false);
                if (UsableTime(*time)) {
                    TimeNumerator = time->Numerator;
                    TimeDenominator = time->Denominator;
                }
            }
            if (Durations[k] > 0) {
                WriteColumn(k);
                elapsed += Durations[k];
            }
        }
        if (length == 0) {
            // Bars with nothing between them still hold their time as a measure rest.
            Out += "<note><rest measure=\"yes\"/>";
            AppendIntElement(Out, "duration", Divisions * 4 * TimeNumerator / TimeDenominator);
            Out += "</note>";
        }
        if (endingStop)
            OpenEnding = nullptr;
        WriteRightBarline(measure, endingStop);
        Out += "</measure>\n";
    }

    // Whether a note column writes a pitched note (a rest or an empty column does not).
    bool Sounds(std::size_t k) const
    {
        const auto* note = NoteAt(k);
        if (!note)
            return false;
        for (int32_t s = 1; s <= Score.Settings.Strings; ++s)
            if (note->GetFret(s) >= 0 || note->GetFret(s) == CItemNote::Muted)
                return true;
        return false;
    }

    // The written note a mark on string s belongs to: that string's, else the column's first.
    CNoteOut* NoteFor(int32_t s)
    {
        for (std::size_t i = 0; i < NoteCount; ++i)
            if (Notes[i].String == s)
                return &Notes[i];
        return NoteCount ? &Notes.front() : nullptr;
    }

    // A tie that sustains, as the performance plays it: no label, two sounding notes (not
    // dead, not slashes) with the same fret on its string, the second the next to sound on
    // that string. Any other tie is drawn as an arc, so it is written as a slur.
    bool IsTie(const CTie& tie, const CSpan& span) const
    {
        const auto* a = NoteAt(span.First);
        const auto* b = NoteAt(span.Last);
        const int32_t s = tie.GetLevel();
        const auto plain = [](const CItemNote* note) { return note->HeadKind == CItemNote::Head::Numbers; };
        if (!tie.GetText().empty() || !a || !b || tie.StartItem != a || tie.EndItem != b || !plain(a) || !plain(b) ||
            a->GetFret(s) < 0 || a->GetFret(s) != b->GetFret(s) || span.Last - span.First > MaxTieColumns)
            return false;
        for (std::size_t k = span.First + 1; k < span.Last; ++k)
            if (const auto* between = NoteAt(k); between && between->HeadKind != CItemNote::Head::Slash &&
                                                 (between->GetFret(s) >= 0 || between->GetFret(s) == CItemNote::Muted))
                return false;
        return true;
    }

    // One start or stop of a tie, slur, legato technique, slide, vibrato or tuplet at the
    // column being written. A mark is written only when it spans two columns that carry
    // what it hangs on (vibrato may start and stop on one).
    void AddMark(const CScoreInterUnit* mark, const CSpan& span, bool starts)
    {
        const char* type = starts ? "start" : "stop";
        const bool spans = span.First < span.Last;
        if (const auto* tie = dynamic_cast<const CTie*>(mark)) {
            if (!spans)
                return;
            const int32_t s = tie->GetLevel();
            CNoteOut* note = NoteFor(s);
            if (IsTie(*tie, span)) {
                ((note->Ties += "<tie type=\"") += type) += "\"/>";
                ((note->Notations += "<tied type=\"") += type) += "\"/>";
                return;
            }
            if (!Sounds(span.First) || !Sounds(span.Last))
                return;
            const std::string& label = tie->GetText();
            if (label == "sl" || label == "s") {
                if (const int n = starts ? Slides.Open(mark) : Slides.Close(mark))
                    AppendNumbered(note->Notations, "slide", type, n, " line-type=\"solid\"");
                return;
            }
            const int n = starts ? Slurs.Open(mark) : Slurs.Close(mark);
            if (!n)
                return;
            AppendNumbered(note->Notations, "slur", type, n, "");
            if (label == "h" || label == "p") {
                const char* tag = label == "h" ? "hammer-on" : "pull-off";
                (((note->Technical += '<') += tag) += " type=\"") += type;
                if (starts) {
                    note->Technical += "\">";
                    AppendEscaped(note->Technical, Decode(label));
                    ((note->Technical += "</") += tag) += '>';
                } else {
                    note->Technical += "\"/>";
                }
            } else if (starts && !label.empty()) {
                // Any other label is words under the slur's first note.
                Directions += "<direction placement=\"below\"><direction-type><words>";
                AppendEscaped(Directions, Decode(label));
                Directions += "</words></direction-type></direction>";
            }
        } else if (const auto* tuplet = dynamic_cast<const CTripletMark*>(mark)) {
            const CWrittenItem& first = Written(span.First);
            if (!spans || first.TupletActual == first.TupletNormal)
                return;
            if (const int n = starts ? Tuplets.Open(mark) : Tuplets.Close(mark))
                AppendNumbered(Notes.front().Notations, "tuplet", type, n,
                               starts ? (tuplet->GetBracket() ? " bracket=\"yes\"" : " bracket=\"no\"") : "");
        }
    }

    static void AppendNumbered(std::string& out, const char* tag, const char* type, int number, const char* extra)
    {
        ((((out += '<') += tag) += " type=\"") += type) += "\" number=\"";
        AppendInt(out, number);
        ((out += '"') += extra) += "/>";
    }

    // Where a mark starts and stops among the columns: marks on items that take no time
    // (spaces, bars) move to the next column for a start and the previous for a stop.
    bool SpanOf(const CScoreInterUnit* mark, CSpan& span) const
    {
        const std::size_t first = IndexOf(mark->StartItem);
        const std::size_t last = IndexOf(mark->EndItem);
        if (first == NoIndex || last == NoIndex)
            return false;
        span.First = NextColumn[first];
        span.Last = PrevColumn[last];
        return span.First != NoIndex && span.Last != NoIndex && span.First <= span.Last;
    }

    std::size_t IndexOf(const CScoreItem* item) const
    {
        const auto it = std::lower_bound(ItemIndex.begin(), ItemIndex.end(), std::make_pair(item, std::size_t{0}));
        return item && it != ItemIndex.end() && it->first == item ? it->second : NoIndex;
    }

    // Calls add(mark, span, starts) for the marks that start at column c, then for those
    // that stop there, each once.
    template <class Add>
    void ForEachMarkAt(std::size_t c, Add add) const
    {
        const std::size_t from = c > 0 && PrevColumn[c - 1] != NoIndex ? PrevColumn[c - 1] + 1 : 0;
        const std::size_t to = c + 1 < Items.size() && NextColumn[c + 1] != NoIndex ? NextColumn[c + 1] : Items.size();
        for (const bool starts : {true, false})
            for (std::size_t j = from; j < to; ++j) {
                const CScoreItem* item = Items[j].get();
                for (auto it = item->Marks.begin(); it != item->Marks.end(); ++it) {
                    const CScoreInterUnit* mark = *it;
                    CSpan span;
                    if ((starts ? mark->StartItem : mark->EndItem) != item ||
                        std::find(item->Marks.begin(), it, mark) != it || !SpanOf(mark, span) ||
                        (starts ? span.First : span.Last) != c)
                        continue;
                    add(mark, span, starts);
                }
            }
    }

    // Beam values of column c for each level, from the connected flags open over it.
    void CollectBeams(std::size_t c, std::string& beams)
    {
        for (int32_t level = 1; level <= MaxBeamLevel; ++level) {
            COpenBeam& open = OpenBeams[static_cast<std::size_t>(level)];
            if (!open.Beam)
                continue;
            const bool first = open.Span.First == c;
            const bool last = open.Span.Last == c;
            const char* value = first && last ? (open.Beam->GetSide() == 'L' ? "backward hook" : "forward hook")
                                : first       ? "begin"
                                : last        ? "end"
                                              : "continue";
            beams += "<beam number=\"";
            AppendInt(beams, level);
            ((beams += "\">") += value) += "</beam>";
            if (last)
                open.Beam = nullptr;
        }
    }

    // Reuses the notes of earlier columns, so their texts keep their memory.
    void AddNote(int32_t s, int32_t fret)
    {
        if (NoteCount == Notes.size())
            Notes.emplace_back();
        CNoteOut& note = Notes[NoteCount++];
        note.String = s;
        note.Fret = fret;
        note.Ties.clear();
        note.Notations.clear();
        note.Ornaments.clear();
        note.Technical.clear();
    }

    // A note column (each sounding string a note, the first carrying the chord's shared
    // parts) or a rest.
    void WriteColumn(std::size_t k)
    {
        const auto* note = NoteAt(k);
        const auto* rest = RestAt(k);
        NoteCount = 0;
        if (note)
            for (int32_t s = 1; s <= Score.Settings.Strings; ++s) {
                const int32_t fret = note->GetFret(s);
                if (fret >= 0 || fret == CItemNote::Muted) {
                    AddNote(s, fret);
                }
            }
        if (NoteCount == 0) {
            // A rest, or a note column with no string to sound: written as a rest.
            AddNote(0, 0);
        }
        ForEachMarkAt(k, [&](const CScoreInterUnit* mark, const CSpan& span, bool starts) {
            if (dynamic_cast<const CVibrato*>(mark))
                return;  // see PlanVibratos
            if (const auto* beam = dynamic_cast<const CConnectedNoteFlag*>(mark)) {
                const std::size_t level = static_cast<std::size_t>(std::max(beam->GetLevel(), 1));
                if (starts && level <= MaxBeamLevel && !OpenBeams[level].Beam)
                    OpenBeams[level] = {beam, span};
            } else {
                AddMark(mark, span, starts);
            }
        });
        for (; NextVibrato < Vibratos.size() && Vibratos[NextVibrato].Column == k; ++NextVibrato) {
            const CVibratoEnd& end = Vibratos[NextVibrato];
            if (const int n = end.Starts ? Wavy.Open(end.Mark) : Wavy.Close(end.Mark))
                AppendNumbered(NoteFor(end.Mark->GetLevel())->Ornaments, "wavy-line", end.Starts ? "start" : "stop", n,
                               "");
        }
        Beams.clear();
        Out += Directions;
        Directions.clear();
        CollectBeams(k, Beams);
        const int32_t length = note ? note->Length : rest->Length;
        const bool dotted = note ? note->Dotted : rest->Dotted;
        const CWrittenItem& written = Written(k);
        for (std::size_t i = 0; i < NoteCount; ++i) {
            const CNoteOut& out = Notes[i];
            Out += "<note>";
            if (i > 0)
                Out += "<chord/>";
            if (out.String == 0)
                Out += "<rest/>";
            else
                AppendPitch(Out, "pitch", Key(out.String, out.Fret), "");
            AppendIntElement(Out, "duration", Durations[k]);
            Out += out.Ties;
            if (const char* type = TypeOfLength(length))
                ((Out += "<type>") += type) += "</type>";
            if (dotted)
                Out += "<dot/>";
            if (written.TupletActual != written.TupletNormal && written.TupletActual <= 9999 &&
                written.TupletNormal <= 9999) {
                Out += "<time-modification>";
                AppendIntElement(Out, "actual-notes", written.TupletActual);
                AppendIntElement(Out, "normal-notes", written.TupletNormal);
                Out += "</time-modification>";
            }
            if (out.String != 0) {
                if (out.Fret == CItemNote::Muted || note->HeadKind == CItemNote::Head::Cross)
                    Out += "<notehead>x</notehead>";
                else if (note->HeadKind == CItemNote::Head::Slash)
                    Out += "<notehead>slash</notehead>";
            }
            if (i == 0)
                Out += Beams;
            const bool technical = out.String != 0 || !out.Technical.empty();
            if (technical || !out.Notations.empty() || !out.Ornaments.empty()) {
                Out += "<notations>";
                Out += out.Notations;
                if (!out.Ornaments.empty())
                    ((Out += "<ornaments>") += out.Ornaments) += "</ornaments>";
                if (technical) {
                    Out += "<technical>";
                    if (out.String != 0) {
                        AppendIntElement(Out, "string", out.String);
                        AppendIntElement(Out, "fret", std::max(out.Fret, 0));
                    }
                    Out += out.Technical;
                    Out += "</technical>";
                }
                Out += "</notations>";
            }
            Out += "</note>";
        }
        Out += '\n';
    }

    const CScore& Score;
    const CPerformance& Perf;
    const TextDecoder& Decode;
    const std::vector<std::unique_ptr<CScoreItem>>& Items;
    std::string Out;
    int64_t Divisions = 1;
    std::vector<ItemKind> Kinds;     // per item
    std::vector<int64_t> Durations;  // per item, in divisions; 0 for items that take no time
    std::vector<CMeasure> Measures;
    std::vector<CNoteOut> Notes;     // the column being written: the first NoteCount
    std::size_t NoteCount = 0;
    std::string Beams;       // of the column being written
    std::string Directions;  // to come before the column's notes
    std::vector<std::pair<const CScoreItem*, std::size_t>> ItemIndex;  // sorted by item
    std::vector<std::size_t> PrevColumn;  // per item: the last column at or before it
    std::vector<std::size_t> NextColumn;  // per item: the first column at or after it
    std::array<COpenBeam, MaxBeamLevel + 1> OpenBeams{};
    std::vector<CVibratoEnd> Vibratos;  // by column
    std::size_t NextVibrato = 0;
    CNumbers Slurs, Slides, Wavy, Tuplets;
    const CRepeatNum* OpenEnding = nullptr;
    std::string OpenEndingNumber;
    int32_t TimeNumerator = 4;
    int32_t TimeDenominator = 4;
    int64_t NumberBase = 1;  // 0 when the first measure is a pickup
    std::size_t PreviousLine = CScoreGeometry::NoLine;
    int32_t PreviousPage = 0;
};
}  // namespace

std::optional<std::string> MusicXmlBytes(const CScore& score, const CPerformance& performance,
                                         const TextDecoder& decode)
{
    return CMusicXmlWriter(score, performance, decode).Write();
}
