// JSON text for the machine-readable outputs: "plekto dump" and "plekto trace".
#pragma once

#include <string>
#include <string_view>

namespace Json
{
// A JSON string literal of UTF-8 text.
std::string Quote(std::string_view utf8);
// The shortest text that reads back as the same double; null for NaN and infinities,
// which JSON cannot express.
std::string Number(double value);
}  // namespace Json
