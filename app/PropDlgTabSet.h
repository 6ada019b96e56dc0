// The page "TAB行設定": the bands and string pitch of a TAB line, the drawing unit, the
// "TAB" head, and read-outs of the line height, the lines per page and the strings.
#pragma once

#include "app/PropertyPage.h"

class CPropDlgTabSet : public CPropertyPage
{
    Q_OBJECT

public:
    explicit CPropDlgTabSet(CPropScoreSetting& sheet);

protected:
    // The read-outs are worked out here, from the page's copy, and only here: typing on
    // the page does not change them until it is entered again.
    void OnSetActive() override;

private:
    void OnShowTabClicked();

    QCheckBox* ShowTabBox;
    QLineEdit* UnitsForTabEdit;
    QLabel* LineHeightText;
    QLabel* LinesPerPageText;
    QLabel* StringsText;
};
