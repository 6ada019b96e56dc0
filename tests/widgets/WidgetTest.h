// Shared by the widget tests: scores written to a temporary directory, an application
// on a settings file of its own, and a way to look at a modal dialog while it runs.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "app/CommandIds.h"
#include "app/Language.h"
#include "app/MainFrame.h"
#include "app/PlektoApp.h"
#include "app/PlektoDoc.h"
#include "app/PlektoView.h"
#include "model/Score.h"
#include "settings/qt/QtSettingsStore.h"

namespace WidgetTest
{
inline QString Example(const char* name) { return QStringLiteral(PLEKTO_SOURCE_DIR "/examples/") + name; }

inline QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

// The text of a status bar pane, or of a message box.
inline QString Pane(CMainFrame& frame, const char* name)
{
    return frame.statusBar()->findChild<QLabel*>(QString::fromLatin1(name))->text();
}
inline QString MessageText(QWidget* box) { return qobject_cast<QMessageBox*>(box)->text(); }

// Pixels darker than `threshold` in grey.
inline int DarkPixels(const QImage& image, int threshold = 128)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    int dark = 0;
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            dark += grey.constScanLine(y)[x] < threshold;
    return dark;
}

// With the default settings a line holds 26 items and a page 6 lines.
constexpr int ItemsPerLine = 26;

// A score of `items` quarter notes: ItemsPerLine x n items fill exactly n lines.
inline QByteArray NotesScore(int items, const QByteArray& head = {})
{
    QByteArray text = head;
    for (int i = 0; i < items; ++i)
        text += "n4nn" + QByteArray::number(i % 13) + (i % 10 == 9 ? "/|\n" : "/");
    return text;
}

// An application whose settings live in `dir` (never the user's), started with the
// given command line. In Japanese, the language the tests compare texts in, whatever the
// locale they run under; nothing for the user's language.
inline std::unique_ptr<CPlektoApp> StartApp(const QTemporaryDir& dir, const QStringList& arguments = {},
                                            const QString& programFile = QStringLiteral("/nonexistent/bin/plekto"),
                                            std::optional<UiLanguage> language = UiLanguage::Japanese)
{
    auto store = std::make_unique<CQtSettingsStore>(dir.filePath(QStringLiteral("Plekto.conf")).toStdString());
    auto app = std::make_unique<CPlektoApp>(std::move(store));
    if (language)
        app->SetUiLanguage(*language);
    if (!app->InitInstance(arguments, programFile))
        return nullptr;
    return app;
}

// Hands each modal dialog, once it shows, to Handle, then closes it if it is still open. A
// dialog Handle declines (returns false) is recorded, a message box by its text, and closed,
// so a stray refusal fails a test instead of hanging it. Dialogs in Done are left alone.
struct CModalWatcher
{
    std::function<bool(QWidget*)> Handle;
    QStringList Messages;
    int Seen = 0;
    QList<QPointer<QWidget>> Done;
    QTimer Timer;
    explicit CModalWatcher(std::function<bool(QWidget*)> handle = {}) : Handle(std::move(handle))
    {
        QObject::connect(&Timer, &QTimer::timeout, [this] {
            QPointer<QWidget> modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible() || Done.contains(modal))
                return;
            Done << modal;
            ++Seen;
            if (!Handle || !Handle(modal)) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                Messages << (box ? box->text() : QStringLiteral("unexpected dialog ") + modal->windowTitle());
            }
            if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
                dialog->reject();
            else if (modal && modal->isVisible())
                modal->close();
        });
        Timer.start(5);
    }
};

// A handler for the dialogs of class T alone.
template <typename T, typename F>
std::function<bool(QWidget*)> Only(F handle)
{
    return [handle](QWidget* w) { auto* t = qobject_cast<T*>(w); if (t) handle(*t); return t != nullptr; };
}

// Watches for modal dialogs, handing each to `inspect`; Seen counts them.
inline std::unique_ptr<CModalWatcher> OnNextModal(std::function<void(QWidget*)> inspect)
{
    return std::make_unique<CModalWatcher>([inspect](QWidget* w) { inspect(w); return true; });
}
}  // namespace WidgetTest
