#include "model/Reader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>

#include "model/Score.h"
#include "settings/Ascii.h"
#include "settings/Directives.h"
#include "settings/Units.h"
#include "symbols/Items.h"
#include "symbols/Marks.h"

namespace
{
bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
char At(std::string_view text, std::size_t i) { return i < text.size() ? text[i] : '\0'; }

// A new item or mark in the score's arena.
template <class Object, class... Args>
std::unique_ptr<Object> Make(CScore& score, Args... args)
{
    std::unique_ptr<Object> object(new (score.Arena) Object(&score, args...));
    object->ArenaTag.InArena = true;
    return object;
}

constexpr char CtrlZ = '\x1A';


// "'text'", built by appending: GCC 12 at -O2 and above warns falsely (-Wrestrict) about
// "'" + std::string(...).
std::string Quote(std::string_view text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '\'';
    quoted += text;
    quoted += '\'';
    return quoted;
}

// Columns of positions on one line taken from left to right, each counted on from where
// the last one stopped, so that many positions on one long line cost no more than the
// line. Counts as CountCharacters does.
class CColumnCursor
{
public:
    explicit CColumnCursor(TextEncoding encoding) : Encoding(encoding) {}

    // The 1-based column just after `before`, a prefix of a line.
    int Column(std::string_view before)
    {
        if (before.data() != Start || before.size() < Done) {
            Start = before.data();
            Done = 0;
            Count = 0;
        }
        while (Done < before.size()) {
            const auto c = static_cast<unsigned char>(before[Done]);
            const bool pair = Encoding == TextEncoding::Cp932 && IsCp932Lead(c);
            if (pair && Done + 1 == before.size())
                return Count + 2;  // a lead byte at the end counts alone; a longer prefix pairs it
            Done += pair ? 2 : 1;
            Count += Encoding == TextEncoding::Cp932 || (c & 0xC0) != 0x80;
        }
        return Count + 1;
    }

private:
    TextEncoding Encoding;
    const char* Start = nullptr;
    std::size_t Done = 0;
    int Count = 0;
};
// The offset of the first byte that is not UTF-8, or npos; `multiByte` tells whether a
// well-formed sequence of more than one byte comes before it, the sign of text meant as
// UTF-8 rather than code page 932.
std::size_t FirstNonUtf8(std::string_view text, bool& multiByte)
{
    multiByte = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        int more = 0;
        unsigned char lower = 0x80;
        unsigned char upper = 0xBF;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            lower = c == 0xE0 ? 0xA0 : 0x80;
            upper = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            lower = c == 0xF0 ? 0x90 : 0x80;
            upper = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return i;
        }
        for (int k = 1; k <= more; ++k) {
            const auto t = static_cast<unsigned char>(At(text, i + static_cast<std::size_t>(k)));
            if (t < (k == 1 ? lower : 0x80) || t > (k == 1 ? upper : 0xBF))
                return i;
        }
        multiByte = true;
        i += static_cast<std::size_t>(more) + 1;
    }
    return std::string_view::npos;
}

bool AllWhite(std::string_view text) { return std::all_of(text.begin(), text.end(), IsWhite); }

std::string Plural(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

// How a directive's value is converted, for the checks of "plekto check"; known keys only.
enum class ValueKind
{
    Text,
    Flag,
    Count,
    Real,
};
ValueKind KindOfKey(std::string_view key)
{
    if (key.starts_with("FontName"))
        return ValueKind::Text;
    if (key == "ShowTAB")
        return ValueKind::Flag;
    if (key.starts_with("FontSize") || key == "Strings" || key == "UnitsForTAB")
        return ValueKind::Count;
    return ValueKind::Real;
}

std::string NumberText(double value)
{
    std::string text = std::to_string(value);
    while (text.find('.') != std::string::npos && (text.back() == '0' || text.back() == '.')) {
        const bool point = text.back() == '.';
        text.pop_back();
        if (point)
            break;
    }
    return text;
}
}  // namespace

std::string CReadResult::Reason() const
{
    switch (Error) {
    case ReadError::None:
        return {};
    case ReadError::TooLarge:
    {
        std::string reason = "larger than ";
        reason += std::to_string(MaxScoreBytes / (1024 * 1024));
        reason += " MB";
        return reason;
    }
    case ReadError::CannotOpen:
    case ReadError::ReadFailed:
        break;
    }
    return std::strerror(SystemError);
}

CReadResult ReadScoreBytes(std::istream& in, std::string& bytes, std::size_t sizeHint)
{
    // Read in pieces up to one byte past the limit: a size the system reports cannot be
    // trusted (pipes, /dev/zero, a file still growing). It only sizes the buffer, one
    // byte more than the hint so that the end is seen without growing it.
    constexpr std::size_t Piece = 1 << 16;
    bytes.clear();
    if (sizeHint > 0)
        bytes.reserve(std::min(sizeHint, MaxScoreBytes) + 1);
    while (in && bytes.size() <= MaxScoreBytes) {
        const std::size_t had = bytes.size();
        std::size_t want = std::min(Piece, MaxScoreBytes + 1 - had);
        if (had == bytes.capacity()) {
            // Doubling, but straight to the limit's one byte more once that is near, so
            // that an oversize stream never holds two buffers of the limit's size.
            std::size_t capacity = std::max(2 * bytes.capacity(), had + want);
            if (capacity >= MaxScoreBytes)
                capacity = MaxScoreBytes + 1;
            bytes.reserve(capacity);
        }
        want = std::min(want, bytes.capacity() - had);
        bytes.resize(had + want);
        errno = 0;
        in.read(bytes.data() + had, static_cast<std::streamsize>(want));
        if (in.bad()) {
            const int error = errno ? errno : EIO;
            bytes.clear();
            return {ReadError::ReadFailed, error};
        }
        bytes.resize(had + static_cast<std::size_t>(in.gcount()));
    }
    if (bytes.size() > MaxScoreBytes) {
        bytes.clear();
        bytes.shrink_to_fit();
        return {ReadError::TooLarge};
    }
    return {};
}

