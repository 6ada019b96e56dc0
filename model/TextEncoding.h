// How a score's text bytes are to be decoded when they are drawn or printed.
#pragma once

#include <cstddef>
#include <string_view>

enum class TextEncoding
{
    Cp932,  // the default: Windows code page 932 (Shift_JIS with Microsoft's extensions)
    Utf8,   // the file began with a UTF-8 byte-order mark or was valid UTF-8 throughout
};

// Incremental UTF-8 validation, fed piece by piece as the reader goes through a file.
// Pieces may split a sequence anywhere.
class CUtf8Validator
{
public:
    void Feed(std::string_view bytes);
    // True while everything fed so far is valid UTF-8 and no sequence is left open.
    bool Valid() const { return Ok && Pending == 0; }

private:
    bool Ok = true;
    int Pending = 0;          // continuation bytes still expected
    unsigned char Lower = 0x80;  // allowed range of the next continuation byte
    unsigned char Upper = 0xBF;
};

bool IsValidUtf8(std::string_view bytes);

inline constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

// Whether the byte starts a two-byte character in code page 932.
constexpr bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
