// A logical font as the drawing code knows it: a face name (bytes as stored) and an
// em height in 0.01 mm. Surfaces map it to a real font of their own.
#pragma once

#include <cstdint>
#include <string>

struct CFont
{
    std::string Name;    // face name, at most 31 bytes
    int32_t Size = 0;    // tenths of a point, as the settings give it
    int32_t Height = 0;  // em height in 0.01 mm
};
