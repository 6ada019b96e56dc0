// What every fuzz target does with a score once its settings are in place: read the
// text, lay it out, and draw the screen page and every printed page.
#pragma once

#include <string_view>

class CSettingsStore;

void ReadLayOutAndDraw(std::string_view text, const CSettingsStore& store);
