// The page "フォント設定": face name and size in whole points of the four fonts (main
// title, sub-title, fret numbers, "TAB"), each with a button that opens the font dialog.
#pragma once

#include <QFont>
#include <array>

#include "app/PropertyPage.h"

class QFontDialog;
class QPushButton;

class CPropDlgFontSet : public CPropertyPage
{
    Q_OBJECT

public:
    // One font entry as the page holds it: the face as text, the size in whole points.
    struct Row
    {
        QString Name;
        int32_t Points = 0;
    };
    enum RowIndex { MainTitle, SubTitle, Fret, TAB, RowCount };

    explicit CPropDlgFontSet(CPropScoreSetting& sheet);

    // Copies the record's four entries into the rows (tenths of a point / 10).
    void Load(const ScoreSettings& record) override;
    void OnOK() override;

    // The button of a row: takes the fields back, opens the font dialog on the row's face
    // and size, and on confirmation puts the chosen face and size into the row.
    void ChooseRowFont(int row);

    // The dialog's starting font for a row on a screen of the given vertical pixels per
    // inch: the face (at most 31 characters; an installed stand-in when the face itself
    // is not installed) with the row's size as an em height in pixels.
    static QFont DialogFont(const Row& row, int pixelsPerInch);
    // What a confirmed dialog gives a row: its face, and its size in tenths of a point
    // cut to whole points (10.5 pt becomes 10).
    static Row RowFromFont(const QFont& font);

    std::array<Row, RowCount> Rows;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    // The table's name and size settings of each row.
    std::array<const CSetting*, RowCount> NameSettings{};
    std::array<const CSetting*, RowCount> SizeSettings{};
    std::array<QLineEdit*, RowCount> NameEdits{};
    std::array<QLineEdit*, RowCount> SizeEdits{};
};
