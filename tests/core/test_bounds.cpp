// Absurd settings, scores at the limits and every file under tests/regressions (64 strings
// among them): reading, layout and drawing end and stay bounded. (The one-million-item
// score is timed by bench/pieces.py.)
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "ScoreFixture.h"
#include "settings/SettingsTable.h"

namespace
{
// Every kind of item and mark, over a few lines.
const std::string Music = "tmT/tslt1a/tsrb5b\n"
                          "-4,4/n8cn0/fs8/n8cn2.3/fe/n16cn1/fs8/fs16</fe/fe/r4./|/n2.nn3.x/_sh2/n1ns/_e/|\n"
                          "n8sn5/3s[/n8sn.5/n8sn..5/3e/vbs2/n4ncx.x/chAm7/ch[G/n4nn0/vbe/[s1./r16/r32/r1/r2/[e/|:e\n";
}  // namespace

TEST(Bounds, AbsurdDirectivesFromAFile)
{
    std::vector<std::string> directives = {
        "$UnitsForTAB:2147483647", "$UnitsForTAB:-2147483648", "$Strings:0", "$Strings:-2147483648", "$Strings:1",
        "$Strings:64", "$FontSizeFret:2147483647", "$FontSizeFret:-5", "$FontSizeTAB:0", "$FontSizeMainTitle:99999999"};
    for (const CSetting& setting : SettingsTable)
        for (const char* value : {"0", "-1", "-250", "nan", "inf", "-inf", "1e300", "-1e300", "1e-300"})
            if (setting.Kind == SettingKind::Length)  // appended: GCC 12 -O3 warns falsely (-Wrestrict) on "$" + ...
                directives.emplace_back("$").append(setting.Key).append(":").append(value);
    for (const std::string& directive : directives) {
        SCOPED_TRACE(directive);
        std::string text = directive;
        text.append("\n").append(Music).append(Music);
        DrawEveryPage(*ReadScore(text).Score);
    }
}

TEST(Bounds, AbsurdValuesFromTheStore)
{
    for (const CSetting& setting : SettingsTable) {
        if (setting.Kind == SettingKind::FontName)
            continue;
        for (int32_t value : {0, -1, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
            SCOPED_TRACE(std::string(setting.StoreName) + "=" + std::to_string(value));
            CMemorySettingsStore store;
            store.WriteInt(SectionOf(setting.Group), setting.StoreName, value);
            DrawEveryPage(*ReadScore(Music, std::move(store)).Score);
        }
    }
}

TEST(Bounds, HundredTwentyNinePagesOfDenseMarks)
{
    std::string text;
    for (int bar = 0; bar < 11000; ++bar)  // two items a bar, 156 items a page
        text += "n8cn1/fs8/fs16/3s[/_sh2/vbs/[s1./chAm/n8cn2/fe/fe/3e/_e/vbe/[e/|\n";
    ReadScore r(text);
    r.Score->LayoutScore();
    EXPECT_EQ(r.Score->PageCount, 129);
    DrawEveryPage(*r.Score);
}

TEST(Regressions, EveryFileReadsLaysOutAndDraws)
{
    const std::filesystem::path dir = std::filesystem::path(PLEKTO_SOURCE_DIR) / "tests" / "regressions";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        CMemorySettingsStore store;
        CScore score(store);
        ASSERT_TRUE(ReadScoreFile(entry.path().string(), score));
        DrawEveryPage(score);
    }
    EXPECT_GE(files, 6);
}
