// Reading a score text file into a freshly constructed score: lines are trimmed, split
// into tokens at "/" and handed to the handler that the token's first characters select.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CScore;
class CScoreItem;
class CTripletMark;
class CConnectedNoteFlag;
class CTie;
class CVibrato;
class CRepeatNum;
class CDirectiveTable;

// Returns false (score unchanged) when the file cannot be opened; true after reading it.
bool ReadScoreFile(const std::string& path, CScore& score);

// The reading state of one read: the current item, the one-time string count rule and
// the stacks of marks opened but not yet closed.
class CScoreReader
{
public:
    explicit CScoreReader(CScore& score);
    ~CScoreReader();
    CScoreReader(const CScoreReader&) = delete;
    CScoreReader& operator=(const CScoreReader&) = delete;

    // Reads every line of the stream (a UTF-8 byte-order mark is skipped, Ctrl-Z ends
    // the text), sets the score's encoding and runs the end-of-file clean-up.
    void Read(std::istream& in);
    // Trims, splits and dispatches one line (without its line feed). False when a token
    // was refused and the rest of the line skipped.
    bool DispatchLine(std::string& line);
    bool DispatchToken(std::string_view token);
    // Discards open marks and resets the state, as at the end of every read.
    void Finish();

    // Unit item tokens.
    bool OnSpaceToken(std::string_view arg);
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

private:
    void AppendItem(std::unique_ptr<CScoreItem> item, bool becomesCurrent);
    template <class Mark>
    bool CloseMark(std::vector<std::unique_ptr<Mark>>& stack);
    template <class Mark>
    void DiscardPendingMarks(std::vector<std::unique_ptr<Mark>>& stack);

    CScore& Score;
    std::vector<std::unique_ptr<CTripletMark>> PendingTriplets;
    std::vector<std::unique_ptr<CConnectedNoteFlag>> PendingFlags;
    std::vector<std::unique_ptr<CTie>> PendingTies;
    std::vector<std::unique_ptr<CVibrato>> PendingVibratos;
    std::vector<std::unique_ptr<CRepeatNum>> PendingRepeatNums;
    std::unique_ptr<CDirectiveTable> DirectiveTable;
};

// Reads one or two decimal digits at the cursor and advances past them.
bool ReadSmallNumber(std::string_view& cursor, int& value);
