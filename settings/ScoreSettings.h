// The record of every setting that shapes a score, with the load and save operations
// of its four groups. Lengths are millimetres; the store keeps hundredths of a mm.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "display/Font.h"

class CSettingsStore;

struct FontEntry
{
    int32_t Size = 0;             // tenths of a point
    std::string Name;             // face name, code page 932 bytes (or the score's own encoding)
    std::unique_ptr<CFont> Font;  // built lazily by the view; null when stale

    FontEntry() = default;
    FontEntry(int32_t size, std::string name) : Size(size), Name(std::move(name)) {}
    FontEntry(const FontEntry& other) : Size(other.Size), Name(other.Name) {}
    FontEntry& operator=(const FontEntry& other);

    // Changing the size or name drops the cached font in the same step.
    void SetSize(int32_t size);
    void SetName(std::string name);
    void ClearFont() { Font.reset(); }
};

// "ＭＳ 明朝" in code page 932.
inline const std::string DefaultTitleFace = "\x82\x6C\x82\x72\x20\x96\xBE\x92\xA9";

// $Strings and the store accept at most this many strings: each note keeps one entry
// per string, and a larger count only exhausts memory.
constexpr int32_t MaxStrings = 64;

struct ScoreSettings
{
    double PageWidth = 210.0;
    double PageHeight = 290.0;
    double MarginLeft = 20.0;
    double MarginTop = 15.0;
    double MarginRight = 20.0;
    double MarginBottom = 20.0;
    double TabUpperMargin = 10.0;
    double TabLowerMargin = 10.0;
    double ChordZoneHeight = 4.5;
    double TripletZoneHeight = 2.5;
    double PitchBetweenLine = 2.5;
    double UnitWidth = 6.0;
    int32_t Strings = 6;
    double FlagHeight = 1.5;
    double FlagMargin = 0.5;
    double StemHeight = 9.0;
    double StemMargin = 0.5;
    bool ShowTAB = true;
    int32_t UnitsForTAB = 2;
    FontEntry FontMainTitle{240, DefaultTitleFace};
    FontEntry FontSubTitle{120, DefaultTitleFace};
    FontEntry FontFret{90, "Courier New Bold"};
    FontEntry FontTAB{120, "Courier New"};

    void LoadPageSettings(const CSettingsStore& store);
    void LoadTabSettings(const CSettingsStore& store);
    void LoadNoteSettings(const CSettingsStore& store);
    void LoadFontSettings(const CSettingsStore& store);
    void SavePageSettings(CSettingsStore& store) const;
    void SaveTabSettings(CSettingsStore& store) const;
    void SaveNoteSettings(CSettingsStore& store) const;
    void SaveFontSettings(CSettingsStore& store) const;

    // All four groups in the order the score constructor uses: page, TAB, note, font.
    void LoadAll(const CSettingsStore& store);
    void ClearFonts();

    // (Strings - 1) x pitch + the four zones, in mm.
    double LineHeight() const;
};

// Section names in the store; a backslash nests a key.
namespace SettingsSection
{
inline constexpr const char* Page = "Settings\\Page";
inline constexpr const char* Tab = "Settings\\Tab";
inline constexpr const char* Note = "Settings\\Note";
inline constexpr const char* Font = "Settings\\Font";
}  // namespace SettingsSection