CReadResult ReadScoreBytes(const std::string& path, std::string& bytes)
{
    bytes.clear();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return {ReadError::CannotOpen, EISDIR};
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {ReadError::CannotOpen, errno ? errno : ENOENT};
    const auto size = std::filesystem::is_regular_file(path, ec) ? std::filesystem::file_size(path, ec) : 0;
    return ReadScoreBytes(in, bytes, ec ? 0 : static_cast<std::size_t>(std::min<std::uintmax_t>(size, MaxScoreBytes)));
}

CReadResult ReadScoreText(std::string_view text, CScore& score, std::vector<CDiagnostic>* diagnostics)
{
    CScoreReader reader(score);
    reader.Diagnostics = diagnostics;
    return reader.Read(text);
}

CReadResult ReadScoreStream(std::istream& in, CScore& score, std::vector<CDiagnostic>* diagnostics)
{
    std::string bytes;
    const CReadResult result = ReadScoreBytes(in, bytes);
    return result ? ReadScoreText(bytes, score, diagnostics) : result;
}

CReadResult ReadScoreFile(const std::string& path, CScore& score, std::vector<CDiagnostic>* diagnostics)
{
    std::string bytes;
    const CReadResult result = ReadScoreBytes(path, bytes);
    return result ? ReadScoreText(bytes, score, diagnostics) : result;
}

bool ReadSmallNumber(std::string_view& cursor, int& value)
{
    if (cursor.empty() || !IsDigit(cursor[0]))
        return false;
    int v = cursor[0] - '0';
    std::size_t used = 1;
    if (cursor.size() > 1 && IsDigit(cursor[1])) {
        v = v * 10 + (cursor[1] - '0');
        used = 2;
    }
    cursor.remove_prefix(used);
    value = v;
    return true;
}

CScoreReader::CScoreReader(CScore& score)
    : Score(score), DirectiveTable(std::make_unique<CDirectiveTable>(score.Settings))
{
}

CScoreReader::~CScoreReader() { Finish(); }

CReadResult CScoreReader::Read(std::istream& in)
{
    std::string bytes;
    const CReadResult result = ReadScoreBytes(in, bytes);
    return result ? Read(bytes) : result;
}

CReadResult CScoreReader::Read(std::string_view text)
{
    if (text.size() > MaxScoreBytes)
        return {ReadError::TooLarge};
    const bool bom = text.starts_with(Utf8Bom);
    if (bom)
        text.remove_prefix(Utf8Bom.size());
    const std::size_t ctrlZ = text.find(CtrlZ);
    if (Diagnostics) {
        TextStart = text.data();
        CheckFile(text, ctrlZ, bom);
    }
    text = text.substr(0, ctrlZ);
    // The whole text at once, line feeds included: a sequence broken by a line feed is
    // not UTF-8.
    CUtf8Validator utf8;
    utf8.Feed(text);
    while (!text.empty()) {
        const std::size_t feed = text.find('\n');
        ++LineNumber;
        // A carriage return before the line feed goes with the trailing white space.
        DispatchLine(text.substr(0, feed));
        text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
    }
    Score.Encoding = bom || utf8.Valid() ? TextEncoding::Utf8 : TextEncoding::Cp932;
    Finish();
    if (!Diagnostics)
        return {};
    // Columns need the encoding, which is known only now that the whole text is read.
    std::stable_sort(Found.begin(), Found.end(), [](const CPending& a, const CPending& b) {
        return a.Where.Line != b.Where.Line ? a.Where.Line < b.Where.Line : a.Where.Before.size() < b.Where.Before.size();
    });
    CColumnCursor columns(Score.Encoding);
    for (CPending& found : Found) {
        const int column = columns.Column(found.Where.Before);
        const int end = column + std::max(1, CountCharacters(found.Where.Covered, Score.Encoding));
        Diagnostics->push_back(
            {found.IsError, found.Where.Line, column, std::move(found.Message), found.Code, end});
    }
    Found.clear();
    OpenedAt.clear();
    return {};
}

bool CScoreReader::DispatchLine(std::string_view line)
{
    const std::size_t zero = line.find('\0');
    if (Diagnostics && zero != std::string_view::npos && !AllWhite(line.substr(zero + 1))) {
        const std::string_view after = line.substr(zero + 1);
        Report(false, {LineNumber, line.substr(0, zero), line.substr(zero)}, "zero-byte",
               "a zero byte ends the line here: the " + Plural(after.size(), "byte", "bytes") +
                   " after it were ignored");
    }
    line = line.substr(0, zero);
    std::size_t end = line.size();
    while (end > 0 && IsWhite(line[end - 1]))
        --end;

    const std::string_view text = line.substr(0, end);
    if (Diagnostics) {
        LineText = text;
        const std::size_t cr = text.find('\r');
        if (cr != std::string_view::npos && !CarriageReturnReported) {
            CarriageReturnReported = true;
            Report(false, {LineNumber, text.substr(0, cr), text.substr(cr, 1)}, "cr-line-ends",
                   "a carriage return alone does not end a line: the text after it was read as part of line " +
                       std::to_string(LineNumber));
        }
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '/' && text[i] != '\n')
            continue;
        if (i > start) {
            const std::string_view token = text.substr(start, i - start);
            if (Diagnostics) {
                Token = token;
                Reason = nullptr;
                Code = nullptr;
                Quoted = {};
            }
            if (!DispatchToken(token)) {
                if (Diagnostics)
                    ReportRefusal(text.substr(i));
                return false;
            }
        }
        start = i + 1;
    }
    return true;
}

