#include "app/PropDlgTabSet.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "model/Score.h"
#include "settings/DataExchange.h"
#include "app/PropDlgPageSet.h"
#include "app/PropScoreSetting.h"

CPropDlgTabSet::CPropDlgTabSet(CPropScoreSetting& sheet)
    : CPropertyPage(sheet, tr("TAB行設定"), SettingsGroup::Tab)
{
    const std::pair<QString, std::string_view> rows[] = {
        {tr("(a).コード表示の高さ(&C)"), "ChordZoneHeight"},
        {tr("(b).３連符部分の高さ(&3)："), "TripletZoneHeight"},
        {tr("(c).TAB上側余白(&U)："), "TabUpperMargin"},
        {tr("(d).６線の線間ピッチ(&P)："), "PitchBetweenLine"},
        {tr("(e).TAB下側余白(&L)："), "TabLowerMargin"},
        {tr("(f)１描画単位の幅(&W)："), "UnitWidth"},
    };
    QLineEdit* edits[std::size(rows)];
    for (std::size_t i = 0; i < std::size(rows); ++i)
        edits[i] = MakeField(rows[i].second);
    UnitsForTabEdit = MakeEdit(QString());

    auto* fields = new QGridLayout;
    int row = 0;
    for (QLineEdit* edit : edits) {
        fields->addWidget(MakeLabel(rows[row].first, edit), row, 0);
        fields->addWidget(edit, row, 1);
        ++row;
    }

    auto* head = new QGroupBox(tr("(g).行頭表示設定："), this);
    ShowTabBox = new QCheckBox(tr("文字列\"TAB\"を行頭に表示する(&T)"), head);
    // Exchanged after the six lengths and before the units, as the form reads.
    Bind("ShowTAB", ShowTabBox);
    Bind("UnitsForTAB", UnitsForTabEdit);
    connect(ShowTabBox, &QCheckBox::clicked, this, &CPropDlgTabSet::OnShowTabClicked);
    auto* headLayout = new QGridLayout(head);
    headLayout->addWidget(ShowTabBox, 0, 0, 1, 3);
    headLayout->addWidget(MakeLabel(tr("必要Unit数(&U)："), UnitsForTabEdit), 1, 0);
    headLayout->addWidget(UnitsForTabEdit, 1, 1);
    headLayout->setColumnStretch(2, 1);
    fields->addWidget(head, row++, 0, 1, 2);
    fields->setRowStretch(row, 1);

    auto* upper = new QHBoxLayout;
    upper->addWidget(MakeIllustration(QStringLiteral(":/settings/tab.svg"), 120, 127), 0, Qt::AlignTop);
    upper->addSpacing(12);
    upper->addLayout(fields);
    upper->addStretch(1);

    // The read-outs sit in a frame without caption across the bottom of the page.
    auto* readouts = new QFrame(this);
    readouts->setFrameStyle(QFrame::Box | QFrame::Sunken);
    LineHeightText = new QLabel(tr("１行の高さ："), readouts);
    LineHeightText->setObjectName(QStringLiteral("LineHeightReadout"));
    LinesPerPageText = new QLabel(tr("１ページの行数："), readouts);
    LinesPerPageText->setObjectName(QStringLiteral("LinesPerPageReadout"));
    StringsText = new QLabel(tr("弦の数："), readouts);
    StringsText->setObjectName(QStringLiteral("StringsReadout"));
    auto* readoutLayout = new QHBoxLayout(readouts);
    for (QLabel* text : {LineHeightText, LinesPerPageText, StringsText})
        readoutLayout->addWidget(text, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(upper);
    layout->addStretch(1);
    layout->addWidget(readouts);
}

void CPropDlgTabSet::OnSetActive()
{
    const ScoreSettings& v = Values;
    UnitsForTabEdit->setEnabled(v.ShowTAB);

    const double lineHeight = DataExchange::LineHeightReadout(v.PitchBetweenLine, v.ChordZoneHeight,
                                                              v.TabUpperMargin, v.TabLowerMargin, v.TripletZoneHeight);
    LineHeightText->setText(tr("１行の高さ： %1 mm")
                                .arg(QString::fromStdString(DataExchange::FormatFixed1(lineHeight))));

    const ScoreSettings& page = Sheet.PageSet().Values;
    const int32_t lines =
        DataExchange::LinesPerPageReadout(page.PageHeight, page.MarginTop, page.MarginBottom, lineHeight);
    LinesPerPageText->setText(tr("１ページの行数： %1 行").arg(lines));

    StringsText->setText(tr("弦数： %1 本").arg(Sheet.Score.Settings.Strings));
}

void CPropDlgTabSet::OnShowTabClicked()
{
    Values.ShowTAB = !Values.ShowTAB;
    UnitsForTabEdit->setEnabled(Values.ShowTAB);
    SetModified(true);
}
