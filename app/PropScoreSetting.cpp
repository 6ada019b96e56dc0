#include "app/PropScoreSetting.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "model/Score.h"
#include "app/PropDlgFontSet.h"
#include "app/PropDlgNoteSet.h"
#include "app/PropDlgPageSet.h"
#include "app/PropDlgTabSet.h"

CPropScoreSetting::CPropScoreSetting(CScore& score, CSettingsStore& store, QWidget* parent)
    : QDialog(parent), Score(score), Store(store)
{
    setWindowTitle(tr("譜面設定"));
    setModal(true);

    TabWidget = new QTabWidget(this);
    Page1 = new CPropDlgPageSet(*this);
    Page2 = new CPropDlgTabSet(*this);
    Page3 = new CPropDlgNoteSet(*this);
    Page4 = new CPropDlgFontSet(*this);
    Pages = {Page1, Page2, Page3, Page4};
    for (CPropertyPage* page : Pages) {
        TabWidget->addTab(page, page->Title());
        connect(page, &CPropertyPage::ModifiedChanged, this, &CPropScoreSetting::UpdateApplyButton);
    }
    TabWidget->setCurrentIndex(0);
    connect(TabWidget, &QTabWidget::currentChanged, this, &CPropScoreSetting::OnTabChanged);

    auto* buttons = new QDialogButtonBox(this);
    Ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    Cancel = buttons->addButton(tr("キャンセル"), QDialogButtonBox::RejectRole);
    Apply = buttons->addButton(tr("適用(&A)"), QDialogButtonBox::ApplyRole);
    Ok->setDefault(true);
    Apply->setEnabled(false);
    connect(Ok, &QPushButton::clicked, this, &CPropScoreSetting::OnOk);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Apply, &QPushButton::clicked, this, &CPropScoreSetting::OnApplyNow);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TabWidget);
    layout->addWidget(buttons);

    LoadFromScore();
}

CPropScoreSetting::~CPropScoreSetting() = default;

void CPropScoreSetting::LoadFromScore()
{
    for (CPropertyPage* page : Pages)
        page->Load(Score.Settings);

    // A page already on screen shows the new values at once.
    if (Started)
        Pages[Active]->Activate();
}

void CPropScoreSetting::showEvent(QShowEvent* event)
{
    // The first page becomes active when the sheet first appears.
    if (!Started) {
        Started = true;
        Active = TabWidget->currentIndex();
        Pages[Active]->Activate();
    }
    QDialog::showEvent(event);
}

void CPropScoreSetting::OnTabChanged(int index)
{
    if (index < 0 || index == Active)
        return;
    // Before the sheet appears no page is active yet: nothing to take back.
    if (!Started) {
        Active = index;
        return;
    }
    // The tab widget has already switched: go back until the page being left has
    // accepted its fields.
    {
        const QSignalBlocker block(TabWidget);
        TabWidget->setCurrentIndex(Active);
    }
    if (!Pages[Active]->OnKillActive())
        return;
    {
        const QSignalBlocker block(TabWidget);
        TabWidget->setCurrentIndex(index);
    }
    Active = index;
    Pages[Active]->Activate();
}

bool CPropScoreSetting::StoreShownPages()
{
    if (!Pages[Active]->OnKillActive())
        return false;
    for (CPropertyPage* page : Pages) {
        if (page->WasShown())
            page->OnOK();
    }
    // The fields show what the store kept, not what was typed: a length beyond the
    // store's range comes back saturated, one finer than a hundredth truncated.
    LoadFromScore();
    return true;
}

void CPropScoreSetting::OnOk()
{
    if (StoreShownPages())
        accept();
}

void CPropScoreSetting::OnApplyNow()
{
    if (!StoreShownPages())
        return;
    for (CPropertyPage* page : Pages)
        page->SetModified(false);
    emit Applied();
}

void CPropScoreSetting::UpdateApplyButton()
{
    bool modified = false;
    for (CPropertyPage* page : Pages)
        modified = modified || page->IsModified();
    Apply->setEnabled(modified);
}
