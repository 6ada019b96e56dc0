// Every file under tests/regressions (absurd settings, and inputs that once broke the
// reader, layout or drawing) is read, laid out and drawn, screen page and printed pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "display/PageView.h"
#include "display/RecordingSurface.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"

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
        score.LayoutScore();
        EXPECT_GE(score.PageCount, 1);
        EXPECT_LE(score.PageCount, 129);

        CPageView view;
        CRecordingSurface dc;
        view.Prepare(score, false);
        view.Paint(dc, score, 1);
        EXPECT_TRUE(score.DeferredMarks.empty());
        EXPECT_FALSE(dc.Calls().empty());  // at least the frame
        for (int32_t page = 1; page <= score.PageCount; ++page) {
            dc.Clear();
            view.Prepare(score, true);
            view.Paint(dc, score, page);
            EXPECT_TRUE(score.DeferredMarks.empty());
            // Every selection is restored: the brush ends as the view's black brush.
            EXPECT_EQ(dc.CurrentBrush(), CBrush::Black);
            EXPECT_EQ(dc.CurrentFont(), nullptr);
        }
    }
    EXPECT_GE(files, 6);
}