bool CScoreReader::DispatchToken(std::string_view token)
{
    if (token.empty())
        return true;
    const char second = At(token, 1);
    switch (token[0]) {
    case ' ':
        OnSpaceToken(token.substr(1));
        return true;
    case '$':
        return ApplyDirective(token.substr(1));
    case '-':
        return OnTimeToken(token.substr(1));
    case '3':
        if (second == 's')
            return OnTripletStart(token.substr(2));
        if (second == 'e')
            return OnTripletEnd();
        return Refuse("not-a-token", "is not a token: '3' must be followed by 's' or 'e'");
    case '[':
        if (second == 's')
            return OnRepeatNumStart(token.substr(2));
        if (second == 'e')
            return OnRepeatNumEnd();
        return Refuse("not-a-token", "is not a token: '[' must be followed by 's' or 'e'");
    case '_':
        if (second == 's')
            return OnTieStart(token.substr(2));
        if (second == 'e')
            return OnTieEnd();
        return Refuse("not-a-token", "is not a token: '_' must be followed by 's' or 'e'");
    case 'c':
        // A "c" that does not begin "ch" selects nothing and is ignored, like any other
        // token whose first character selects no handler.
        if (second == 'h')
            return OnChordToken(token.substr(2));
        Ignored(token);
        return true;
    case 'f':
        if (second == 's')
            return OnFlagsStart(token.substr(2));
        if (second == 'e')
            return OnFlagsEnd();
        return Refuse("not-a-token", "is not a token: 'f' must be followed by 's' or 'e'");
    case 'n':
        return OnNoteToken(token.substr(1));
    case 'r':
        return OnRestToken(token.substr(1));
    case 't':
        return OnTitleToken(token.substr(1));
    case 'v':
        // Likewise a "v" that does not begin "vb" is ignored; "vb" itself needs "s" or "e".
        if (second != 'b') {
            Ignored(token);
            return true;
        }
        if (At(token, 2) == 's')
            return OnVibratoStart(token.substr(3));
        if (At(token, 2) == 'e')
            return OnVibratoEnd();
        return Refuse("not-a-token", "is not a token: 'vb' must be followed by 's' or 'e'");
    case '|': {
        const bool read = OnRepeatBarToken(token.substr(1)) || OnBarToken();
        if (read && Diagnostics)
            CheckBar(token.substr(1));
        return read;
    }
    default:
        Ignored(token);
        return true;
    }
}

void CScoreReader::Ignored(std::string_view token)
{
    if (Diagnostics && token[0] == '\t')
        Warn("tab-in-token", Quote(token) + " was ignored: a tab does not separate tokens, '/' does");
    else if (Diagnostics)
        Warn("unknown-token", Quote(token) + " was ignored: its first character selects no token");
}

CScoreReader::CPosition CScoreReader::Here() const
{
    const std::size_t offset = Token.empty() ? 0 : static_cast<std::size_t>(Token.data() - LineText.data());
    return {LineNumber, LineText.substr(0, offset), Token};
}

CScoreReader::CPosition CScoreReader::PartOfLine(std::string_view part) const
{
    return {LineNumber, LineText.substr(0, static_cast<std::size_t>(part.data() - LineText.data())), part};
}

void CScoreReader::Report(bool isError, CPosition where, const char* code, std::string message)
{
    Found.push_back({isError, std::move(where), code, std::move(message)});
}

void CScoreReader::WarnIgnored(std::string_view rest, std::string_view why, const char* code)
{
    if (rest.empty())
        return;
    std::string message;
    if (rest.find('\t') != std::string_view::npos) {
        code = "tab-in-token";
        message = "a tab does not separate tokens, '/' does";
    } else {
        message = why;
    }
    message += ": ";
    message += Quote(rest);
    message += " was ignored";
    WarnAt(rest, code, std::move(message));
}

void CScoreReader::ReportRefusal(std::string_view rest)
{
    std::size_t skipped = 0;
    bool inToken = false;
    for (char c : rest) {
        const bool separator = c == '/' || c == '\n';
        if (!separator && !inToken)
            ++skipped;
        inToken = !separator;
    }
    std::string message = Quote(Quoted.empty() ? Token : Quoted);
    message += ' ';
    message += Reason ? Reason : "was refused";
    CPosition where = Here();
    if (!Quoted.empty())
        where.Covered = Quoted;
    if (skipped > 0) {
        message += "; the rest of the line, ";
        message += std::to_string(skipped);
        message += skipped == 1 ? " token, was skipped" : " tokens, was skipped";
    }
    Report(true, where, Code ? Code : "refused", std::move(message));
}

