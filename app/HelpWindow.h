// The help pages in a window of the program: a browser with back and forward buttons
// that follows the links between the pages, so help works without a desktop handler.
#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;
class QToolButton;

class CHelpWindow : public QDialog
{
    Q_OBJECT

public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Shows the page at path (the contents page) and forgets the pages seen before;
    // false when the file cannot be read, which the caller reports.
    bool OpenPage(const QString& path);

    QTextBrowser* GetBrowser() const { return Browser; }
    QToolButton* GetBackButton() const { return BackButton; }
    QToolButton* GetForwardButton() const { return ForwardButton; }


private:
    QTextBrowser* Browser = nullptr;
    QToolButton* BackButton = nullptr;
    QToolButton* ForwardButton = nullptr;
    QToolButton* HomeButton = nullptr;
};
