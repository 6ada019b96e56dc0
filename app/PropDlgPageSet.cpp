#include "app/PropDlgPageSet.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

CPropDlgPageSet::CPropDlgPageSet(CPropScoreSetting& sheet)
    : CPropertyPage(sheet, tr("ページ設定"), SettingsGroup::Page)
{
    auto* fields = new QGridLayout;
    const std::pair<QString, std::string_view> rows[] = {
        {tr("(a)ページ幅(&W)："), "PageWidth"},     {tr("(b)ページ高さ(&H)："), "PageHeight"},
        {tr("(c)左側余白(&L)："), "MarginLeft"},    {tr("(d)上側余白(&T)："), "MarginTop"},
        {tr("(e)右側余白(&R)："), "MarginRight"},   {tr("(f)下側余白(&B)："), "MarginBottom"},
    };
    QLineEdit* edits[std::size(rows)];
    for (std::size_t i = 0; i < std::size(rows); ++i)
        edits[i] = MakeField(rows[i].second);
    // Only the size: a margin of zero or less is a layout choice.
    RequirePositive(edits[0]);
    RequirePositive(edits[1]);
    int row = 0;
    for (QLineEdit* edit : edits) {
        fields->addWidget(MakeLabel(rows[row].first, edit), row, 0);
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