void CScoreReader::RememberOpening(const void* mark)
{
    if (Diagnostics)
        OpenedAt[mark] = Here();
}

void CScoreReader::ReportUnclosed(const void* mark, const char* code, const char* what)
{
    if (!Diagnostics)
        return;
    auto it = OpenedAt.find(mark);
    if (it != OpenedAt.end())
        Report(false, it->second, code, std::string(what) + " is never closed and was dropped");
}

int CountCharacters(std::string_view bytes, TextEncoding encoding)
{
    int count = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (encoding == TextEncoding::Utf8) {
            count += (c & 0xC0) != 0x80;
        } else {
            ++count;
            if (IsCp932Lead(c) && i + 1 < bytes.size())
                ++i;
        }
    }
    return count;
}

void CScoreReader::Finish()
{
    DiscardPendingMarks(PendingTriplets, "unclosed-tuplet", "the tuplet");
    DiscardPendingMarks(PendingFlags, "unclosed-beam", "the beam");
    DiscardPendingMarks(PendingTies, "unclosed-tie", "the tie");
    DiscardPendingMarks(PendingVibratos, "unclosed-vibrato", "the vibrato");
    DiscardPendingMarks(PendingRepeatNums, "unclosed-repeat-ending", "the repeat ending");
    CurrentItem = nullptr;
    StringCountLocked = false;
}

template <class Mark>
void CScoreReader::DiscardPendingMarks(std::vector<std::unique_ptr<Mark>>& stack, const char* code, const char* what)
{
    while (!stack.empty()) {
        Mark* mark = stack.back().get();
        ReportUnclosed(mark, code, what);
        if (mark->StartItem)
            mark->StartItem->DetachMark(mark);
        stack.pop_back();
    }
}

void CScoreReader::AppendItem(std::unique_ptr<CScoreItem> item, bool becomesCurrent)
{
    CScoreItem* raw = item.get();
    if (Diagnostics)
        Score.ItemOffsets.push_back(static_cast<uint32_t>(Token.data() - TextStart));
    Score.AddUnitItem(std::move(item));
    if (becomesCurrent) {
        CurrentItem = raw;
        StringCountLocked = true;
    }
}

// ---- Unit item tokens ----

void CScoreReader::OnSpaceToken(std::string_view arg)
{
    if (Diagnostics && !AllWhite(arg))
        WarnIgnored(arg, "a token that begins with a space is an empty column", "space-token");
    AppendItem(Make<CItemSpace>(Score, 1), true);
}

bool CScoreReader::OnNoteToken(std::string_view arg)
{
    auto note = Make<CItemNote>(Score, 1);
    int length = 0;
    const std::string_view withLength = arg;
    if (!ReadSmallNumber(arg, length))
        return Refuse("no-length", "has no length");
    note->Length = length;
    if (At(arg, 0) == '.') {
        note->Dotted = true;
        arg.remove_prefix(1);
    }
    switch (At(arg, 0)) {
    case 'n':
        note->FlagKind = CItemNote::Flag::None;
        break;
    case 's':
        note->FlagKind = CItemNote::Flag::Single;
        break;
    case 'c':
        note->FlagKind = CItemNote::Flag::Connected;
        break;
    default:
        return Refuse("no-flag-letter", arg.empty() ? "has no flag letter" : "has no flag letter (n, s or c) after its length");
    }
    switch (At(arg, 1)) {
    case 'n':
        note->HeadKind = CItemNote::Head::Numbers;
        break;
    case 'c':
        note->HeadKind = CItemNote::Head::Cross;
        break;
    case 's':
        note->HeadKind = CItemNote::Head::Slash;
        break;
    default:
        return Refuse("no-head-letter", arg.size() < 2 ? "has no head letter" : "has no head letter (n, c or s) after its flag letter");
    }
    const int32_t stop = note->SetFrets(arg.substr(2));
    if (stop && Diagnostics) {
        std::string message = Quote(Token);
        message += ": the fret list stops at the piece for string ";
        message += std::to_string(stop);
        message += ", which is not a fret, x or -; the strings from there on stay empty";
        Warn("bad-fret", std::move(message));
    }
    if (Diagnostics) {
        CheckLength(withLength.substr(0, withLength.size() - arg.size() - (note->Dotted ? 1 : 0)), length, true);
        CheckFrets(arg.substr(2), stop);
    }
    AppendItem(std::move(note), true);
    return true;
}

bool CScoreReader::OnRestToken(std::string_view arg)
{
    auto rest = Make<CItemRest>(Score, 1);
    int length = 0;
    const std::string_view withLength = arg;
    if (!ReadSmallNumber(arg, length))
        return Refuse("no-length", "has no length");
    rest->Length = length;
    rest->Dotted = At(arg, 0) == '.';
    if (Diagnostics) {
        CheckLength(withLength.substr(0, withLength.size() - arg.size()), length, false);
        WarnIgnored(arg.substr(rest->Dotted ? 1 : 0), "a rest is 'r', its length and an optional '.'");
    }
    AppendItem(std::move(rest), true);
    return true;
}

