#include "model/Reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>

#include "model/Score.h"
#include "settings/Directives.h"
#include "symbols/Items.h"
#include "symbols/Marks.h"

namespace
{
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
char At(std::string_view text, std::size_t i) { return i < text.size() ? text[i] : '\0'; }

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr char CtrlZ = '\x1A';

bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

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

CReadResult ReadScoreBytes(std::istream& in, std::string& bytes)
{
    // Read in pieces up to one byte past the limit: a size the system reports cannot be
    // trusted (pipes, /dev/zero, a file still growing).
    constexpr std::size_t Piece = 1 << 16;
    bytes.clear();
    while (in && bytes.size() <= MaxScoreBytes) {
        const std::size_t had = bytes.size();
        const std::size_t want = std::min(Piece, MaxScoreBytes + 1 - had);
        if (had + want > bytes.capacity()) {
            // Doubling, but straight to the limit's one byte more once that is near, so
            // that an oversize stream never holds two buffers of the limit's size.
            std::size_t capacity = std::max(2 * bytes.capacity(), had + want);
            if (capacity >= MaxScoreBytes)
                capacity = MaxScoreBytes + 1;
            bytes.reserve(capacity);
        }
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
    return ReadScoreBytes(in, bytes);
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
    text = text.substr(0, text.find(CtrlZ));
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
    for (CPending& found : Found)
        Diagnostics->push_back(
            {found.IsError, found.Where.Line, columns.Column(found.Where.Before), std::move(found.Message), {}, 0});
    Found.clear();
    OpenedAt.clear();
    return {};
}

bool CScoreReader::DispatchLine(std::string_view line)
{
    line = line.substr(0, line.find('\0'));
    std::size_t end = line.size();
    while (end > 0 && IsWhite(line[end - 1]))
        --end;

    const std::string_view text = line.substr(0, end);
    if (Diagnostics)
        LineText = text;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '/' && text[i] != '\n')
            continue;
        if (i > start) {
            const std::string_view token = text.substr(start, i - start);
            if (Diagnostics) {
                Token = token;
                Reason = nullptr;
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
        return OnSpaceToken(token.substr(1));
    case '$':
        return ApplyDirective(token.substr(1));
    case '-':
        return OnTimeToken(token.substr(1));
    case '3':
        if (second == 's')
            return OnTripletStart(token.substr(2));
        if (second == 'e')
            return OnTripletEnd();
        return Refuse("is not a token: '3' must be followed by 's' or 'e'");
    case '[':
        if (second == 's')
            return OnRepeatNumStart(token.substr(2));
        if (second == 'e')
            return OnRepeatNumEnd();
        return Refuse("is not a token: '[' must be followed by 's' or 'e'");
    case '_':
        if (second == 's')
            return OnTieStart(token.substr(2));
        if (second == 'e')
            return OnTieEnd();
        return Refuse("is not a token: '_' must be followed by 's' or 'e'");
    case 'c':
        // A "c" that does not begin "ch" selects nothing and is ignored, like any other
        // token whose first character selects no handler.
        if (second == 'h')
            return OnChordToken(token.substr(2));
        return Ignored(token);
    case 'f':
        if (second == 's')
            return OnFlagsStart(token.substr(2));
        if (second == 'e')
            return OnFlagsEnd();
        return Refuse("is not a token: 'f' must be followed by 's' or 'e'");
    case 'n':
        return OnNoteToken(token.substr(1));
    case 'r':
        return OnRestToken(token.substr(1));
    case 't':
        return OnTitleToken(token.substr(1));
    case 'v':
        // Likewise a "v" that does not begin "vb" is ignored; "vb" itself needs "s" or "e".
        if (second != 'b')
            return Ignored(token);
        if (At(token, 2) == 's')
            return OnVibratoStart(token.substr(3));
        if (At(token, 2) == 'e')
            return OnVibratoEnd();
        return Refuse("is not a token: 'vb' must be followed by 's' or 'e'");
    case '|':
        return OnRepeatBarToken(token.substr(1)) || OnBarToken();
    default:
        return Ignored(token);
    }
}

bool CScoreReader::Ignored(std::string_view token)
{
    if (Diagnostics)
        Warn(Quote(token) + " was ignored: its first character selects no token");
    return true;
}

CScoreReader::CPosition CScoreReader::Here() const
{
    const std::size_t offset = Token.empty() ? 0 : static_cast<std::size_t>(Token.data() - LineText.data());
    return {LineNumber, LineText.substr(0, offset)};
}

void CScoreReader::Report(bool isError, CPosition where, std::string message)
{
    Found.push_back({isError, std::move(where), std::move(message)});
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
    if (skipped > 0) {
        message += "; the rest of the line, ";
        message += std::to_string(skipped);
        message += skipped == 1 ? " token, was skipped" : " tokens, was skipped";
    }
    Report(true, Here(), std::move(message));
}

void CScoreReader::RememberOpening(const void* mark)
{
    if (Diagnostics)
        OpenedAt[mark] = Here();
}

void CScoreReader::ReportUnclosed(const void* mark, const char* what)
{
    if (!Diagnostics)
        return;
    auto it = OpenedAt.find(mark);
    if (it != OpenedAt.end())
        Report(false, it->second, std::string(what) + " is never closed and was dropped");
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
    DiscardPendingMarks(PendingTriplets, "the tuplet");
    DiscardPendingMarks(PendingFlags, "the beam");
    DiscardPendingMarks(PendingTies, "the tie");
    DiscardPendingMarks(PendingVibratos, "the vibrato");
    DiscardPendingMarks(PendingRepeatNums, "the repeat ending");
    CurrentItem = nullptr;
    StringCountLocked = false;
}

template <class Mark>
void CScoreReader::DiscardPendingMarks(std::vector<std::unique_ptr<Mark>>& stack, const char* what)
{
    while (!stack.empty()) {
        Mark* mark = stack.back().get();
        ReportUnclosed(mark, what);
        if (mark->StartItem)
            mark->StartItem->DetachMark(mark);
        stack.pop_back();
    }
}

void CScoreReader::AppendItem(std::unique_ptr<CScoreItem> item, bool becomesCurrent)
{
    CScoreItem* raw = item.get();
    Score.AddUnitItem(std::move(item));
    if (becomesCurrent) {
        CurrentItem = raw;
        StringCountLocked = true;
    }
}

// ---- Unit item tokens ----

bool CScoreReader::OnSpaceToken(std::string_view)
{
    AppendItem(std::make_unique<CItemSpace>(&Score, 1), true);
    return true;
}

bool CScoreReader::OnNoteToken(std::string_view arg)
{
    auto note = std::make_unique<CItemNote>(&Score, 1);
    int length = 0;
    if (!ReadSmallNumber(arg, length))
        return Refuse("has no length");
    note->Length = length;
    if (At(arg, 0) == '.') {
        note->Dotted = true;
        arg.remove_prefix(1);
    }
    switch (At(arg, 0)) {
    case 'n':
        note->FlagKind = CItemNote::None;
        break;
    case 's':
        note->FlagKind = CItemNote::Single;
        break;
    case 'c':
        note->FlagKind = CItemNote::Connected;
        break;
    default:
        return Refuse(arg.empty() ? "has no flag letter" : "has no flag letter (n, s or c) after its length");
    }
    switch (At(arg, 1)) {
    case 'n':
        note->HeadKind = CItemNote::Numbers;
        break;
    case 'c':
        note->HeadKind = CItemNote::Cross;
        break;
    case 's':
        note->HeadKind = CItemNote::Slash;
        break;
    default:
        return Refuse(arg.size() < 2 ? "has no head letter" : "has no head letter (n, c or s) after its flag letter");
    }
    const int32_t stop = note->SetFrets(arg.substr(2));
    if (stop && Diagnostics) {
        std::string message = Quote(Token);
        message += ": the fret list stops at the piece for string ";
        message += std::to_string(stop);
        message += ", which is not a fret, x or -; the strings from there on stay empty";
        Warn(std::move(message));
    }
    AppendItem(std::move(note), true);
    return true;
}

bool CScoreReader::OnRestToken(std::string_view arg)
{
    auto rest = std::make_unique<CItemRest>(&Score, 1);
    int length = 0;
    if (!ReadSmallNumber(arg, length))
        return Refuse("has no length");
    rest->Length = length;
    rest->Dotted = At(arg, 0) == '.';
    AppendItem(std::move(rest), true);
    return true;
}

bool CScoreReader::OnTimeToken(std::string_view arg)
{
    auto time = std::make_unique<CItemMusicalTime>(&Score, 1);
    int numerator = 0;
    int denominator = 0;
    if (!ReadSmallNumber(arg, numerator))
        return Refuse("has no numerator");
    if (At(arg, 0) != ',')
        return Refuse("needs a comma between numerator and denominator");
    arg.remove_prefix(1);
    if (!ReadSmallNumber(arg, denominator))
        return Refuse("has no denominator");
    time->Numerator = numerator;
    time->Denominator = denominator;
    AppendItem(std::move(time), true);
    return true;
}

bool CScoreReader::OnRepeatBarToken(std::string_view arg)
{
    if (At(arg, 0) != ':')
        return false;
    auto bar = std::make_unique<CItemRepeatBar>(&Score, 1);
    bar->IsEnd = At(arg, 1) == 'e' ? 1 : 0;
    AppendItem(std::move(bar), false);  // never the current item
    return true;
}

bool CScoreReader::OnBarToken()
{
    if (!CurrentItem)
        return Refuse("has no item before it");
    CurrentItem->BarAfter = true;
    return true;
}

// ---- Span mark tokens ----

bool CScoreReader::OnTripletStart(std::string_view arg)
{
    if (!CurrentItem)
        return Refuse("needs an item before it");
    auto mark = std::make_unique<CTripletMark>(&Score);
    int number = 3;
    ReadSmallNumber(arg, number);
    mark->SetLevel(number);
    mark->SetBracket(At(arg, 0) == '[');
    Open(std::move(mark), PendingTriplets);
    return true;
}

bool CScoreReader::OnFlagsStart(std::string_view arg)
{
    if (!dynamic_cast<CItemNote*>(CurrentItem))
        return Refuse("needs a note before it");
    auto mark = std::make_unique<CConnectedNoteFlag>(&Score);
    int number = 0;
    if (!ReadSmallNumber(arg, number))
        return Refuse("needs a note value for its beam, such as 8 or 16");
    mark->SetLevel(number < 8 ? 0 : number < 16 ? 1 : number < 32 ? 2 : number < 64 ? 3 : 4);
    mark->SetSide(At(arg, 0) == '<' ? 'L' : 'R');
    Open(std::move(mark), PendingFlags);
    return true;
}

bool CScoreReader::OnTieStart(std::string_view arg)
{
    if (!CurrentItem)
        return Refuse("needs an item before it");
    auto mark = std::make_unique<CTie>(&Score);
    std::size_t digit = 0;
    while (digit < arg.size() && !IsDigit(arg[digit]))
        ++digit;
    mark->SetText(std::string(arg.substr(0, digit)));
    if (digit < arg.size())
        mark->SetLevel(arg[digit] - '0');
    Open(std::move(mark), PendingTies);
    return true;
}

bool CScoreReader::OnVibratoStart(std::string_view arg)
{
    if (!CurrentItem)
        return Refuse("needs an item before it");
    auto mark = std::make_unique<CVibrato>(&Score);
    if (IsDigit(At(arg, 0)))
        mark->SetLevel(arg[0] - '0');
    Open(std::move(mark), PendingVibratos);
    return true;
}

bool CScoreReader::OnRepeatNumStart(std::string_view arg)
{
    if (!CurrentItem)
        return Refuse("needs an item before it");
    auto mark = std::make_unique<CRepeatNum>(&Score);
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

bool CScoreReader::OnTripletEnd() { return CloseMark(PendingTriplets) || Refuse("closes no open tuplet"); }
bool CScoreReader::OnTieEnd() { return CloseMark(PendingTies) || Refuse("closes no open tie"); }
bool CScoreReader::OnVibratoEnd() { return CloseMark(PendingVibratos) || Refuse("closes no open vibrato"); }
bool CScoreReader::OnRepeatNumEnd() { return CloseMark(PendingRepeatNums) || Refuse("closes no open repeat ending"); }

bool CScoreReader::OnFlagsEnd()
{
    if (PendingFlags.empty())
        return Refuse("closes no open beam");
    // After a rest the beam stays open for a later "fe".
    if (!dynamic_cast<CItemNote*>(CurrentItem))
        return Refuse("needs a note before it; the beam stays open");
    return CloseMark(PendingFlags);
}

bool CScoreReader::OnChordToken(std::string_view arg)
{
    if (!CurrentItem)
        return Refuse("needs an item before it");
    auto mark = std::make_unique<CChordMark>(&Score);
    if (At(arg, 0) == '[') {
        mark->Framed = true;
        arg.remove_prefix(1);
    }
    mark->Text = std::string(arg);
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
        return true;
    }
    if (At(arg, 0) != 's')
        return Refuse("is not a title token: 'tm' or 'ts' must begin it");
    const char side = At(arg, 1);
    const char end = At(arg, 2);
    const char digit = At(arg, 3);
    if (side != 'l' && side != 'r')
        return Refuse("needs the side l or r after 'ts'");
    if (end != 't' && end != 'b')
        return Refuse("needs the end t or b after its side");
    if (digit < '1' || digit > '5')
        return Refuse("needs a line place from 1 to 5");
    CTitleBlock::LinePlaces& group = side == 'l' ? (end == 't' ? block.LeftTopLines : block.LeftBottomLines)
                                                 : (end == 't' ? block.RightTopLines : block.RightBottomLines);
    group[static_cast<std::size_t>(digit - '1')] = std::string(arg.substr(4));
    return true;
}

bool CScoreReader::ApplyDirective(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return Refuse("has no ':' between key and value");
    const std::string_view key = text.substr(0, colon);
    const std::string_view value = text.substr(colon + 1);
    if (Diagnostics)
        Quoted = Token.substr(0, colon + 1);
    if (key == "Strings") {
        // Once per file, before the first unit item; a count no note could hold is refused.
        if (StringCountLocked)
            return Refuse("comes after the first item or after another '$Strings'");
        if (ToCountValue(value) > MaxStrings)
            return Refuse("is more than 64");
        StringCountLocked = true;
    }
    // A key outside the table is skipped on its own; the rest of the line still counts.
    if (!DirectiveTable->Apply(key, value) && Diagnostics)
        Warn(Quote(Quoted) + " is not a setting and was ignored");
    return true;
}
