// Where audio finds its SoundFont: $PLEKTO_SOUNDFONT, else the stored setting
// Player/SoundFont, else the system's General MIDI SoundFont. The first usable one wins;
// when none is, the message names every place looked at and why it failed.
#pragma once

#include <optional>
#include <string>
#include <vector>

class CSettingsStore;

// One place a SoundFont may be named: what it is (for messages) and the path it gives, if any.
struct CSoundFontPlace
{
    std::string What;
    std::optional<std::string> Path;
};

inline constexpr const char* SoundFontVariable = "PLEKTO_SOUNDFONT";
inline constexpr const char* SoundFontSection = "Player";
inline constexpr const char* SoundFontName = "SoundFont";
inline constexpr const char* DefaultSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

// The places in the order they are tried; storedPath is the store's Player/SoundFont (as
// the caller decodes it), nullopt when the store has none.
std::vector<CSoundFontPlace> SoundFontPlaces(const std::optional<std::string>& storedPath);

// The first place whose file is a readable SoundFont; otherwise nullopt and error saying,
// for each place, why it was passed over.
std::optional<std::string> FindSoundFont(const std::vector<CSoundFontPlace>& places, std::string& error);
