// Every file under tests/regressions (absurd settings, and inputs that once broke the
// reader, layout or drawing) is read, laid out and drawn, screen page and printed pages.
#include <gtest/gtest.h>

#include <filesystem>

#include "ScoreFixture.h"

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
