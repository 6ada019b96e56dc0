#include "app/AboutDlg.h"

#include <QFont>
#include <QFontMetricsF>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QtMath>

#include "display/qt/FontMatch.h"

const QString CAboutDlg::VersionLine = QStringLiteral("Plekto Version 1.06");

namespace
{
// Size of the dialog in dialog units.
constexpr int DialogWidth = 218;
constexpr int DialogHeight = 77;
}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Plektoについて..."));
    setObjectName(QStringLiteral("AboutDlg"));
    // The dialog's face, or the installed font that stands in for it.
    QFont font = MatchFontFace(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSize(9);
    setFont(font);
    const QFontMetricsF metrics(font, this);
    // The average width of the Latin letters, as dialog units take it.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    UnitX = metrics.horizontalAdvance(letters) / letters.size() / 4.0;
    UnitY = metrics.height() / 8.0;

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/plekto.xpm")).pixmap(32, 32));
    icon->setGeometry(FromDialogUnits(11, 10, 20, 20));

    AddLine(VersionLine, 10)->setObjectName(QStringLiteral("VersionLine"));
    AddLine(QStringLiteral("Copyright (C) Vellmar"), 25);
    AddLine(QStringLiteral("Web: https://vellmar.example/plekto/"), 40);
    AddLine(QStringLiteral("Mail: plekto@vellmar.example"), 55);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(FromDialogUnits(178, 7, 32, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(FromDialogUnits(0, 0, DialogWidth, DialogHeight).size());
}

QRect CAboutDlg::FromDialogUnits(int x, int y, int w, int h) const
{
    return QRect(qRound(x * UnitX), qRound(y * UnitY), qRound(w * UnitX), qRound(h * UnitY));
}

QLabel* CAboutDlg::AddLine(const QString& text, int top)
{
    auto* label = new QLabel(text, this);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Lines below the OK button may run to the dialog's right margin.
    const int width = top < 21 ? 134 : 170;
    label->setGeometry(FromDialogUnits(40, top, width, 10));
    return label;
}
