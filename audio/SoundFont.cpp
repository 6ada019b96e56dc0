#include "audio/SoundFont.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{
// Why the file cannot serve as a SoundFont, or empty when it can: it must open, and begin
// as a RIFF file of form "sfbk".
std::string Unusable(const std::string& path)
{
    if (path.empty())
        return "it is empty";
    const std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return std::strerror(errno);
    unsigned char head[12] = {};
    errno = 0;
    const std::size_t got = std::fread(head, 1, sizeof head, file.get());
    if (got != sizeof head && std::ferror(file.get()))
        return errno != 0 ? std::strerror(errno) : "it cannot be read";
    if (got != sizeof head || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "sfbk", 4) != 0)
        return "it is not a SoundFont (.sf2)";
    return {};
}
}  // namespace

std::vector<CSoundFontPlace> SoundFontPlaces(const std::optional<std::string>& storedPath)
{
    std::vector<CSoundFontPlace> places;
    const char* variable = std::getenv(SoundFontVariable);
    places.push_back({std::string("$") + SoundFontVariable,
                      variable ? std::optional<std::string>(variable) : std::nullopt});
    std::string stored = "the stored setting ";
    ((stored += SoundFontSection) += '/') += SoundFontName;
    places.push_back({stored, storedPath});
    places.push_back({"the system's SoundFont", std::string(DefaultSoundFont)});
    return places;
}

std::optional<std::string> FindSoundFont(const std::vector<CSoundFontPlace>& places, std::string& error)
{
    std::string reasons;
    for (const CSoundFontPlace& place : places) {
        std::string why;
        if (!place.Path)
            why = "not set";
        else if (why = Unusable(*place.Path); why.empty())
            return place.Path;
        else
            why = *place.Path + ": " + why;
        if (!reasons.empty())
            reasons += "; ";
        ((reasons += place.What) += ": ") += why;
    }
    error = "no usable SoundFont (";
    error += reasons;
    error += ")";
    return std::nullopt;
}
