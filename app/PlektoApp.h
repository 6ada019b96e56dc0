// The application: start-up in a fixed order (settings store, recent files, document,
// main frame and view, the command line, the help path, showing the window), and the
// commands that belong to no window: open, close (a new empty score), printer set-up,
// recent files and the About box.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "app/RecentFileList.h"
#include "app/Language.h"
#include "model/Reader.h"

class CFileWatcher;
class CMainFrame;
class CPlektoDoc;
class CQtSettingsStore;
class CUiTranslation;
class QFileDialog;
class QPrinter;
class QSettings;
class QTimer;
class QWidget;

class CPlektoApp : public QObject
{
    Q_OBJECT

public:
    // The store holds the settings of every new score, the recent-file list and the
    // print preview's page count.
    explicit CPlektoApp(std::unique_ptr<CQtSettingsStore> store);
    ~CPlektoApp() override;

    // arguments: the command line without the program's name; the first one, if any,
    // names a score file to open (one that cannot be read leaves an empty score, and its
    // message shows over the window). programFile locates the help pages. Installs the
    // translation of the language chosen, else the user's. False when the main window
    // cannot be made.
    bool InitInstance(const QStringList& arguments, const QString& programFile);
    // The language of the menus, dialogs and help pages, before InitInstance.
    void SetUiLanguage(UiLanguage language) { Language = language; }

    // The framework's open path: the document reads the file, the file joins the
    // recent files, the title and the view follow. A file that cannot be read changes
    // nothing: a message box names it and the reader's reason, and false.
    bool OpenDocumentFile(const QString& path);
    // The new-document path: an empty score under the name "無題".
    bool NewDocument();
    // The open file read again as Open reads it, keeping the title, the scroll position
    // and the recent files as they are. False when no file is open, or when it cannot be
    // read: the score stays and the status bar says so until a reload succeeds.
    bool ReloadDocument();

    // Whether the open file is read again whenever it changes on disk; kept in the
    // store under AutoReloadKey.
    bool GetAutoReload() const;
    void SetAutoReload(bool on);
    CFileWatcher& GetWatcher() const { return *Watcher; }
    static const QString AutoReloadKey;

    // The File Open dialog: both filters, no default extension, no initial name.
    static std::unique_ptr<QFileDialog> CreateOpenDialog(QWidget* parent);
    static const QStringList OpenFilters;

    CMainFrame* GetMainFrame() const { return Frame.get(); }
    CPlektoDoc& GetDocument() const { return *Doc; }
    const CRecentFileList& GetRecentFiles() const { return RecentFiles; }
    QPrinter& GetPrinter() const { return *Printer; }
    QSettings& GetSettings() const;
    const std::optional<QString>& GetHelpFilePath() const { return HelpFilePath; }
    void SetHelpFilePath(std::optional<QString> path) { HelpFilePath = std::move(path); }

public slots:
    void OnFileOpen();
    void OnFileNew();
    void OnFileReload();
    void OnFilePrintSetup();
    void OnOpenRecentFile(int index);
    void OnAppAbout();

private:
    // recentIndex: the recent entry being opened, -1 for none; on failure that entry
    // offers to leave the list. Without report the caller tells of a failure itself.
    bool OpenFile(const QString& path, int recentIndex, bool report);
    void ReportOpenFailure(const QString& path, const CReadResult& result, int recentIndex);
    void DocumentChanged();
    // Before the score is replaced: the player and its cursor let go of it.
    void StopPlayback();
    void OnWatchedFileChanged();

    std::unique_ptr<CQtSettingsStore> Store;
    std::optional<UiLanguage> Language;
    // Removed from the application with this object.
    std::unique_ptr<CUiTranslation> Translation;
    CRecentFileList RecentFiles;
    std::unique_ptr<CPlektoDoc> Doc;
    std::unique_ptr<QPrinter> Printer;
    std::unique_ptr<CMainFrame> Frame;
    std::unique_ptr<CFileWatcher> Watcher;
    QTimer* ReloadRetry = nullptr;
    std::optional<QString> HelpFilePath;
};
