// One page of the settings sheet. A page keeps its own copy of its settings group:
// its controls are filled from it each time it becomes active and read back (and
// checked) when it is left and when OK or Apply is pressed. Only a page that has been
// shown stores its copy into the record.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/ScoreSettings.h"

struct CSetting;
class CPropScoreSetting;
class QCheckBox;
class QLabel;
class QLineEdit;

// One pass of data exchange over a page's fields, in the page's order. Reading stops at
// the first refused field: it gets the message and the focus, and the fields after it
// are left as they were.
class CDataExchange
{
public:
    CDataExchange(QWidget& page, bool saveAndValidate) : Page(page), SaveAndValidate(saveAndValidate) {}

    void Real(QLineEdit* edit, double& value);
    // A real of at least one stored hundredth (a page's size: zero or less mirrors the page).
    void PositiveReal(QLineEdit* edit, double& value);
    void Int(QLineEdit* edit, int32_t& value);
    void Text(QLineEdit* edit, QString& value);
    void Check(QCheckBox* box, bool& value);

    bool Failed() const { return Refused; }

private:
    bool Reading() const { return SaveAndValidate && !Refused; }
    // message: one of the refusals, translated when shown.
    void Fail(QLineEdit* edit, const char* message);

    QWidget& Page;
    bool SaveAndValidate;
    bool Refused = false;
};

class CPropertyPage : public QWidget
{
    Q_OBJECT

public:
    // The pages' pictures are drawn in picture pixels and shown this many times as large,
    // so that their small letters stay legible.
    static constexpr double PictureScale = 1.5;

    CPropertyPage(CPropScoreSetting& sheet, const QString& title, SettingsGroup group);

    const QString& Title() const { return PageTitle; }
    bool WasShown() const { return Shown; }

    // The sheet's calls: the page becomes the current one; the page is about to be
    // left (false keeps it, a field having been refused); OK or Apply.
    void Activate();
    virtual bool OnKillActive();
    // Stores the page's fields into the record, then its group into the store, and takes
    // back into the record what the store holds (lengths in whole hundredths, saturated).
    virtual void OnOK();

    // Copies the page's fields from the record.
    virtual void Load(const ScoreSettings& record);

    // Fills the controls from the members, or reads them back; false when a field was
    // refused.
    bool UpdateData(bool saveAndValidate);

    // The page's copy of its settings group; only the page's own fields are used.
    ScoreSettings Values;

    bool IsModified() const { return Modified; }
    void SetModified(bool modified);

signals:
    void ModifiedChanged(bool modified);

protected:
    virtual void OnSetActive() {}
    // The bound fields in the order they were bound.
    virtual void DoDataExchange(CDataExchange& dx);

    // Building blocks of the pages' forms.
    QLineEdit* MakeEdit(const QString& name);
    // The edit of one of the page's settings, named after its key, and bound to it.
    QLineEdit* MakeField(std::string_view key);
    // Exchanges the control with the page's copy of the setting; the control is named
    // after the setting's key.
    void Bind(std::string_view key, QWidget* control);
    // A bound length field that refuses what would be stored as zero or less.
    void RequirePositive(QWidget* control) { PositiveFields.push_back(control); }
    QLabel* MakeLabel(const QString& text, QWidget* buddy);
    // The picture at the page's top left, tying the letters of the labels to what they
    // measure, in a sunken frame. Its size is given in picture pixels.
    QLabel* MakeIllustration(const QString& resource, int width, int height);

    CPropScoreSetting& Sheet;
    const SettingsGroup Group;

private:
    std::vector<std::pair<const CSetting*, QWidget*>> Fields;
    std::vector<QWidget*> PositiveFields;
    QString PageTitle;
    bool Shown = false;
    bool Modified = false;
};
