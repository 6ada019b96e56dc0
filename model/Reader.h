// Reading a score text file into a freshly constructed score: lines are trimmed, split
// into tokens at "/" and handed to the handler that the token's first characters select.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/TextEncoding.h"

class CScore;
class CScoreItem;
class CTripletMark;
class CConnectedNoteFlag;
class CTie;
class CVibrato;
class CRepeatNum;
class CDirectiveTable;

// A problem found while reading, for authors: a refused token (an error) or something
// that was ignored, dropped or read as something else (a warning). Line and column count
// from 1; the column counts characters of the line as the score's encoding decodes them
// and is that of the first character concerned. The message holds the file's own bytes
// where it quotes the file. Code names the kind for scripts and editors ("unclosed-tie");
// EndColumn is the column just past the characters the problem covers, 0 when unknown (the
// rest of the token from Column is meant then).
struct CDiagnostic
{
    bool IsError = false;
    int Line = 0;
    int Column = 0;
    std::string Message;
    std::string Code;   // a stable kebab-case name of the kind, for scripts and editors
    int EndColumn = 0;  // just past the last character concerned
};

// The largest score text read, in bytes. A real score is a few kilobytes; the bound keeps
// an endless stream (/dev/zero, a pipe) or a wrong file from exhausting memory, so no more
// than one byte past it is ever read.
inline constexpr std::size_t MaxScoreBytes = std::size_t{64} * 1024 * 1024;

enum class ReadError
{
    None,
    CannotOpen,  // missing, not permitted, a directory
    ReadFailed,  // the system reported an error part way through
    TooLarge,    // more than MaxScoreBytes
};

// How a read ended; true when it succeeded. A failed read leaves the score unchanged.
struct CReadResult
{
    ReadError Error = ReadError::None;
    int SystemError = 0;  // errno for CannotOpen and ReadFailed
    explicit operator bool() const { return Error == ReadError::None; }
    // Why it failed, to follow the file's name: "larger than 64 MB", "No such file or directory".
    std::string Reason() const;
};

// The bytes of a stream or a file, at most MaxScoreBytes; TooLarge once there are more.
// sizeHint, the size the stream is expected to have, only sizes the buffer.
CReadResult ReadScoreBytes(std::istream& in, std::string& bytes, std::size_t sizeHint = 0);
CReadResult ReadScoreBytes(const std::string& path, std::string& bytes);

// Reads score text from memory, a stream (standard input) or a file into a freshly
// constructed score. Diagnostics are collected only when a list is given.
CReadResult ReadScoreText(std::string_view text, CScore& score, std::vector<CDiagnostic>* diagnostics = nullptr);
CReadResult ReadScoreStream(std::istream& in, CScore& score, std::vector<CDiagnostic>* diagnostics = nullptr);
CReadResult ReadScoreFile(const std::string& path, CScore& score, std::vector<CDiagnostic>* diagnostics = nullptr);

// A place in a score's text: line and column from 1, the column counted in characters.
struct CSourcePoint
{
    int32_t Line = 0;
    int32_t Column = 0;
};

// Where item k's token begins in `text`, the text the score was read from by a read that
// collected diagnostics; line and column 0 for an item it did not record.
CSourcePoint SourcePointOf(const CScore& score, std::string_view text, std::size_t item);

// The same for many items: the score keeps only a byte offset per item, and this index of
// line starts (built once, 4 bytes a line) turns offsets into lines by binary search.
// Items of one line asked in order cost no more than the line. Score and text must
// outlive it; not for two threads at once.
class CItemSourcePoints
{
public:
    CItemSourcePoints(const CScore& score, std::string_view text);
    ~CItemSourcePoints();
    CSourcePoint Of(std::size_t item) const;

private:
    const CScore& Score;
    std::string_view Text;  // after a byte-order mark, as the offsets count
    std::vector<uint32_t> LineStarts;
    struct CColumns;
    std::unique_ptr<CColumns> Columns;
};

// After LayoutScore: a warning, in line order, when the layout ran out of pages and the
// screen or the printer leaves items out. `text` is the text the score was read from by a
// read that collected diagnostics.
void ReportLayoutCut(const CScore& score, std::string_view text, std::vector<CDiagnostic>& diagnostics);

// The reading state of one read: the current item, the one-time string count rule and
// the stacks of marks opened but not yet closed.
class CScoreReader
{
public:
    explicit CScoreReader(CScore& score);
    ~CScoreReader();
    CScoreReader(const CScoreReader&) = delete;
    CScoreReader& operator=(const CScoreReader&) = delete;

    // Reads every line of the text (a UTF-8 byte-order mark is skipped, Ctrl-Z ends it),
    // sets the score's encoding and runs the end-of-file clean-up. Text longer than
    // MaxScoreBytes is refused whole.
    CReadResult Read(std::string_view text);
    CReadResult Read(std::istream& in);
    // Trims, splits and dispatches one line (without its line feed). False when a token
    // was refused and the rest of the line skipped.
    bool DispatchLine(std::string_view line);
    bool DispatchToken(std::string_view token);
    // Discards open marks and resets the state, as at the end of every read.
    void Finish();

