// The same with settings taken from the input: its first bytes choose values for the
// stored settings and for directives put in front of the score, from sizes that make
// sense to sizes that do not (zero, negative, NaN, infinities, 1e300).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzScore.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsTable.h"

namespace
{
// The table's lengths, its counts and font sizes (as directives), and every setting the
// store keeps as an integer.
std::vector<const CSetting*> Rows(bool (*keep)(SettingKind))
{
    std::vector<const CSetting*> rows;
    for (const CSetting& setting : SettingsTable)
        if (keep(setting.Kind))
            rows.push_back(&setting);
    return rows;
}
const std::vector<const CSetting*> Lengths = Rows([](SettingKind k) { return k == SettingKind::Length; });
const std::vector<const CSetting*> Counts =
    Rows([](SettingKind k) { return k == SettingKind::Count || k == SettingKind::FontSize; });
const std::vector<const CSetting*> StoreValues = Rows([](SettingKind k) { return k != SettingKind::FontName; });
const char* const Values[] = {"0", "-1", "-210", "1e300", "-1e300", "inf", "-inf", "nan", "1e-300", "0.004",
                              "0.5", "2.5", "6", "39.5", "290", "100000", "2147483647", "-2147483648", "64", "1"};

struct CBytes
{
    const uint8_t* Data;
    size_t Size;
    bool Take(uint8_t& out)
    {
        if (Size == 0)
            return false;
        out = *Data++;
        --Size;
        return true;
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CBytes in{data, size};
    CMemorySettingsStore store;
    std::string prefix;
    uint8_t count = 0;
    uint8_t a = 0;
    uint8_t b = 0;
    // Up to 15 stored values as 32-bit integers, then up to 15 directives.
    if (in.Take(count)) {
        for (int i = 0; i < (count & 15); ++i) {
            uint8_t v[4] = {};
            if (!in.Take(a) || !in.Take(v[0]) || !in.Take(v[1]) || !in.Take(v[2]) || !in.Take(v[3]))
                break;
            int32_t value = 0;
            std::memcpy(&value, v, sizeof value);
            const CSetting& slot = *StoreValues[a % StoreValues.size()];
            store.WriteInt(SectionOf(slot.Group), slot.StoreName, value);
        }
        for (int i = 0; i < (count >> 4); ++i) {
            if (!in.Take(a) || !in.Take(b))
                break;
            const bool isCount = a & 0x80;
            const CSetting& key = isCount ? *Counts[a % Counts.size()] : *Lengths[a % Lengths.size()];
            prefix += "$" + std::string(key.Key) + ":" + Values[b % (sizeof Values / sizeof Values[0])] + "\n";
        }
    }
    ReadLayOutAndDraw(prefix + std::string(reinterpret_cast<const char*>(in.Data), in.Size), store);
    return 0;
}
