// The page "ページ設定": the page size and its four margins, in millimetres.
#pragma once

#include "app/PropertyPage.h"

class CPropDlgPageSet : public CPropertyPage
{
    Q_OBJECT

public:
    // The TAB page reads the lines per page from this page's copy as it stood when this
    // page was last left.
    explicit CPropDlgPageSet(CPropScoreSetting& sheet);
};
