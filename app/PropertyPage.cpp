#include "app/PropertyPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <algorithm>

#include "app/PropScoreSetting.h"
#include "model/Score.h"
#include "settings/DataExchange.h"
#include "settings/SettingsTable.h"
#include "settings/Units.h"

namespace
{
const char* const RealRefused = QT_TRANSLATE_NOOP("CDataExchange", "数字を入力してください。");
const char* const IntRefused = QT_TRANSLATE_NOOP("CDataExchange", "整数を入力してください。");
const char* const PositiveRefused = QT_TRANSLATE_NOOP("CDataExchange", "0.01 以上の数字を入力してください。");

// Width of a number field: room for about a dozen digits.
constexpr int EditWidth = 88;
// The illustration's frame leaves this much room around the picture.
constexpr int FramePadding = 4;
}  // namespace

void CDataExchange::Fail(QLineEdit* edit, const char* message)
{
    Refused = true;
    QMessageBox::warning(&Page, QStringLiteral("Plekto"), QCoreApplication::translate("CDataExchange", message));
    // The refused field keeps the focus, its text selected for retyping.
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void CDataExchange::Real(QLineEdit* edit, double& value)
{
    if (!SaveAndValidate) {
        edit->setText(QString::fromStdString(DataExchange::FormatReal(value)));
        return;
    }
    if (!Reading())
        return;
    if (const auto parsed = DataExchange::ParseReal(edit->text().toStdString()))
        value = *parsed;
    else
        Fail(edit, RealRefused);
}

void CDataExchange::PositiveReal(QLineEdit* edit, double& value)
{
    if (!Reading()) {
        Real(edit, value);
        return;
    }
    double read = value;
    Real(edit, read);
    if (Refused)
        return;
    // The store keeps whole hundredths, truncated: less than one is a page of zero size.
    if (ToUnits(read) > 0)
        value = read;
    else
        Fail(edit, PositiveRefused);
}

void CDataExchange::Int(QLineEdit* edit, int32_t& value)
{
    if (!SaveAndValidate) {
        edit->setText(QString::fromStdString(DataExchange::FormatInt(value)));
        return;
    }
    if (!Reading())
        return;
    if (const auto parsed = DataExchange::ParseInt(edit->text().toStdString()))
        value = *parsed;
    else
        Fail(edit, IntRefused);
}

void CDataExchange::Text(QLineEdit* edit, QString& value)
{
    if (!SaveAndValidate)
        edit->setText(value);
    else if (Reading())
        value = edit->text();
}

void CDataExchange::Check(QCheckBox* box, bool& value)
{
    if (!SaveAndValidate)
        box->setChecked(value);
    else if (Reading())
        value = box->isChecked();
}

CPropertyPage::CPropertyPage(CPropScoreSetting& sheet, const QString& title, SettingsGroup group)
    : Sheet(sheet), Group(group), PageTitle(title)
{
}

void CPropertyPage::Load(const ScoreSettings& record)
{
    for (const auto& [setting, control] : Fields)
        CopySetting(*setting, record, Values);
}

void CPropertyPage::OnOK()
{
    ScoreSettings& record = Sheet.Score.Settings;
    for (const auto& [setting, control] : Fields)
        CopySetting(*setting, Values, record);
    record.Save(Sheet.Store, Group);
    // What is shown and laid out next is what the store holds and the next start reads.
    for (const auto& [setting, control] : Fields)
        LoadSetting(record, *setting, Sheet.Store);
}

void CPropertyPage::Bind(std::string_view key, QWidget* control)
{
    const CSetting* setting = FindSetting(key);
    Q_ASSERT(setting && setting->Group == Group && setting->Editable);
    Q_ASSERT(setting->Kind == SettingKind::Flag ? qobject_cast<QCheckBox*>(control) != nullptr
                                                : qobject_cast<QLineEdit*>(control) != nullptr);
    control->setObjectName(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
    Fields.emplace_back(setting, control);
}

QLineEdit* CPropertyPage::MakeField(std::string_view key)
{
    QLineEdit* edit = MakeEdit(QString());
    Bind(key, edit);
    return edit;
}

void CPropertyPage::DoDataExchange(CDataExchange& dx)
{
    for (const auto& [setting, control] : Fields) {
        switch (setting->Kind) {
        case SettingKind::Length:
            if (std::find(PositiveFields.begin(), PositiveFields.end(), control) != PositiveFields.end())
                dx.PositiveReal(static_cast<QLineEdit*>(control), SettingField<double>(Values, *setting));
            else
                dx.Real(static_cast<QLineEdit*>(control), SettingField<double>(Values, *setting));
            break;
        case SettingKind::Count:
            dx.Int(static_cast<QLineEdit*>(control), SettingField<int32_t>(Values, *setting));
            break;
        case SettingKind::Flag:
            dx.Check(static_cast<QCheckBox*>(control), SettingField<bool>(Values, *setting));
            break;
        case SettingKind::FontName:
        case SettingKind::FontSize:
            break;  // the font page exchanges its own rows
        }
    }
}

void CPropertyPage::Activate()
{
    Shown = true;
    OnSetActive();
    UpdateData(false);
}

bool CPropertyPage::OnKillActive() { return UpdateData(true); }

bool CPropertyPage::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void CPropertyPage::SetModified(bool modified)
{
    if (Modified == modified)
        return;
    Modified = modified;
    emit ModifiedChanged(modified);
}

QLineEdit* CPropertyPage::MakeEdit(const QString& name)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setFixedWidth(EditWidth);
    // Only the user's typing marks the page: filling it from the members does not.
    connect(edit, &QLineEdit::textEdited, this, [this] { SetModified(true); });
    return edit;
}

QLabel* CPropertyPage::MakeLabel(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, this);
    label->setBuddy(buddy);
    return label;
}

QLabel* CPropertyPage::MakeIllustration(const QString& resource, int width, int height)
{
    const QSize size(qRound(width * PictureScale), qRound(height * PictureScale));
    const qreal ratio = qGuiApp->devicePixelRatio();
    QPixmap picture(size * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::white);
    QSvgRenderer renderer(resource);
    QPainter painter(&picture);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    painter.end();

    auto* frame = new QLabel(this);
    frame->setObjectName(QStringLiteral("Illustration"));
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setAlignment(Qt::AlignCenter);
    frame->setPixmap(picture);
    frame->setFixedSize(size + QSize(2 * FramePadding, 2 * FramePadding));
    return frame;
}
