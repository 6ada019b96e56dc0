#include "app/PropDlgNoteSet.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

CPropDlgNoteSet::CPropDlgNoteSet(CPropScoreSetting& sheet)
    : CPropertyPage(sheet, tr("音符設定"), SettingsGroup::Note)
{
    QLineEdit* flagHeight = MakeField("FlagHeight");
    QLineEdit* flagMargin = MakeField("FlagMargin");
    QLineEdit* stemHeight = MakeField("StemHeight");
    QLineEdit* stemMargin = MakeField("StemMargin");

    auto* fields = new QGridLayout;
    fields->addWidget(MakeLabel(tr("(a)Flagの高さ(&F)："), flagHeight), 0, 0);
    fields->addWidget(flagHeight, 0, 1);
    fields->addWidget(MakeLabel(tr("(b)Flag間のすき間(&B)："), flagMargin), 1, 0);
    fields->addWidget(flagMargin, 1, 1);
    fields->addWidget(MakeLabel(tr("(c)音符棒の高さ(&H)："), stemHeight), 2, 0);
    fields->addWidget(stemHeight, 2, 1);
    // The long label takes the whole row; its field stands one row below.
    fields->addWidget(MakeLabel(tr("(d)音符棒と連符記号のすき間(&3)："), stemMargin), 3, 0, 1, 2);
    fields->addWidget(stemMargin, 4, 1);
    fields->setRowStretch(5, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(MakeIllustration(QStringLiteral(":/settings/note.svg"), 120, 121), 0, Qt::AlignTop);
    layout->addSpacing(12);
    layout->addLayout(fields);
    layout->addStretch(1);
}
