// Symbol bitmaps (in progress).
#include "symbols/Bitmap.h"

std::unique_ptr<CBitmap> LoadSymbolBitmap(int) { return nullptr; }
std::unique_ptr<CBitmap> ParsePbm(std::string_view) { return nullptr; }
