#include "app/PlektoDoc.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <new>
#include <string>

#include "model/Reader.h"
#include "model/Score.h"


CPlektoDoc::CPlektoDoc(const CSettingsStore& store) : Store(store) {}

// The score's own destructor clears its contents and destroys its resources.
CPlektoDoc::~CPlektoDoc() = default;

bool CPlektoDoc::ReplaceScore()
{
    // The old score goes first, with all its items and marks, so that two large
    // scores never live side by side.
    Score.reset();
    try {
        Score = std::make_unique<CScore>(Store);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CPlektoDoc::OnNewDocument()
{
    PathName.clear();
    Diagnostics.clear();
    Text.clear();
    LastRead = {};
    return ReplaceScore();
}

bool CPlektoDoc::OnOpenDocument(const QString& path)
{
    // The bytes come first, so that a file that cannot be read leaves the score shown
    // before: an empty score under its name would pass for an empty file.
    std::string bytes;
    LastRead = ReadScoreBytes(QFile::encodeName(path).toStdString(), bytes);
    if (!LastRead)
        return false;
    PathName = QFileInfo(path).absoluteFilePath();
    Diagnostics.clear();
    if (!ReplaceScore())
        return false;
    // Whatever the reader refuses inside the text, the file counts as opened.
    Text = std::move(bytes);
    (void)ReadScoreText(Text, *Score, &Diagnostics);
    Score->LayoutScore();
    ReportLayoutCut(*Score, Text, Diagnostics);
    return true;
}

void CPlektoDoc::Relayout()
{
    if (!Score)
        return;
    Score->LayoutScore();
    std::erase_if(Diagnostics, [](const CDiagnostic& d) { return d.Code == "score-cut"; });
    ReportLayoutCut(*Score, Text, Diagnostics);
}

QString CPlektoDoc::GetTitle() const
{
    return PathName.isEmpty() ? QCoreApplication::translate("CPlektoDoc", "無題") : QFileInfo(PathName).fileName();
}
