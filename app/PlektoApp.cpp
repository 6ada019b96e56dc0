#include "app/PlektoApp.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <cerrno>

#include "app/AboutDlg.h"
#include "app/FileWatcher.h"
#include "app/Help.h"
#include "app/Language.h"
#include "app/MainFrame.h"
#include "app/Player.h"
#include "app/PlektoDoc.h"
#include "app/PlektoView.h"
#include "app/PropScoreSetting.h"
#include "settings/qt/QtSettingsStore.h"

// A value of the viewer's own, apart from the score settings.
const QString CPlektoApp::AutoReloadKey = QStringLiteral("Viewer/AutoReload");

const QStringList CPlektoApp::OpenFilters = {QStringLiteral("Plekto Files(*.tab;*.txt)"),
                                             QStringLiteral("All Files(*.*)")};

namespace
{
// The patterns of a filter such as "Plekto Files(*.tab;*.txt)". Qt's dialog splits
// patterns at spaces only, so the semicolon list is split here.
QStringList FilterPatterns(const QString& filter)
{
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open)
        return {QStringLiteral("*")};
    return filter.mid(open + 1, close - open - 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

void ApplyFilter(QFileDialog& dialog, const QString& filter)
{
    if (auto* model = dialog.findChild<QFileSystemModel*>())
        model->setNameFilters(FilterPatterns(filter));
}

QString ShownPath(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }
QString ReasonOf(const CReadResult& result) { return QString::fromLocal8Bit(result.Reason().c_str()); }

// "ファイルを開けません: <path>\n<reason>", the reason as the reader gives it.
QString OpenFailureText(const QString& path, const CReadResult& result)
{
    // One substitution pass: a path may itself contain "%2".
    return CPlektoApp::tr("ファイルを開けません: %1\n%2").arg(ShownPath(path), ReasonOf(result));
}

// The status bar's note while the file shown cannot be read again.
QString UnreadableText(const QString& path, const CReadResult& result)
{
    if (result.Error == ReadError::CannotOpen && result.SystemError == ENOENT)
        return CPlektoApp::tr("ファイルが見つかりません: %1 (前回読み込んだ内容を表示しています)").arg(ShownPath(path));
    return CPlektoApp::tr("ファイルを読めません: %1: %2 (前回読み込んだ内容を表示しています)")
        .arg(ShownPath(path), ReasonOf(result));
}

}  // namespace

CPlektoApp::CPlektoApp(std::unique_ptr<CQtSettingsStore> store)
    : Store(std::move(store)), RecentFiles(Store->Settings()), Watcher(std::make_unique<CFileWatcher>())
{
    Watcher->SetEnabled(GetAutoReload());
    connect(Watcher.get(), &CFileWatcher::Changed, this, &CPlektoApp::OnWatchedFileChanged);
    ReloadRetry = new QTimer(this);
    ReloadRetry->setSingleShot(true);
    ReloadRetry->setInterval(200);
    connect(ReloadRetry, &QTimer::timeout, Watcher.get(), &CFileWatcher::CheckNow);
}

CPlektoApp::~CPlektoApp()
{
    // No reload may arrive once the frame is gone.
    Watcher.reset();
    // The frame's view refers to the document and the printer: it goes first.
    Frame.reset();
}

QSettings& CPlektoApp::GetSettings() const { return Store->Settings(); }

bool CPlektoApp::GetAutoReload() const { return Store->Settings().value(AutoReloadKey, true).toBool(); }

void CPlektoApp::SetAutoReload(bool on)
{
    Store->Settings().setValue(AutoReloadKey, on);
    Watcher->SetEnabled(on);
}

bool CPlektoApp::InitInstance(const QStringList& arguments, const QString& programFile)
{
    // Before any window, so that Qt's texts in them are translated from the start.
    if (!Translation)
        Translation = std::make_unique<CUiTranslation>(Language.value_or(SystemUiLanguage()));
    RecentFiles.ReadList();
    Doc = std::make_unique<CPlektoDoc>(*Store);
    Printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    Frame = std::make_unique<CMainFrame>(*this, *Doc);
    if (!Frame->OnCreate())
        return false;
    // The settings command's sheet edits the score on screen and saves to the store; each
    // Apply lays the score out again while the sheet stays open.
    CPlektoView* view = Frame->GetView();
    view->ScoreSettingsSheet = [this, view](QWidget* parent, CScore& score) {
        CPropScoreSetting sheet(score, *Store, parent);
        connect(&sheet, &CPropScoreSetting::Applied, view, &CPlektoView::OnSettingsApplied);
        connect(&sheet, &CPropScoreSetting::Applied, Frame.get(), &CMainFrame::UpdateProblems);
        const bool accepted = sheet.exec() == QDialog::Accepted;
        // The problems list shows the cut at the last page as the new settings give it.
        if (accepted)
            Doc->Relayout();
        Frame->UpdateProblems();
        return accepted;
    };
    Frame->UpdateRecentFileMenu(RecentFiles.Entries());
    bool processed = arguments.isEmpty() ? NewDocument() : OpenFile(arguments.first(), -1, false);
    // A file named on the command line that cannot be read: the viewer starts with an
    // empty score, and the message comes once the window is up.
    const CReadResult failure = Doc->LastRead;
    if (!failure)
        processed = NewDocument();
    if (!processed)
        return false;
    HelpFilePath = FormHelpPath(programFile, Translation->Language());
    // A new window takes three quarters of the screen, as windows placed by default do.
    if (const QScreen* screen = Frame->screen())
        Frame->resize(screen->availableGeometry().size() * 3 / 4);
    Frame->show();
    if (!failure)
        ReportOpenFailure(arguments.first(), failure, -1);
    return true;
}

void CPlektoApp::DocumentChanged()
{
    Frame->UpdateFrameTitle();
    Frame->GetView()->OnInitialUpdate();
    Frame->UpdateProblems();
    Frame->GetPlayer()->Prepare();
}

void CPlektoApp::StopPlayback()
{
    if (Frame && Frame->GetPlayer())
        Frame->GetPlayer()->Close();
}

bool CPlektoApp::NewDocument()
{
    StopPlayback();
    Watcher->Clear();
    const bool ok = Doc->OnNewDocument();
    DocumentChanged();
    return ok;
}

bool CPlektoApp::OpenDocumentFile(const QString& path) { return OpenFile(path, -1, true); }

bool CPlektoApp::OpenFile(const QString& path, int recentIndex, bool report)
{
    StopPlayback();
    // Watched before it is read, so that a save during the read is not missed.
    const QString shown = Doc->GetPathName();
    Watcher->Watch(path);
    const bool ok = Doc->OnOpenDocument(path);
    if (!Doc->LastRead) {
        // The score shown before stays, and so does the watch on its file.
        if (shown.isEmpty())
            Watcher->Clear();
        else
            Watcher->Watch(shown);
        if (report)
            ReportOpenFailure(path, Doc->LastRead, recentIndex);
        return false;
    }
    if (ok) {
        RecentFiles.Add(path);
        RecentFiles.WriteList();
        Frame->UpdateRecentFileMenu(RecentFiles.Entries());
    }
    DocumentChanged();
    return ok;
}

void CPlektoApp::ReportOpenFailure(const QString& path, const CReadResult& result, int recentIndex)
{
    const QString text = OpenFailureText(path, result);
    if (recentIndex < 0) {
        QMessageBox::warning(Frame.get(), CMainFrame::AppTitle, text);
        return;
    }
    // A recent entry that no longer opens would fail the same way next time.
    const QString question = text + tr("\n\n最近使ったファイルの一覧から削除しますか？");
    if (QMessageBox::question(Frame.get(), CMainFrame::AppTitle, question) != QMessageBox::Yes)
        return;
    RecentFiles.Remove(recentIndex);
    RecentFiles.WriteList();
    Frame->UpdateRecentFileMenu(RecentFiles.Entries());
}

bool CPlektoApp::ReloadDocument()
{
    const QString path = Doc->GetPathName();
    if (path.isEmpty() || !Frame)
        return false;
    StopPlayback();
    Watcher->MarkSeen();
    const bool ok = Doc->OnOpenDocument(path);
    if (!Doc->LastRead) {
        // The last score read stays on screen; the watcher reports the file's return.
        Frame->ShowStatusNote(UnreadableText(path, Doc->LastRead));
        return false;
    }
    Frame->UpdateFrameTitle();
    Frame->GetView()->OnReloadUpdate();
    Frame->UpdateProblems();
    Frame->GetPlayer()->Prepare();
    return ok;
}

void CPlektoApp::OnWatchedFileChanged()
{
    // A dialog may hold the score (the settings sheet edits it, the preview prints it):
    // the file is looked at again once no dialog is open.
    if (QApplication::activeModalWidget()) {
        ReloadRetry->start();
        return;
    }
    ReloadDocument();
}

std::unique_ptr<QFileDialog> CPlektoApp::CreateOpenDialog(QWidget* parent)
{
    auto dialog = std::make_unique<QFileDialog>(parent);
    // Qt's own dialog everywhere, so that the filters behave alike on every desktop.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // A name that does not exist may be typed: opening it then says why it failed.
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(OpenFilters);
    QFileDialog* raw = dialog.get();
    ApplyFilter(*raw, OpenFilters.first());
    // The dialog sets its own patterns when a filter is picked; these follow after.
    if (auto* combo = raw->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        QObject::connect(combo, &QComboBox::activated, raw,
                         [raw](int index) { ApplyFilter(*raw, OpenFilters.value(index)); });
    return dialog;
}

void CPlektoApp::OnFileOpen()
{
    const auto dialog = CreateOpenDialog(Frame.get());
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    OpenDocumentFile(dialog->selectedFiles().first());
}

void CPlektoApp::OnFileNew() { NewDocument(); }

void CPlektoApp::OnFileReload()
{
    // Asked for by hand, a failure gets the same message as opening.
    if (!ReloadDocument() && !Doc->GetPathName().isEmpty() && !Doc->LastRead)
        QMessageBox::warning(Frame.get(), CMainFrame::AppTitle, OpenFailureText(Doc->GetPathName(), Doc->LastRead));
}

void CPlektoApp::OnFilePrintSetup()
{
    QPageSetupDialog dialog(Printer.get(), Frame.get());
    dialog.exec();
}

void CPlektoApp::OnOpenRecentFile(int index)
{
    if (index < 0 || index >= RecentFiles.Entries().size())
        return;
    // A copy: opening reorders the list.
    const QString path = RecentFiles.Entries()[index];
    OpenFile(path, index, true);
}

void CPlektoApp::OnAppAbout()
{
    CAboutDlg dialog(Frame.get());
    dialog.exec();
}