bool CScoreReader::OnTimeToken(std::string_view arg)
{
    auto time = Make<CItemMusicalTime>(Score, 1);
    int numerator = 0;
    int denominator = 0;
    if (!ReadSmallNumber(arg, numerator))
        return Refuse("no-numerator", "has no numerator");
    if (At(arg, 0) != ',')
        return Refuse("no-comma", "needs a comma between numerator and denominator");
    arg.remove_prefix(1);
    if (!ReadSmallNumber(arg, denominator))
        return Refuse("no-denominator", "has no denominator");
    time->Numerator = numerator;
    time->Denominator = denominator;
    if (Diagnostics && (numerator == 0 || denominator == 0))
        Warn("zero-time", Quote(Token) + " has a 0: the time signature is drawn as written but counts nothing");
    if (Diagnostics)
        WarnIgnored(arg, "a time signature is '-', a number, ',' and a number");
    AppendItem(std::move(time), true);
    return true;
}

bool CScoreReader::OnRepeatBarToken(std::string_view arg)
{
    if (At(arg, 0) != ':')
        return false;
    auto bar = Make<CItemRepeatBar>(Score, 1);
    bar->Side = At(arg, 1) == 'e' ? CItemRepeatBar::RepeatSide::Close : CItemRepeatBar::RepeatSide::Open;
    AppendItem(std::move(bar), false);  // never the current item
    return true;
}

bool CScoreReader::OnBarToken()
{
    if (!CurrentItem)
        return Refuse("no-item-before", "has no item before it");
    CurrentItem->BarAfter = true;
    return true;
}

// ---- Span mark tokens ----

bool CScoreReader::OnTripletStart(std::string_view arg)
{
    if (!CurrentItem)
        return Refuse("no-item-before", "needs an item before it");
    auto mark = Make<CTripletMark>(Score);
    int number = 3;
    ReadSmallNumber(arg, number);
    mark->SetLevel(number);
    mark->SetBracket(At(arg, 0) == '[');
    if (Diagnostics)
        WarnIgnored(arg.substr(mark->GetBracket() ? 1 : 0), "a tuplet opens with '3s', a number and an optional '['");
    Open(std::move(mark), PendingTriplets);
    return true;
}

bool CScoreReader::OnFlagsStart(std::string_view arg)
{
    if (!dynamic_cast<CItemNote*>(CurrentItem))
        return Refuse("no-note-before", "needs a note before it");
    auto mark = Make<CConnectedNoteFlag>(Score);
    int number = 0;
    if (!ReadSmallNumber(arg, number))
        return Refuse("no-beam-value", "needs a note value for its beam, such as 8 or 16");
    mark->SetLevel(number < 8 ? 0 : number < 16 ? 1 : number < 32 ? 2 : number < 64 ? 3 : 4);
    mark->SetSide(At(arg, 0) == '<' ? 'L' : 'R');
    if (Diagnostics)
        WarnIgnored(arg.substr(At(arg, 0) == '<' ? 1 : 0), "a beam opens with 'fs', a note value and an optional '<'");
    Open(std::move(mark), PendingFlags);
    return true;
}

bool CScoreReader::OnTieStart(std::string_view arg)
{
    if (!CurrentItem)
        return Refuse("no-item-before", "needs an item before it");
    auto mark = Make<CTie>(Score);
    std::size_t digit = 0;
    while (digit < arg.size() && !IsDigit(arg[digit]))
        ++digit;
    mark->SetText(std::string(arg.substr(0, digit)));
    if (digit < arg.size())
        mark->SetLevel(arg[digit] - '0');
    if (Diagnostics) {
        const int32_t strings = Score.Settings.Strings;
        if (digit == arg.size()) {
            Warn("tie-without-string", Quote(Token) + " names no string: the tie is drawn on string 1");
        } else if (const int level = arg[digit] - '0'; level < 1 || level > strings) {
            WarnAt(arg.substr(digit, 1), "tie-string-out-of-range",
                   "there is no string " + std::to_string(level) + " (the staff has " + std::to_string(strings) +
                       "): the tie is drawn on string " + std::to_string(strings));
        }
        if (digit < arg.size())
            WarnIgnored(arg.substr(digit + 1), "a tie names its string with one digit");
    }
    Open(std::move(mark), PendingTies);
    return true;
}

bool CScoreReader::OnVibratoStart(std::string_view arg)
{
    if (!CurrentItem)
        return Refuse("no-item-before", "needs an item before it");
    auto mark = Make<CVibrato>(Score);
    if (IsDigit(At(arg, 0)))
        mark->SetLevel(arg[0] - '0');
    if (Diagnostics && IsDigit(At(arg, 0))) {
        const int32_t strings = Score.Settings.Strings;
        const int level = arg[0] - '0';
        if (level == 0 || level > strings)
            WarnAt(arg.substr(0, 1), "vibrato-string-out-of-range",
                   "there is no string " + std::to_string(level) + " (the staff has " + std::to_string(strings) +
                       (level == 0 ? "): the vibrato is drawn on string " + std::to_string(strings)
                                   : std::string("): the vibrato is drawn below the staff")));
    }
    if (Diagnostics)
        WarnIgnored(arg.substr(IsDigit(At(arg, 0)) ? 1 : 0), "a vibrato names its string with one digit");
    Open(std::move(mark), PendingVibratos);
    return true;
}

bool CScoreReader::OnRepeatNumStart(std::string_view arg)
{
    if (!CurrentItem)
        return Refuse("no-item-before", "needs an item before it");
    auto mark = Make<CRepeatNum>(Score);
    mark->Text = std::string(arg);
    Open(std::move(mark), PendingRepeatNums);
    return true;
}

