// The page "ページ設定": the page size and its four margins, in millimetres.
#pragma once

#include "app/PropertyPage.h"

class CPropDlgPageSet : public CPropertyPage
{
    Q_OBJECT

public:
    explicit CPropDlgPageSet(CPropScoreSetting& sheet);

    void OnOK() override;

    // The page's copy of the page group. The TAB page reads the lines per page from
    // these as they stood when this page was last left.
    double PageWidth = 0;
    double PageHeight = 0;
    double MarginLeft = 0;
    double MarginTop = 0;
    double MarginRight = 0;
    double MarginBottom = 0;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    QLineEdit* PageWidthEdit;
    QLineEdit* PageHeightEdit;
    QLineEdit* MarginLeftEdit;
    QLineEdit* MarginTopEdit;
    QLineEdit* MarginRightEdit;
    QLineEdit* MarginBottomEdit;
};
