// What an editor asks of a score text while its author types: the problems, with ranges
// in the editor's UTF-16 positions, and what the token under the pointer means. The
// language server only turns these into protocol messages.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/SourceText.h"

class CScore;
class CSettingsStore;

struct CEditorDiagnostic
{
    CTextPosition Start;
    CTextPosition End;
    bool IsError = false;
    std::string Code;
    std::string Message;  // UTF-8, long quoted tokens shortened
};

// Reads the text (UTF-8, as editors hold it) as the viewer would and lists its problems.
std::vector<CEditorDiagnostic> DiagnoseText(std::string_view utf8, const CSettingsStore& store);

// What one token means and what reading it made, in words: "eighth note, beamed; frets 0
// (string 1), 2 (string 2)". The score supplies the string count (a read score's is final).
std::string DescribeToken(std::string_view token, CScore& score);

struct CHover
{
    std::string Text;
    CTextPosition Start;  // the token's range
    CTextPosition End;
};

// The token at a position of the text and its description; none between tokens.
std::optional<CHover> HoverAt(std::string_view utf8, CTextPosition at, const CSettingsStore& store);
