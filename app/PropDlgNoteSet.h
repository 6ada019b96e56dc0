// The page "音符設定": beam height and gap, stem height, and the gap between the stem
// tips and a tuplet mark, in millimetres.
#pragma once

#include "app/PropertyPage.h"

class CPropDlgNoteSet : public CPropertyPage
{
    Q_OBJECT

public:
    explicit CPropDlgNoteSet(CPropScoreSetting& sheet);
};