template <class Mark>
void CScoreReader::Open(std::unique_ptr<Mark> mark, std::vector<std::unique_ptr<Mark>>& stack)
{
    mark->StartItem = CurrentItem;
    CurrentItem->AttachMark(mark.get());
    RememberOpening(mark.get());
    stack.push_back(std::move(mark));
}

template <class Mark>
bool CScoreReader::CloseMark(std::vector<std::unique_ptr<Mark>>& stack)
{
    if (stack.empty() || !CurrentItem)
        return false;
    std::unique_ptr<Mark> mark = std::move(stack.back());
    stack.pop_back();
    if (Diagnostics)
        OpenedAt.erase(mark.get());  // only open marks are looked up again
    mark->EndItem = CurrentItem;
    CurrentItem->AttachMark(mark.get());
    Score.AddSpanMark(std::move(mark));
    return true;
}

bool CScoreReader::OnTripletEnd() { return CloseMark(PendingTriplets) || Refuse("close-without-open", "closes no open tuplet"); }
bool CScoreReader::OnTieEnd() { return CloseMark(PendingTies) || Refuse("close-without-open", "closes no open tie"); }
bool CScoreReader::OnVibratoEnd() { return CloseMark(PendingVibratos) || Refuse("close-without-open", "closes no open vibrato"); }
bool CScoreReader::OnRepeatNumEnd() { return CloseMark(PendingRepeatNums) || Refuse("close-without-open", "closes no open repeat ending"); }

bool CScoreReader::OnFlagsEnd()
{
    if (PendingFlags.empty())
        return Refuse("close-without-open", "closes no open beam");
    // After a rest the beam stays open for a later "fe".
    if (!dynamic_cast<CItemNote*>(CurrentItem))
        return Refuse("no-note-before", "needs a note before it; the beam stays open");
    return CloseMark(PendingFlags);
}

bool CScoreReader::OnChordToken(std::string_view arg)
{
    if (!CurrentItem)
        return Refuse("no-item-before", "needs an item before it");
    auto mark = Make<CChordMark>(Score);
    if (At(arg, 0) == '[') {
        mark->Framed = true;
        arg.remove_prefix(1);
    }
    mark->Text = std::string(arg);
    if (Diagnostics && arg.empty())
        Warn("empty-chord", Quote(Token) + " has no chord name: an empty one is drawn");
    mark->StartItem = CurrentItem;
    mark->EndItem = CurrentItem;
    CurrentItem->AttachMark(mark.get());
    Score.AddSpanMark(std::move(mark));
    return true;
}

// ---- Title and settings tokens ----

bool CScoreReader::OnTitleToken(std::string_view arg)
{
    // Every title token creates the block, even one that is then refused.
    if (!Score.TitleBlock)
        Score.TitleBlock = std::make_unique<CTitleBlock>(&Score);
    CTitleBlock& block = *Score.TitleBlock;
    if (At(arg, 0) == 'm') {
        block.MainTitle = std::string(arg.substr(1));
        if (Diagnostics)
            CheckTitle(20);
        return true;
    }
    if (At(arg, 0) != 's')
        return Refuse("bad-title", "is not a title token: 'tm' or 'ts' must begin it");
    const char side = At(arg, 1);
    const char end = At(arg, 2);
    const char digit = At(arg, 3);
    if (side != 'l' && side != 'r')
        return Refuse("bad-title", "needs the side l or r after 'ts'");
    if (end != 't' && end != 'b')
        return Refuse("bad-title", "needs the end t or b after its side");
    if (digit < '1' || digit > '5')
        return Refuse("bad-title", "needs a line place from 1 to 5");
    CTitleBlock::LinePlaces& group = side == 'l' ? (end == 't' ? block.LeftTopLines : block.LeftBottomLines)
                                                 : (end == 't' ? block.RightTopLines : block.RightBottomLines);
    group[static_cast<std::size_t>(digit - '1')] = std::string(arg.substr(4));
    if (Diagnostics)
        CheckTitle(static_cast<std::size_t>((side == 'l' ? 0 : 10) + (end == 't' ? 0 : 5) + (digit - '1')));
    return true;
}

bool CScoreReader::ApplyDirective(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return Refuse("no-colon", "has no ':' between key and value");
    const std::string_view key = text.substr(0, colon);
    const std::string_view value = text.substr(colon + 1);
    if (Diagnostics)
        Quoted = Token.substr(0, colon + 1);
    if (key == "Strings") {
        // Once per file, before the first unit item; a count no note could hold is refused.
        if (StringCountLocked)
            return Refuse("strings-too-late", "comes after the first item or after another '$Strings'");
        if (ToCountValue(value) > MaxStrings)
            return Refuse("too-many-strings", "is more than 64");
        StringCountLocked = true;
    }
    if (IsPlayingKey(key)) {
        // A bad value is skipped on its own: the setting keeps its value, the line goes on.
        const auto bad = ApplyPlayingDirective(Score.Settings.Playing, Score.Settings.Strings, key, value);
        if (bad && Diagnostics) {
            std::string message = value.empty() ? std::string("no value") : Quote(bad->Part);
            message += ' ';
            message += bad->Reason;
            message += ": '$";
            message += key;
            message += "' was ignored";
            WarnAt(value.empty() ? Token : value.substr(bad->Offset), "bad-playing-value", std::move(message));
        }
        return true;
    }
    // A key outside the table is skipped on its own; the rest of the line still counts.
    const bool known = DirectiveTable->Apply(key, value);
    if (!known && Diagnostics)
        Warn("unknown-setting", Quote(Quoted) + " is not a setting and was ignored");
    else if (Diagnostics)
        CheckDirective(key, value);
    return true;
}

