// A score as a MusicXML 4.0 document (partwise, uncompressed, UTF-8): one TAB part written
// from the musical model (items, marks and their performance), with Plekto's line and page
// breaks where the layout puts them, so other notation programs can read and play it.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class CScore;
struct CPerformance;

// Turns a text of the score (the file's bytes in the score's encoding) into UTF-8.
using TextDecoder = std::function<std::string(std::string_view)>;

// The largest <divisions> written: when the written durations need more divisions per
// quarter than this, durations are written in performance ticks instead.
inline constexpr long long MaxMusicXmlDivisions = 1000000;

// The largest document written. A real score takes a few hundred kilobytes (4,600 bars
// some 18 MB); a file of nothing but 64-string chords would take fifty times its size.
inline constexpr std::size_t MaxMusicXmlBytes = std::size_t{128} * 1024 * 1024;

// The document; nullopt when it would be larger than MaxMusicXmlBytes. Breaks are written
// only when the score's geometry was built (LayoutScore); every item is written, also
// those the drawing cuts at the last page.
std::optional<std::string> MusicXmlBytes(const CScore& score, const CPerformance& performance,
                                         const TextDecoder& decode);
