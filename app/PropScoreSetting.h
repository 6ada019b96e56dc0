// The modal settings sheet "譜面設定": four pages over the settings record of the score on
// screen (page, TAB line, notes, fonts). OK and Apply store every page that has been
// shown, in tab order, into the record and the settings store; the caller then lays the
// score out again and repaints (after OK when the dialog returns Accepted, after Apply
// on the Applied signal). Cancel stores nothing further.
#pragma once

#include <QDialog>
#include <array>

#include "app/PropertyPage.h"

class CPropDlgFontSet;
class CPropDlgNoteSet;
class CPropDlgPageSet;
class CPropDlgTabSet;
class CScore;
class CSettingsStore;
class QPushButton;
class QTabWidget;

class CPropScoreSetting : public QDialog
{
    Q_OBJECT

public:
    CPropScoreSetting(CScore& score, CSettingsStore& store, QWidget* parent = nullptr);
    ~CPropScoreSetting() override;

    // Copies the record into the pages' copies (font sizes as whole points).
    void LoadFromScore();

    CScore& Score;
    CSettingsStore& Store;

    CPropDlgPageSet& PageSet() const { return *Page1; }
    CPropDlgTabSet& TabSet() const { return *Page2; }
    CPropDlgNoteSet& NoteSet() const { return *Page3; }
    CPropDlgFontSet& FontSet() const { return *Page4; }

    QTabWidget* Tabs() const { return TabWidget; }
    QPushButton* OkButton() const { return Ok; }
    QPushButton* CancelButton() const { return Cancel; }
    QPushButton* ApplyButton() const { return Apply; }

signals:
    // Apply has stored the shown pages; the sheet stays open.
    void Applied();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnTabChanged(int index);
    void OnOk();
    void OnApplyNow();
    // Takes the current page's fields back, runs every shown page's OK handler in tab
    // order and fills the pages again from the record. False when a field was refused:
    // nothing is stored then.
    bool StoreShownPages();
    void UpdateApplyButton();

    CPropDlgPageSet* Page1;
    CPropDlgTabSet* Page2;
    CPropDlgNoteSet* Page3;
    CPropDlgFontSet* Page4;
    std::array<CPropertyPage*, 4> Pages;
    QTabWidget* TabWidget;
    QPushButton* Ok;
    QPushButton* Cancel;
    QPushButton* Apply;
    int Active = 0;
    bool Started = false;
};
