#include "app/PropDlgNoteSet.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "model/Score.h"
#include "app/PropScoreSetting.h"

CPropDlgNoteSet::CPropDlgNoteSet(CPropScoreSetting& sheet) : CPropertyPage(sheet, QStringLiteral("音符設定"))
{
    FlagHeightEdit = MakeEdit(QStringLiteral("FlagHeight"));
    FlagMarginEdit = MakeEdit(QStringLiteral("FlagMargin"));
    StemHeightEdit = MakeEdit(QStringLiteral("StemHeight"));
    StemMarginEdit = MakeEdit(QStringLiteral("StemMargin"));

    auto* fields = new QGridLayout;
    fields->addWidget(MakeLabel(QStringLiteral("(a)Flagの高さ(&F)："), FlagHeightEdit), 0, 0);
    fields->addWidget(FlagHeightEdit, 0, 1);
    fields->addWidget(MakeLabel(QStringLiteral("(b)Flag間のすき間(&B)："), FlagMarginEdit), 1, 0);
    fields->addWidget(FlagMarginEdit, 1, 1);
    fields->addWidget(MakeLabel(QStringLiteral("(c)音符棒の高さ(&H)："), StemHeightEdit), 2, 0);
    fields->addWidget(StemHeightEdit, 2, 1);
    // The long label takes the whole row; its field stands one row below.
    fields->addWidget(MakeLabel(QStringLiteral("(d)音符棒と連符記号のすき間(&3)："), StemMarginEdit), 3, 0, 1, 2);
    fields->addWidget(StemMarginEdit, 4, 1);
    fields->setRowStretch(5, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(MakeIllustration(QStringLiteral(":/settings/note.svg"), 120, 121), 0, Qt::AlignTop);
    layout->addSpacing(12);
    layout->addLayout(fields);
    layout->addStretch(1);
}

void CPropDlgNoteSet::DoDataExchange(CDataExchange& dx)
{
    dx.Real(FlagHeightEdit, FlagHeight);
    dx.Real(FlagMarginEdit, FlagMargin);
    dx.Real(StemHeightEdit, StemHeight);
    dx.Real(StemMarginEdit, StemMargin);
}

void CPropDlgNoteSet::OnOK()
{
    ScoreSettings& s = Sheet.Score.Settings;
    s.FlagHeight = FlagHeight;
    s.FlagMargin = FlagMargin;
    s.StemHeight = StemHeight;
    s.StemMargin = StemMargin;
    s.SaveNoteSettings(Sheet.Store);
}
