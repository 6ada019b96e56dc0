// The symbol bitmap files built into the program (generated at build time from
// resources/bitmaps/*.pbm).
#pragma once

#include <cstddef>
#include <string_view>

// The PBM file of a resource number; empty for an unknown number.
std::string_view SymbolBitmapFile(int resourceId);
