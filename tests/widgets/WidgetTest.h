// Shared by the widget tests: scores written to a temporary directory, an application
// on a settings file of its own, and a way to look at a modal dialog while it runs.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
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

// Calls `inspect` with the next modal dialog once it is showing, then closes it with
// reject(). Returns a flag that becomes true when that happened.
inline std::shared_ptr<bool> OnNextModal(std::function<void(QWidget*)> inspect)
{
    auto seen = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, seen, tries, inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            // Give up after a few seconds; the caller's check on the flag fails then.
            if (++*tries > 500)
                timer->deleteLater();
            return;
        }
        timer->stop();
        timer->deleteLater();
        inspect(modal);
        *seen = true;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    timer->start(10);
    return seen;
}
}  // namespace WidgetTest
