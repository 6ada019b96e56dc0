// Arbitrary bytes as a score file, read, laid out and drawn with the built-in settings.
#include <cstddef>
#include <cstdint>

#include "FuzzScore.h"
#include "settings/SettingsStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMemorySettingsStore store;
    ReadLayOutAndDraw({reinterpret_cast<const char*>(data), size}, store);
    return 0;
}