    // Unit item tokens.
    void OnSpaceToken(std::string_view arg);
    bool OnNoteToken(std::string_view arg);
    bool OnRestToken(std::string_view arg);
    bool OnTimeToken(std::string_view arg);
    bool OnRepeatBarToken(std::string_view arg);
    bool OnBarToken();
    // Span mark tokens.
    bool OnTripletStart(std::string_view arg);
    bool OnTripletEnd();
    bool OnFlagsStart(std::string_view arg);
    bool OnFlagsEnd();
    bool OnTieStart(std::string_view arg);
    bool OnTieEnd();
    bool OnVibratoStart(std::string_view arg);
    bool OnVibratoEnd();
    bool OnRepeatNumStart(std::string_view arg);
    bool OnRepeatNumEnd();
    bool OnChordToken(std::string_view arg);
    // Title and settings tokens.
    bool OnTitleToken(std::string_view arg);
    bool ApplyDirective(std::string_view text);

    CScoreItem* CurrentItem = nullptr;
    bool StringCountLocked = false;
    // Set to collect diagnostics; reading without it does no extra work.
    std::vector<CDiagnostic>* Diagnostics = nullptr;

private:
    struct CPosition
    {
        int Line = 0;
        // The line's bytes before the token, for its column, and the bytes concerned:
        // views into the text read, never copies, so that many positions on one long
        // line stay cheap.
        std::string_view Before;
        std::string_view Covered;
    };
    struct CPending
    {
        bool IsError;
        CPosition Where;
        const char* Code;
        std::string Message;
    };

    // A handler refuses with a kind and a reason that "plekto check" shows after the token.
    bool Refuse(const char* code, const char* reason)
    {
        Code = code;
        Reason = reason;
        return false;
    }
    CPosition Here() const;
    // The position of part of the current line (a view into it).
    CPosition PartOfLine(std::string_view part) const;
    void Report(bool isError, CPosition where, const char* code, std::string message);
    void Warn(const char* code, std::string message) { Report(false, Here(), code, std::move(message)); }
    void WarnAt(std::string_view part, const char* code, std::string message)
    {
        Report(false, PartOfLine(part), code, std::move(message));
    }
    // Characters of the current token that were not read; nothing when there are none.
    void WarnIgnored(std::string_view rest, std::string_view why, const char* code = "ignored-characters");
    // The checks below run only while diagnostics are collected.
    void CheckFile(std::string_view text, std::size_t ctrlZ, bool bom);
    void CheckLength(std::string_view digits, int length, bool isNote);
    void CheckFrets(std::string_view text, int32_t stop);
    void CheckBar(std::string_view arg);
    void CheckTitle(std::size_t slot);
    void CheckDirective(std::string_view key, std::string_view value);
    void ReportRefusal(std::string_view rest);
    void RememberOpening(const void* mark);
    void ReportUnclosed(const void* mark, const char* code, const char* what);
    template <class Mark>
    void Open(std::unique_ptr<Mark> mark, std::vector<std::unique_ptr<Mark>>& stack);

    void AppendItem(std::unique_ptr<CScoreItem> item, bool becomesCurrent);
    template <class Mark>
    bool CloseMark(std::vector<std::unique_ptr<Mark>>& stack);
    template <class Mark>
    void DiscardPendingMarks(std::vector<std::unique_ptr<Mark>>& stack, const char* code, const char* what);
    void Ignored(std::string_view token);

    CScore& Score;
    std::vector<std::unique_ptr<CTripletMark>> PendingTriplets;
    std::vector<std::unique_ptr<CConnectedNoteFlag>> PendingFlags;
    std::vector<std::unique_ptr<CTie>> PendingTies;
    std::vector<std::unique_ptr<CVibrato>> PendingVibratos;
    std::vector<std::unique_ptr<CRepeatNum>> PendingRepeatNums;
    std::unique_ptr<CDirectiveTable> DirectiveTable;

    // Where the reader is, kept up to date only while diagnostics are collected.
    int LineNumber = 0;
    std::string_view LineText;
    std::string_view Token;
    const char* Reason = nullptr;
    const char* Code = nullptr;
    std::string_view Quoted;  // what the refusal quotes, when not the whole token
    std::vector<CPending> Found;
    std::unordered_map<const void*, CPosition> OpenedAt;
    const char* TextStart = nullptr;     // of the text being read
    uint32_t TitlesSeen = 0;             // one bit per title slot already given
    bool CarriageReturnReported = false;
};

// Characters in bytes as the encoding decodes them (code page 932: a lead byte and its
// trail byte are one character).
int CountCharacters(std::string_view bytes, TextEncoding encoding);

// Reads one or two decimal digits at the cursor and advances past them.
bool ReadSmallNumber(std::string_view& cursor, int& value);
