// Decoding of the score's text bytes where they are drawn, printed or dumped.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "model/TextEncoding.h"

// Score texts in the score's encoding; invalid bytes become U+FFFD or U+001A.
QString DecodeText(std::string_view bytes, TextEncoding encoding);
// Face names come from the store (code page 932) or a directive (the file's encoding):
// valid UTF-8 is taken as UTF-8, anything else as code page 932.
QString DecodeName(std::string_view bytes);
// To code page 932, as the store's texts are held in the settings record.
std::string EncodeCp932(const QString& text);
