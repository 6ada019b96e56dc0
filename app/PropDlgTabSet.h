// The page "TAB行設定": the bands and string pitch of a TAB line, the drawing unit, the
// "TAB" head, and read-outs of the line height, the lines per page and the strings.
#pragma once

#include "app/PropertyPage.h"

class CPropDlgTabSet : public CPropertyPage
{
    Q_OBJECT

public:
    explicit CPropDlgTabSet(CPropScoreSetting& sheet);

    void OnOK() override;

    // The page's copy of the TAB group; ShowTAB is 0 or 1 here. Strings is only shown.
    double ChordZoneHeight = 0;
    double TripletZoneHeight = 0;
    double TabUpperMargin = 0;
    double PitchBetweenLine = 0;
    double TabLowerMargin = 0;
    double UnitWidth = 0;
    int32_t ShowTAB = 0;
    int32_t UnitsForTAB = 0;

protected:
    // The read-outs are worked out here, from the members, and only here: typing on the
    // page does not change them until it is entered again.
    void OnSetActive() override;
    void DoDataExchange(CDataExchange& dx) override;

private:
    void OnShowTabClicked();

    QLineEdit* ChordZoneHeightEdit;
    QLineEdit* TripletZoneHeightEdit;
    QLineEdit* TabUpperMarginEdit;
    QLineEdit* PitchBetweenLineEdit;
    QLineEdit* TabLowerMarginEdit;
    QLineEdit* UnitWidthEdit;
    QCheckBox* ShowTabBox;
    QLineEdit* UnitsForTabEdit;
    QLabel* LineHeightText;
    QLabel* LinesPerPageText;
    QLabel* StringsText;
};
