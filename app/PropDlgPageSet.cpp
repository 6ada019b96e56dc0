#include "app/PropDlgPageSet.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "model/Score.h"
#include "app/PropScoreSetting.h"

CPropDlgPageSet::CPropDlgPageSet(CPropScoreSetting& sheet) : CPropertyPage(sheet, QStringLiteral("ページ設定"))
{
    PageWidthEdit = MakeEdit(QStringLiteral("PageWidth"));
    PageHeightEdit = MakeEdit(QStringLiteral("PageHeight"));
    MarginLeftEdit = MakeEdit(QStringLiteral("MarginLeft"));
    MarginTopEdit = MakeEdit(QStringLiteral("MarginTop"));
    MarginRightEdit = MakeEdit(QStringLiteral("MarginRight"));
    MarginBottomEdit = MakeEdit(QStringLiteral("MarginBottom"));

    auto* fields = new QGridLayout;
    const std::pair<QString, QLineEdit*> rows[] = {
        {QStringLiteral("(a)ページ幅(&W)："), PageWidthEdit},
        {QStringLiteral("(b)ページ高さ(&H)："), PageHeightEdit},
        {QStringLiteral("(c)左側余白(&L)："), MarginLeftEdit},
        {QStringLiteral("(d)上側余白(&T)："), MarginTopEdit},
        {QStringLiteral("(e)右側余白(&R)："), MarginRightEdit},
        {QStringLiteral("(f)下側余白(&B)："), MarginBottomEdit},
    };
    int row = 0;
    for (const auto& [text, edit] : rows) {
        fields->addWidget(MakeLabel(text, edit), row, 0);
        fields->addWidget(edit, row, 1);
        ++row;
    }
    fields->setRowStretch(row, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(MakeIllustration(QStringLiteral(":/settings/page.svg"), 120, 120), 0, Qt::AlignTop);
    layout->addSpacing(12);
    layout->addLayout(fields);
    layout->addStretch(1);
}

void CPropDlgPageSet::DoDataExchange(CDataExchange& dx)
{
    dx.Real(PageWidthEdit, PageWidth);
    dx.Real(PageHeightEdit, PageHeight);
    dx.Real(MarginLeftEdit, MarginLeft);
    dx.Real(MarginTopEdit, MarginTop);
    dx.Real(MarginRightEdit, MarginRight);
    dx.Real(MarginBottomEdit, MarginBottom);
}

void CPropDlgPageSet::OnOK()
{
    ScoreSettings& s = Sheet.Score.Settings;
    s.PageHeight = PageHeight;
    s.PageWidth = PageWidth;
    s.MarginLeft = MarginLeft;
    s.MarginTop = MarginTop;
    s.MarginRight = MarginRight;
    s.MarginBottom = MarginBottom;
    s.SavePageSettings(Sheet.Store);
}
