// Face names as the score's settings give them (Windows names, possibly Japanese, possibly
// with a style word such as "Bold") matched to fonts installed here, and CFont to QFont.
// Needs a QGuiApplication (the font database).
#pragma once

#include <QFont>
#include <QString>
#include <cstdint>
#include <string_view>

struct CFont;

// Family, weight and slant for a face name (bytes, decoded with DecodeName); no size.
// In order: an installed family of that name; the name without trailing style words
// ("Courier New Bold" -> "Courier New", bold); for a Japanese face (Japanese characters,
// or a known Windows Japanese face such as "MS Mincho") an installed Japanese font of the
// same kind (Mincho: serif, Gothic: sans, proportional when the name says "P"); for
// "Courier New", "Arial" and "Times New Roman" a metric-compatible font. Otherwise the
// name is passed on and the platform's font substitution decides. Results are cached.
QFont MatchFontFace(std::string_view faceName);
QFont MatchFontFace(const QString& faceName);

// Em height in 0.01 mm for the CFont's Height, kept within [1, MaxEmHeight]: a negative
// height counts as its magnitude (as a platform font would) and zero takes the height
// of the Size (or of DefaultFontSize when that is zero too).
constexpr int32_t MaxEmHeight = 100000;  // one metre
constexpr int32_t DefaultFontSize = 90;   // tenths of a point, for the surface's initial font
int32_t EmHeightFor(const CFont* font);

// The QFont to draw a CFont with under a painter scaled to 0.01 mm units: the matched face
// with pixel size = em height, no hinting so that it measures the same on every device.
// Null gives the default family at DefaultFontSize.
QFont MakeQFont(const CFont* font);
