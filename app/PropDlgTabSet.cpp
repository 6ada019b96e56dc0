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

CPropDlgTabSet::CPropDlgTabSet(CPropScoreSetting& sheet) : CPropertyPage(sheet, QStringLiteral("TAB行設定"))
{
    ChordZoneHeightEdit = MakeEdit(QStringLiteral("ChordZoneHeight"));
    TripletZoneHeightEdit = MakeEdit(QStringLiteral("TripletZoneHeight"));
    TabUpperMarginEdit = MakeEdit(QStringLiteral("TabUpperMargin"));
    PitchBetweenLineEdit = MakeEdit(QStringLiteral("PitchBetweenLine"));
    TabLowerMarginEdit = MakeEdit(QStringLiteral("TabLowerMargin"));
    UnitWidthEdit = MakeEdit(QStringLiteral("UnitWidth"));
    UnitsForTabEdit = MakeEdit(QStringLiteral("UnitsForTAB"));

    auto* fields = new QGridLayout;
    const std::pair<QString, QLineEdit*> rows[] = {
        {QStringLiteral("(a).コード表示の高さ(&C)"), ChordZoneHeightEdit},
        {QStringLiteral("(b).３連符部分の高さ(&3)："), TripletZoneHeightEdit},
        {QStringLiteral("(c).TAB上側余白(&U)："), TabUpperMarginEdit},
        {QStringLiteral("(d).６線の線間ピッチ(&P)："), PitchBetweenLineEdit},
        {QStringLiteral("(e).TAB下側余白(&L)："), TabLowerMarginEdit},
        {QStringLiteral("(f)１描画単位の幅(&W)："), UnitWidthEdit},
    };
    int row = 0;
    for (const auto& [text, edit] : rows) {
        fields->addWidget(MakeLabel(text, edit), row, 0);
        fields->addWidget(edit, row, 1);
        ++row;
    }

    auto* head = new QGroupBox(QStringLiteral("(g).行頭表示設定："), this);
    ShowTabBox = new QCheckBox(QStringLiteral("文字列\"TAB\"を行頭に表示する(&T)"), head);
    ShowTabBox->setObjectName(QStringLiteral("ShowTAB"));
    connect(ShowTabBox, &QCheckBox::clicked, this, &CPropDlgTabSet::OnShowTabClicked);
    auto* headLayout = new QGridLayout(head);
    headLayout->addWidget(ShowTabBox, 0, 0, 1, 3);
    headLayout->addWidget(MakeLabel(QStringLiteral("必要Unit数(&U)："), UnitsForTabEdit), 1, 0);
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
    LineHeightText = new QLabel(QStringLiteral("１行の高さ："), readouts);
    LineHeightText->setObjectName(QStringLiteral("LineHeightReadout"));
    LinesPerPageText = new QLabel(QStringLiteral("１ページの行数："), readouts);
    LinesPerPageText->setObjectName(QStringLiteral("LinesPerPageReadout"));
    StringsText = new QLabel(QStringLiteral("弦の数："), readouts);
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
    UnitsForTabEdit->setEnabled(ShowTAB == 1);

    const double lineHeight = DataExchange::LineHeightReadout(PitchBetweenLine, ChordZoneHeight, TabUpperMargin,
                                                              TabLowerMargin, TripletZoneHeight);
    LineHeightText->setText(QStringLiteral("１行の高さ： %1 mm")
                                .arg(QString::fromStdString(DataExchange::FormatFixed1(lineHeight))));

    const CPropDlgPageSet& page = Sheet.PageSet();
    const int32_t lines =
        DataExchange::LinesPerPageReadout(page.PageHeight, page.MarginTop, page.MarginBottom, lineHeight);
    LinesPerPageText->setText(QStringLiteral("１ページの行数： %1 行").arg(lines));

    StringsText->setText(QStringLiteral("弦数： %1 本").arg(Sheet.Score.Settings.Strings));
}

void CPropDlgTabSet::OnShowTabClicked()
{
    ShowTAB = ShowTAB == 0 ? 1 : 0;
    UnitsForTabEdit->setEnabled(ShowTAB == 1);
    SetModified(true);
}

void CPropDlgTabSet::DoDataExchange(CDataExchange& dx)
{
    dx.Real(ChordZoneHeightEdit, ChordZoneHeight);
    dx.Real(TripletZoneHeightEdit, TripletZoneHeight);
    dx.Real(TabUpperMarginEdit, TabUpperMargin);
    dx.Real(PitchBetweenLineEdit, PitchBetweenLine);
    dx.Real(TabLowerMarginEdit, TabLowerMargin);
    dx.Real(UnitWidthEdit, UnitWidth);
    dx.Check(ShowTabBox, ShowTAB);
    dx.Int(UnitsForTabEdit, UnitsForTAB);
}

void CPropDlgTabSet::OnOK()
{
    ScoreSettings& s = Sheet.Score.Settings;
    s.TabUpperMargin = TabUpperMargin;
    s.TabLowerMargin = TabLowerMargin;
    s.TripletZoneHeight = TripletZoneHeight;
    s.PitchBetweenLine = PitchBetweenLine;
    s.UnitWidth = UnitWidth;
    s.ShowTAB = ShowTAB == 1;
    s.UnitsForTAB = UnitsForTAB;
    s.ChordZoneHeight = ChordZoneHeight;
    s.SaveTabSettings(Sheet.Store);
}
