// The page "音符設定": beam height and gap, stem height, and the gap between the stem
// tips and a tuplet mark, in millimetres.
#pragma once

#include "app/PropertyPage.h"

class CPropDlgNoteSet : public CPropertyPage
{
    Q_OBJECT

public:
    explicit CPropDlgNoteSet(CPropScoreSetting& sheet);

    void OnOK() override;

    double FlagHeight = 0;
    double FlagMargin = 0;
    double StemHeight = 0;
    double StemMargin = 0;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    QLineEdit* FlagHeightEdit;
    QLineEdit* FlagMarginEdit;
    QLineEdit* StemHeightEdit;
    QLineEdit* StemMarginEdit;
};
