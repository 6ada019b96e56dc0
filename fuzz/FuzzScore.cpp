#include "FuzzScore.h"

#include <sstream>
#include <string>

#include "display/PageView.h"
#include "display/RecordingSurface.h"
#include "model/Reader.h"
#include "model/Score.h"

void ReadLayOutAndDraw(std::string_view text, const CSettingsStore& store)
{
    CScore score(store);
    std::vector<CDiagnostic> diagnostics;  // the author's checks run on the same input
    {
        std::istringstream in{std::string(text)};
        CScoreReader reader(score);
        reader.Diagnostics = &diagnostics;
        reader.Read(in);
    }
    score.LayoutScore();

    CPageView view;
    CRecordingSurface dc;
    view.Prepare(score, false);
    view.Paint(dc, score, 1);
    for (int32_t page = 1; page <= score.PageCount; ++page) {
        dc.Clear();
        view.Prepare(score, true);
        view.Paint(dc, score, page);
    }
    // Formatting exercises the trace printer too.
    (void)dc.Trace();
}
