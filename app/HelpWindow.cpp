#include "app/HelpWindow.h"

#include <QFile>
#include <QHBoxLayout>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace
{
QToolButton* MakeButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& text)
{
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setText(text);
    button->setToolTip(text);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}
}  // namespace

CHelpWindow::CHelpWindow(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Plekto ヘルプ"));
    // A window beside the score, not a dialog that blocks it.
    setModal(false);
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    BackButton = MakeButton(this, QStyle::SP_ArrowBack, tr("戻る"));
    ForwardButton = MakeButton(this, QStyle::SP_ArrowForward, tr("進む"));
    HomeButton = MakeButton(this, QStyle::SP_DirHomeIcon, tr("目次"));
    BackButton->setShortcut(QKeySequence::Back);
    ForwardButton->setShortcut(QKeySequence::Forward);
    BackButton->setEnabled(false);
    ForwardButton->setEnabled(false);

    Browser = new QTextBrowser(this);
    // Pages link to each other by relative names; addresses on the web go to the
    // desktop's browser, which can show them.
    Browser->setOpenLinks(true);
    Browser->setOpenExternalLinks(true);

    connect(BackButton, &QToolButton::clicked, Browser, &QTextBrowser::backward);
    connect(ForwardButton, &QToolButton::clicked, Browser, &QTextBrowser::forward);
    connect(HomeButton, &QToolButton::clicked, Browser, &QTextBrowser::home);
    connect(Browser, &QTextBrowser::backwardAvailable, BackButton, &QToolButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardButton, &QToolButton::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BackButton);
    buttons->addWidget(ForwardButton);
    buttons->addWidget(HomeButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(Browser);
    resize(720, 640);
}

bool CHelpWindow::OpenPage(const QString& path)
{
    // QTextBrowser shows an empty page for a file it cannot read; find that out first.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    file.close();
    // Opened again, the window starts over at the contents: no way back to an older visit.
    Browser->setSource(QUrl::fromLocalFile(path));
    Browser->clearHistory();
    return true;
}
