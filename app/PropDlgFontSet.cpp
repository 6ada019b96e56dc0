#include "app/PropDlgFontSet.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdlib>

#include "display/qt/FontMatch.h"
#include "display/qt/TextCodec.h"
#include "model/Score.h"
#include "settings/DataExchange.h"
#include "settings/SettingsTable.h"
#include "settings/Units.h"
#include "app/PropScoreSetting.h"

namespace
{
// The longest face name the dialog is given.
constexpr int MaxFaceChars = 31;

// The row's text as the record keeps names: the old bytes when the text is unchanged,
// else code page 932 as the store's names are, or UTF-8 when code page 932 cannot hold it.
std::string NameBytes(const QString& text, const std::string& old)
{
    if (DecodeName(old) == text)
        return old;
    std::string bytes = EncodeCp932(text);
    if (DecodeName(bytes) == text)
        return bytes;
    return text.toStdString();
}

// The dialog offers no effects: no colour, underline or strike-out.
void HideEffects(QFontDialog& dialog)
{
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
        box->hide();
        if (auto* group = qobject_cast<QGroupBox*>(box->parentWidget()))
            group->hide();
    }
}
}  // namespace

CPropDlgFontSet::CPropDlgFontSet(CPropScoreSetting& sheet)
    : CPropertyPage(sheet, tr("フォント設定"), SettingsGroup::Font)
{
    // The rows follow the table's names and sizes, in its order.
    int names = 0;
    int sizes = 0;
    for (const CSetting& setting : SettingsTable) {
        if (setting.Kind == SettingKind::FontName && names < RowCount)
            NameSettings[names++] = &setting;
        else if (setting.Kind == SettingKind::FontSize && sizes < RowCount)
            SizeSettings[sizes++] = &setting;
    }
    Q_ASSERT(names == RowCount && sizes == RowCount);
    const QString labels[RowCount] = {
        tr("(a).メインタイトルフォント(&M)："),
        tr("(b).サブタイトルフォント(&S)："),
        tr("(c).フレット番号フォント(&F)："),
        tr("(d).「TAB」文字フォント(&T)："),
    };

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("フォント名"), this), 0, 1);
    grid->addWidget(new QLabel(tr("サイズ"), this), 0, 2);
    for (int row = 0; row < RowCount; ++row) {
        const auto name = [](const CSetting* setting) { return QString::fromLatin1(setting->Key); };
        NameEdits[row] = MakeEdit(name(NameSettings[row]));
        NameEdits[row]->setMinimumWidth(150);
        NameEdits[row]->setMaximumWidth(QWIDGETSIZE_MAX);
        SizeEdits[row] = MakeEdit(name(SizeSettings[row]));
        SizeEdits[row]->setFixedWidth(48);
        auto* choose = new QPushButton(tr("選択..."), this);
        // "FontNameTAB" has the button "ChooseFontTAB".
        choose->setObjectName(QStringLiteral("Choose") + name(NameSettings[row]).remove(QStringLiteral("Name")));
        choose->setAutoDefault(false);
        connect(choose, &QPushButton::clicked, this, [this, row] { ChooseRowFont(row); });

        grid->addWidget(MakeLabel(labels[row], NameEdits[row]), 2 * row + 1, 0, 1, 3);
        grid->addWidget(NameEdits[row], 2 * row + 2, 1);
        grid->addWidget(SizeEdits[row], 2 * row + 2, 2);
        grid->addWidget(choose, 2 * row + 2, 3);
    }
    grid->setColumnMinimumWidth(0, 16);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
}

void CPropDlgFontSet::Load(const ScoreSettings& record)
{
    for (int row = 0; row < RowCount; ++row) {
        const FontEntry& entry = SettingField<FontEntry>(record, *NameSettings[row]);
        Rows[row].Name = DecodeName(entry.Name);
        Rows[row].Points = entry.Size / 10;
    }
}

void CPropDlgFontSet::DoDataExchange(CDataExchange& dx)
{
    for (int row = 0; row < RowCount; ++row) {
        dx.Text(NameEdits[row], Rows[row].Name);
        dx.Int(SizeEdits[row], Rows[row].Points);
    }
}

void CPropDlgFontSet::OnOK()
{
    ScoreSettings& s = Sheet.Score.Settings;
    for (int row = 0; row < RowCount; ++row) {
        FontEntry& entry = SettingField<FontEntry>(s, *NameSettings[row]);
        entry.SetName(NameBytes(Rows[row].Name, entry.Name));
        entry.SetSize(SatMul(Rows[row].Points, 10));
    }
    // Every cached font goes, changed or not: the view builds them again.
    s.ClearFonts();
    s.Save(Sheet.Store, Group);
}

QFont CPropDlgFontSet::DialogFont(const Row& row, int pixelsPerInch)
{
    const QString face = row.Name.left(MaxFaceChars);
    QFont font = QFontDatabase::hasFamily(face) ? QFont(face) : MatchFontFace(face);
    const int height = DataExchange::FontDialogHeight(row.Points, pixelsPerInch);
    // A zero height leaves the size to the dialog; a positive one (negative points) is a
    // cell height on other platforms, taken here as the em height.
    if (height != 0)
        font.setPixelSize(std::abs(height));
    return font;
}

CPropDlgFontSet::Row CPropDlgFontSet::RowFromFont(const QFont& font)
{
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
    const int32_t tenths = TruncSat(points * 10 + 0.5);
    return {font.family(), tenths / 10};
}

void CPropDlgFontSet::ChooseRowFont(int row)
{
    // A refused field shows its message; the dialog opens all the same.
    UpdateData(true);

    QFontDialog dialog(DialogFont(Rows[row], logicalDpiY()), this);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setWindowTitle(tr("フォント"));
    HideEffects(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    Rows[row] = RowFromFont(dialog.selectedFont());
    UpdateData(false);
    SetModified(true);
}
