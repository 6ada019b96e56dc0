// The document: owns the one score shown and replaces it wholesale on New (also the
// "閉じる" command) and on Open. It never saves.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "model/Reader.h"

class CScore;
class CSettingsStore;

class CPlektoDoc
{
public:
    // Scores are built from the settings in `store`, which must outlive the document.
    explicit CPlektoDoc(const CSettingsStore& store);
    ~CPlektoDoc();
    CPlektoDoc(const CPlektoDoc&) = delete;
    CPlektoDoc& operator=(const CPlektoDoc&) = delete;

    // A fresh, empty score with the stored settings; no reading, no layout.
    bool OnNewDocument();
    // A fresh score read from the file and laid out. A file that cannot be read (missing,
    // a directory, not permitted, larger than MaxScoreBytes) is refused: false, LastRead
    // says why, and the document keeps its score, name, text and diagnostics. Reloading
    // is opening the same path again.
    bool OnOpenDocument(const QString& path);

    // "無題" for a new document, else the file's name without its directory.
    QString GetTitle() const;
    const QString& GetPathName() const { return PathName; }


    // Null only before the first New or Open, or when memory ran out building a score.
    std::unique_ptr<CScore> Score;
    // What the reader refused or ignored in the file last opened; empty for a new
    // document. Messages hold the file's bytes, in the score's encoding.
    std::vector<CDiagnostic> Diagnostics;
    std::string Text;  // the bytes the score was read from: its diagnostics point into them
    // Lays the score out again (after a settings change) and renews the warning about a
    // score cut at the last page.
    void Relayout();
    // How reading the file last opened or refused went.
    CReadResult LastRead;

private:
    bool ReplaceScore();

    const CSettingsStore& Store;
    QString PathName;
};