// ---- Checks for "plekto check": what was read differently from what was probably meant ----

void CScoreReader::CheckFile(std::string_view text, std::size_t ctrlZ, bool bom)
{
    // Positions outside the line being read: the line and the bytes before on it.
    const auto positionOf = [text](std::size_t offset, std::size_t length) {
        const std::string_view before = text.substr(0, offset);
        const std::size_t lineStart = before.rfind('\n') + 1;  // npos + 1 == 0
        const int line = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
        return CPosition{line, text.substr(lineStart, offset - lineStart), text.substr(offset, length)};
    };
    if (ctrlZ != std::string_view::npos && !AllWhite(text.substr(ctrlZ + 1))) {
        const std::size_t after = text.size() - ctrlZ - 1;
        Report(false, positionOf(ctrlZ, 1), "ctrl-z",
               "a Ctrl-Z byte ends the file here: the " + Plural(after, "byte", "bytes") + " after it were ignored");
    }
    if (bom)
        return;
    bool multiByte = false;
    const std::size_t bad = FirstNonUtf8(text.substr(0, ctrlZ), multiByte);
    if (bad == std::string_view::npos || !multiByte)
        return;
    static const char Hex[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(text[bad]);
    std::string message = "byte 0x";
    message += Hex[byte >> 4];
    message += Hex[byte & 15];
    message += " is not UTF-8, so the whole file is read as code page 932 (Shift_JIS): if it was meant as UTF-8, "
               "its titles and chord names show garbled";
    Report(false, positionOf(bad, 1), "not-utf8", std::move(message));
}

void CScoreReader::CheckLength(std::string_view digits, int length, bool isNote)
{
    if (length == 1 || length == 2 || length == 4 || length == 8 || length == 16 || length == 32)
        return;
    std::string message = isNote ? "note length " : "rest length ";
    message += std::to_string(length);
    message += isNote ? " is not 1, 2, 4, 8, 16 or 32: the note is drawn without a flag"
                      : " is not 1, 2, 4, 8, 16 or 32: nothing is drawn for the rest";
    WarnAt(digits, "bad-length", std::move(message));
}

void CScoreReader::CheckFrets(std::string_view text, int32_t stop)
{
    // The same pieces as CItemNote::SetFrets takes.
    const int32_t strings = Score.Settings.Strings;
    bool textLeft = true;
    for (int32_t s = 1; s <= strings && textLeft; ++s) {
        const std::size_t dot = text.find('.');
        const std::string_view piece = text.substr(0, dot);
        textLeft = dot != std::string_view::npos;
        text.remove_prefix(textLeft ? dot + 1 : text.size());
        if (s == stop)
            return;  // reported as a cut-short list
        if (piece.size() < 2)
            continue;
        const bool twoDigits = IsDigit(piece[0]) && IsDigit(piece[1]);
        const std::string_view rest = piece.substr(twoDigits ? 2 : 1);
        if (rest.empty())
            continue;
        const std::string string = std::to_string(s);
        if (IsDigit(piece[0]) && IsDigit(rest[0]))
            WarnIgnored(rest, "a fret has at most two digits: string " + string + " shows fret " +
                                  std::string(piece.substr(0, 2)));
        else if (rest[0] == ',' || rest[0] == ' ')
            WarnIgnored(rest, "frets are separated by '.'");
        else if (IsDigit(piece[0]))
            WarnIgnored(rest, "string " + string + " shows fret " + std::string(piece.substr(0, twoDigits ? 2 : 1)));
        else if (piece[0] == '-')
            WarnIgnored(rest, "string " + string + " has no note ('-')");
        else
            WarnIgnored(rest, "string " + string + " is muted ('x')");
    }
    if (textLeft && !stop && !text.empty())
        WarnAt(text, "extra-frets",
               "more frets than strings: the staff has " + Plural(static_cast<std::size_t>(std::max(strings, 0)),
                                                                  "string", "strings") +
                   ", so " + Quote(text) + " was dropped");
}

void CScoreReader::CheckBar(std::string_view arg)
{
    const std::size_t used = At(arg, 0) != ':' ? 0 : At(arg, 1) == 'e' ? 2 : 1;
    WarnIgnored(arg.substr(used), "a bar is '|', '|:' or '|:e'", "bad-bar");
}

void CScoreReader::CheckTitle(std::size_t slot)
{
    const uint32_t bit = uint32_t{1} << slot;
    if (TitlesSeen & bit)
        Warn("replaced-title", slot == 20 ? "a second main title: it replaces the earlier one"
                                          : "a second title line for this corner and place: it replaces the earlier one");
    TitlesSeen |= bit;
}

void CScoreReader::CheckDirective(std::string_view key, std::string_view value)
{
    const ValueKind kind = KindOfKey(key);
    if (kind == ValueKind::Text)
        return;
    const std::string_view valueText = value;  // a view into the token
    const std::string_view whole = value.empty() ? Token : value;
    if (kind == ValueKind::Flag) {
        const char first = At(value, 0);
        if (first != 'Y' && first != 'y' && first != 'N' && first != 'n')
            WarnAt(whole, "not-a-flag",
                   (value.empty() ? std::string("no value") : Quote(value)) +
                       " is neither yes nor no: read as no (only a value beginning with Y or y means yes)");
        return;
    }
    std::size_t understood = 0;
    double number = 0.0;
    if (kind == ValueKind::Count)
        number = ToCountValue(value, &understood);
    else
        number = ToRealValue(value, &understood);
    if (understood == 0) {
        WarnAt(whole, "not-a-number",
               (value.empty() ? std::string("no value") : Quote(value)) + " is not a number: 0 was used");
        return;
    }
    const bool saturated = kind == ValueKind::Count ? number >= std::numeric_limits<int32_t>::max() ||
                                                          number <= std::numeric_limits<int32_t>::min()
                                                    : !std::isfinite(number);
    if (saturated)
        WarnAt(valueText.substr(0, understood), "number-out-of-range",
               Quote(value.substr(0, understood)) +
                   (std::isnan(number) ? " is not a number a setting can take: " : " is out of range: ") +
                   NumberText(number) + " was used");
    const std::string_view rest = value.substr(understood);
    if (!AllWhite(rest))
        WarnIgnored(rest, "a setting takes one number, " + NumberText(number) + " here");
    if ((key == "PageWidth" || key == "PageHeight") && !(number > 0.0))
        WarnAt(valueText, "bad-page-size",
               std::string(key == "PageWidth" ? "a page width" : "a page height") +
                   " of 0 or less leaves no room on the page for the score");
    if (key == "Strings" && number <= 0)
        WarnAt(valueText, "bad-string-count", "a staff of " + NumberText(number) +
                                                  " strings draws no string lines and no frets");
}

CSourcePoint SourcePointOf(const CScore& score, std::string_view text, std::size_t item)
{
    if (item >= score.ItemOffsets.size())
        return {};
    // Offsets count from after the byte-order mark, as the reader saw the text. One
    // lookup counts the line feeds rather than allocate a line index.
    if (text.starts_with(Utf8Bom))
        text.remove_prefix(Utf8Bom.size());
    const std::size_t offset = std::min<std::size_t>(score.ItemOffsets[item], text.size());
    const std::string_view before = text.substr(0, offset);
    const std::size_t feed = before.rfind('\n');
    const std::size_t lineStart = feed == std::string_view::npos ? 0 : feed + 1;
    const auto line = 1 + std::count(before.begin(), before.end(), '\n');
    CColumnCursor columns(score.Encoding);
    return {SatFrom64(line), columns.Column(before.substr(lineStart))};
}

struct CItemSourcePoints::CColumns
{
    explicit CColumns(TextEncoding encoding) : Cursor(encoding) {}
    CColumnCursor Cursor;
};

CItemSourcePoints::CItemSourcePoints(const CScore& score, std::string_view text)
    : Score(score), Text(text), Columns(std::make_unique<CColumns>(score.Encoding))
{
    // Offsets count from after the byte-order mark, as the reader saw the text.
    if (Text.starts_with(Utf8Bom))
        Text.remove_prefix(Utf8Bom.size());
    // A text is at most MaxScoreBytes, so every start fits 32 bits.
    Text = Text.substr(0, MaxScoreBytes);
    LineStarts.push_back(0);
    for (std::size_t at = Text.find('\n'); at != std::string_view::npos; at = Text.find('\n', at + 1))
        LineStarts.push_back(static_cast<uint32_t>(at + 1));
}

CItemSourcePoints::~CItemSourcePoints() = default;

CSourcePoint CItemSourcePoints::Of(std::size_t item) const
{
    if (item >= Score.ItemOffsets.size())
        return {};
    const std::size_t offset = std::min<std::size_t>(Score.ItemOffsets[item], Text.size());
    const auto after = std::upper_bound(LineStarts.begin(), LineStarts.end(), offset);
    const std::size_t line = static_cast<std::size_t>(after - LineStarts.begin());
    const std::size_t lineStart = LineStarts[line - 1];
    return {SatFrom64(static_cast<int64_t>(line)),
            Columns->Cursor.Column(Text.substr(lineStart, offset - lineStart))};
}

void ReportLayoutCut(const CScore& score, std::string_view text, std::vector<CDiagnostic>& diagnostics)
{
    const std::size_t notShown = score.FirstItemNotShown;
    if (notShown == CScore::NoItem || notShown >= score.ItemOffsets.size())
        return;
    const std::size_t items = score.UnitItems.size();
    const CSourcePoint at = SourcePointOf(score, text, notShown);
    std::string message = "the score is cut at page " + std::to_string(CScore::MaxPages) + ": the " +
                          Plural(items - notShown, "item", "items") + " from here on are not shown after the first line of page " +
                          std::to_string(CScore::MaxPages);
    const std::size_t notPrinted = score.FirstItemNotPrinted;
    if (notPrinted != CScore::NoItem && notPrinted < score.ItemOffsets.size()) {
        const CSourcePoint from = SourcePointOf(score, text, notPrinted);
        message += ", and the " + Plural(items - notPrinted, "item", "items") + " from line " +
                   std::to_string(from.Line) + " column " + std::to_string(from.Column) + " on are not printed";
    } else {
        message += " (they are printed)";
    }
    CDiagnostic cut{false, at.Line, at.Column, std::move(message), "score-cut", at.Column + 1};
    const auto place = std::upper_bound(diagnostics.begin(), diagnostics.end(), cut, [](const CDiagnostic& a, const CDiagnostic& b) {
        return a.Line != b.Line ? a.Line < b.Line : a.Column < b.Column;
    });
    diagnostics.insert(place, std::move(cut));
}
