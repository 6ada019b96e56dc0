#include "model/TextEncoding.h"

// Follows the well-formed sequences of Unicode 15, table 3-7: no overlong forms,
// no surrogates, nothing above U+10FFFF.
void CUtf8Validator::Feed(std::string_view bytes)
{
    for (unsigned char c : bytes) {
        if (c < 0x80 && Pending == 0)
            continue;  // the common case: plain ASCII outside a sequence
        if (!Ok)
            return;
        if (Pending > 0) {
            if (c < Lower || c > Upper) {
                Ok = false;
                return;
            }
            --Pending;
            Lower = 0x80;
            Upper = 0xBF;
            continue;
        }
        if (c < 0x80)
            continue;
        if (c >= 0xC2 && c <= 0xDF) {
            Pending = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            Pending = 2;
            if (c == 0xE0)
                Lower = 0xA0;
            else if (c == 0xED)
                Upper = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            Pending = 3;
            if (c == 0xF0)
                Lower = 0x90;
            else if (c == 0xF4)
                Upper = 0x8F;
        } else {
            Ok = false;
        }
    }
}

bool IsValidUtf8(std::string_view bytes)
{
    CUtf8Validator v;
    v.Feed(bytes);
    return v.Valid();
}
