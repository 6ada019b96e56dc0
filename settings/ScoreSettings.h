// The record of every setting that shapes a score, with the load and save operations
// of its four groups. Lengths are millimetres; the store keeps hundredths of a mm.
// Defaults, value names and units are in settings/SettingsTable.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "display/Font.h"
#include "settings/PlayingSettings.h"

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
inline constexpr const char* DefaultTitleFaceBytes = "\x82\x6C\x82\x72\x20\x96\xBE\x92\xA9";
inline const std::string DefaultTitleFace = DefaultTitleFaceBytes;

// $Strings and the store accept at most this many strings: each note keeps one entry
// per string, and a larger count only exhausts memory.
constexpr int32_t MaxStrings = 64;

// The store's groups, in the order a score loads them; the settings sheet has one page each.
enum class SettingsGroup
{
    Page,
    Tab,
    Note,
    Font,
};

struct ScoreSettings
{
    // Every member starts at its default from the settings table.
    ScoreSettings();

    double PageWidth{};
    double PageHeight{};
    double MarginLeft{};
    double MarginTop{};
    double MarginRight{};
    double MarginBottom{};
    double TabUpperMargin{};
    double TabLowerMargin{};
    double ChordZoneHeight{};
    double TripletZoneHeight{};
    double PitchBetweenLine{};
    double UnitWidth{};
    int32_t Strings{};
    double FlagHeight{};
    double FlagMargin{};
    double StemHeight{};
    double StemMargin{};
    bool ShowTAB{};
    int32_t UnitsForTAB{};
    FontEntry FontMainTitle;
    FontEntry FontSubTitle;
    FontEntry FontFret;
    FontEntry FontTAB;
    // How the score sounds; only its own directives set it (not the table, not the store).
    PlayingSettings Playing;

    // One group's values, in the table's order; a missing or unreadable value gives the default.
    void Load(const CSettingsStore& store, SettingsGroup group);
    void Save(CSettingsStore& store, SettingsGroup group) const;

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
