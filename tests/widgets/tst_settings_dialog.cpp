// The settings sheet "譜面設定": its pages, labels and read-outs, the data exchange of
// reals and integers with its two messages, what OK, Apply and Cancel store (and in which
// order), pages never shown, the font page and the font dialog.
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "WidgetTest.h"
#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "app/PlektoDoc.h"
#include "display/qt/FontMatch.h"
#include "model/Score.h"
#include "settings/qt/PropDlgFontSet.h"
#include "settings/qt/PropDlgNoteSet.h"
#include "settings/qt/PropDlgPageSet.h"
#include "settings/qt/PropDlgTabSet.h"
#include "settings/qt/PropScoreSetting.h"

namespace
{
const QString RealRefused = QStringLiteral("数字を入力してください。");
const QString IntRefused = QStringLiteral("整数を入力してください。");

// A memory store that also keeps the order of its writes as "Section\Name".
class CLoggingStore : public CMemorySettingsStore
{
public:
    void WriteInt(std::string_view section, std::string_view name, int32_t value) override
    {
        Log(section, name);
        CMemorySettingsStore::WriteInt(section, name, value);
    }
    void WriteString(std::string_view section, std::string_view name, std::string_view value) override
    {
        Log(section, name);
        CMemorySettingsStore::WriteString(section, name, value);
    }
    int32_t Int(const char* key) const
    {
        const auto it = Values().find(key);
        return it == Values().end() ? INT32_MIN : std::get<int32_t>(it->second);
    }
    std::string Text(const char* key) const
    {
        const auto it = Values().find(key);
        return it == Values().end() ? std::string("<missing>") : std::get<std::string>(it->second);
    }
    QStringList Writes;

private:
    void Log(std::string_view section, std::string_view name)
    {
        Writes << QString::fromStdString(std::string(section) + '\\' + std::string(name));
    }
};

// Every modal window other than the sheet that opens while it lives: message boxes are
// recorded and closed, a font dialog goes to OnFontDialog (or is cancelled). A refusal
// that nobody expected thus fails a test instead of hanging it.
class CModalWatcher
{
public:
    CModalWatcher()
    {
        QObject::connect(&Timer, &QTimer::timeout, [this] { Poll(); });
        Timer.start(5);
    }

    QStringList Messages;
    int FontDialogs = 0;
    std::function<void(QFontDialog&)> OnFontDialog;
    // Called once for each sheet that runs modally (exec), to drive it.
    std::function<void(CPropScoreSetting&)> OnSheet;

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (auto* sheet = qobject_cast<CPropScoreSetting*>(modal)) {
            if (OnSheet && sheet != Driven) {
                Driven = sheet;
                OnSheet(*sheet);
            }
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            Messages << box->text();
            box->reject();
        } else if (auto* fonts = qobject_cast<QFontDialog*>(modal)) {
            ++FontDialogs;
            if (OnFontDialog)
                OnFontDialog(*fonts);
            else
                fonts->reject();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            Messages << QStringLiteral("unexpected dialog ") + dialog->windowTitle();
            dialog->reject();
        }
    }

    QTimer Timer;
    QPointer<CPropScoreSetting> Driven;  // null again once that sheet is gone
};

template <typename T = QLineEdit>
T* Field(const QWidget& sheet, const char* name)
{
    T* field = sheet.findChild<T*>(QLatin1String(name));
    if (!field)
        qFatal("no control %s", name);
    return field;
}

// Replaces a field's text by typing, as the user would (this marks the page modified).
void Type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    // Text beyond Latin-1 arrives as one key event, as an input method delivers it.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &press);
}

QStringList Texts(const QWidget& page)
{
    QStringList texts;
    for (const QLabel* label : page.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts << label->text();
    return texts;
}

QStringList FieldTexts(const QWidget& sheet, std::initializer_list<const char*> names)
{
    QStringList texts;
    for (const char* name : names)
        texts << Field(sheet, name)->text();
    return texts;
}

void ClickTab(CPropScoreSetting& sheet, int index)
{
    QTabBar* bar = sheet.Tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

QImage Rendered(const QLabel* picture) { return picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32); }
}  // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void sheetHasItsPagesLabelsAndButtons();
    void freshScoreShowsTheDefaults();
    void readoutsAreWorkedOutWhenThePageIsEntered();
    void checkBoxEnablesTheUnitsFieldAtOnce();
    void refusedRealsKeepTheFocusAndBlockEverything();
    void refusedIntegersHaveTheirOwnMessage();
    void okStoresTheShownPagesInTabOrder();
    void lengthsAreStoredTruncated();
    void applyStoresAndKeepsTheSheetOpen();
    void fontPageShowsWholePointsAndClearsEveryFont();
    void fontNamesKeepTheirBytes();
    void fontButtonOpensTheFontDialog();
    void fontDialogStartAndResult();
    void settingsCommandLaysOutOnApplyAndOk();
};

void TestSettingsDialog::sheetHasItsPagesLabelsAndButtons()
{
    CLoggingStore store;
    CScore score(store);
    CPropScoreSetting sheet(score, store);
    CModalWatcher watcher;
    sheet.show();

    QCOMPARE(sheet.windowTitle(), QStringLiteral("譜面設定"));
    QVERIFY(sheet.isModal());
    QTabWidget* tabs = sheet.Tabs();
    QCOMPARE(tabs->count(), 4);
    const QStringList titles = {QStringLiteral("ページ設定"), QStringLiteral("TAB行設定"), QStringLiteral("音符設定"),
                                QStringLiteral("フォント設定")};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(tabs->tabText(i), titles[i]);
    QCOMPARE(tabs->widget(0), &sheet.PageSet());
    QCOMPARE(tabs->widget(3), &sheet.FontSet());
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(sheet.OkButton()->text(), QStringLiteral("OK"));
    QCOMPARE(sheet.CancelButton()->text(), QStringLiteral("キャンセル"));
    QCOMPARE(sheet.ApplyButton()->text(), QStringLiteral("適用(&A)"));
    QVERIFY(!sheet.ApplyButton()->isEnabled());

    QCOMPARE(Texts(sheet.PageSet()),
             QStringList({QStringLiteral("(a)ページ幅(&W)："), QStringLiteral("(b)ページ高さ(&H)："),
                          QStringLiteral("(c)左側余白(&L)："), QStringLiteral("(d)上側余白(&T)："),
                          QStringLiteral("(e)右側余白(&R)："), QStringLiteral("(f)下側余白(&B)：")}));
    // Before the TAB page is entered its read-outs hold their initial texts.
    QCOMPARE(Texts(sheet.TabSet()),
             QStringList({QStringLiteral("(a).コード表示の高さ(&C)"), QStringLiteral("(b).３連符部分の高さ(&3)："),
                          QStringLiteral("(c).TAB上側余白(&U)："), QStringLiteral("(d).６線の線間ピッチ(&P)："),
                          QStringLiteral("(e).TAB下側余白(&L)："), QStringLiteral("(f)１描画単位の幅(&W)："),
                          QStringLiteral("必要Unit数(&U)："), QStringLiteral("１行の高さ："),
                          QStringLiteral("１ページの行数："), QStringLiteral("弦の数：")}));
    QCOMPARE(Field<QGroupBox>(sheet.TabSet(), "")->title(), QStringLiteral("(g).行頭表示設定："));
    QCOMPARE(Field<QCheckBox>(sheet, "ShowTAB")->text(), QStringLiteral("文字列\"TAB\"を行頭に表示する(&T)"));
    QCOMPARE(Texts(sheet.NoteSet()),
             QStringList({QStringLiteral("(a)Flagの高さ(&F)："), QStringLiteral("(b)Flag間のすき間(&B)："),
                          QStringLiteral("(c)音符棒の高さ(&H)："), QStringLiteral("(d)音符棒と連符記号のすき間(&3)：")}));
    QCOMPARE(Texts(sheet.FontSet()),
             QStringList({QStringLiteral("フォント名"), QStringLiteral("サイズ"),
                          QStringLiteral("(a).メインタイトルフォント(&M)："), QStringLiteral("(b).サブタイトルフォント(&S)："),
                          QStringLiteral("(c).フレット番号フォント(&F)："), QStringLiteral("(d).「TAB」文字フォント(&T)：")}));
    // Every label's mnemonic goes to its field.
    for (const QLabel* label : sheet.findChildren<QLabel*>())
        if (label->text().contains(QLatin1Char('&')))
            QVERIFY2(qobject_cast<QLineEdit*>(label->buddy()), qPrintable(label->text()));
    const auto choose = sheet.FontSet().findChildren<QPushButton*>();
    QCOMPARE(choose.size(), 4);
    for (const QPushButton* button : choose)
        QCOMPARE(button->text(), QStringLiteral("選択..."));

    // Three pages carry a picture of their own size; the font page has none.
    const std::pair<CPropertyPage*, QSize> pictures[] = {
        {&sheet.PageSet(), {120, 120}}, {&sheet.TabSet(), {120, 127}}, {&sheet.NoteSet(), {120, 121}}};
    for (const auto& [page, size] : pictures) {
        const QLabel* picture = page->findChild<QLabel*>(QStringLiteral("Illustration"));
        QVERIFY(picture);
        QCOMPARE(picture->pixmap().deviceIndependentSize().toSize(), size * CPropertyPage::PictureScale);
        // Drawn: lines and letters on white paper.
        const QImage image = Rendered(picture);
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 160;
        QVERIFY2(dark > image.width() * image.height() / 50 && dark < image.width() * image.height() / 3,
                 qPrintable(QString::number(dark)));
    }
    QVERIFY(!sheet.FontSet().findChild<QLabel*>(QStringLiteral("Illustration")));
    QVERIFY(watcher.Messages.isEmpty());
}

void TestSettingsDialog::freshScoreShowsTheDefaults()
{
    CLoggingStore store;
    CScore score(store);
    CPropScoreSetting sheet(score, store);
    CModalWatcher watcher;
    sheet.show();

    QCOMPARE(FieldTexts(sheet, {"PageWidth", "PageHeight", "MarginLeft", "MarginTop", "MarginRight", "MarginBottom"}),
             QStringList({"210", "290", "20", "15", "20", "20"}));
    ClickTab(sheet, 1);
    QCOMPARE(sheet.Tabs()->currentIndex(), 1);
    QCOMPARE(FieldTexts(sheet, {"ChordZoneHeight", "TripletZoneHeight", "TabUpperMargin", "PitchBetweenLine",
                                "TabLowerMargin", "UnitWidth", "UnitsForTAB"}),
             QStringList({"4.5", "2.5", "10", "2.5", "10", "6", "2"}));
    QVERIFY(Field<QCheckBox>(sheet, "ShowTAB")->isChecked());
    QVERIFY(Field(sheet, "UnitsForTAB")->isEnabled());
    QCOMPARE(Field<QLabel>(sheet, "LineHeightReadout")->text(), QStringLiteral("１行の高さ： 39.5 mm"));
    QCOMPARE(Field<QLabel>(sheet, "LinesPerPageReadout")->text(), QStringLiteral("１ページの行数： 6 行"));
    QCOMPARE(Field<QLabel>(sheet, "StringsReadout")->text(), QStringLiteral("弦数： 6 本"));
    ClickTab(sheet, 2);
    QCOMPARE(FieldTexts(sheet, {"FlagHeight", "FlagMargin", "StemHeight", "StemMargin"}),
             QStringList({"1.5", "0.5", "9", "0.5"}));
    ClickTab(sheet, 3);
    QCOMPARE(FieldTexts(sheet, {"FontNameMainTitle", "FontNameSubTitle", "FontNameFret", "FontNameTAB"}),
             QStringList({"ＭＳ 明朝", "ＭＳ 明朝", "Courier New Bold", "Courier New"}));
    QCOMPARE(FieldTexts(sheet, {"FontSizeMainTitle", "FontSizeSubTitle", "FontSizeFret", "FontSizeTAB"}),
             QStringList({"24", "12", "9", "12"}));
    // Looking is not changing.
    QVERIFY(!sheet.ApplyButton()->isEnabled());
    QVERIFY(watcher.Messages.isEmpty());
    QVERIFY(store.Writes.isEmpty());
}

void TestSettingsDialog::readoutsAreWorkedOutWhenThePageIsEntered()
{
    CLoggingStore store;
    CScore score(store);
    score.Settings.Strings = 4;  // as a $Strings directive leaves it
    score.Settings.PitchBetweenLine = 2.5;
    CPropScoreSetting sheet(score, store);
    CModalWatcher watcher;
    sheet.show();
    auto* lineHeight = Field<QLabel>(sheet, "LineHeightReadout");
    auto* lines = Field<QLabel>(sheet, "LinesPerPageReadout");

    sheet.Tabs()->setCurrentIndex(1);
    // Always five pitches, whatever the string count.
    QCOMPARE(lineHeight->text(), QStringLiteral("１行の高さ： 39.5 mm"));
    QCOMPARE(Field<QLabel>(sheet, "StringsReadout")->text(), QStringLiteral("弦数： 4 本"));

    // Typing does not change the read-outs; entering the page again does.
    Type(Field(sheet, "PitchBetweenLine"), QStringLiteral("5"));
    QCOMPARE(lineHeight->text(), QStringLiteral("１行の高さ： 39.5 mm"));
    sheet.Tabs()->setCurrentIndex(2);
    sheet.Tabs()->setCurrentIndex(1);
    QCOMPARE(lineHeight->text(), QStringLiteral("１行の高さ： 52.0 mm"));
    QCOMPARE(lines->text(), QStringLiteral("１ページの行数： 4 行"));  // 255 / 52 = 4.9

    // The page values are those the page page held when it was last left.
    sheet.Tabs()->setCurrentIndex(0);
    Type(Field(sheet, "PageHeight"), QStringLiteral("400"));
    Type(Field(sheet, "MarginBottom"), QStringLiteral("-5"));
    sheet.Tabs()->setCurrentIndex(1);
    QCOMPARE(lines->text(), QStringLiteral("１ページの行数： 7 行"));  // 390 / 52 = 7.5

    QVERIFY(watcher.Messages.isEmpty());
    // Nothing reaches the record before OK or Apply.
    QCOMPARE(score.Settings.PitchBetweenLine, 2.5);
    QCOMPARE(score.Settings.PageHeight, 290.0);
}

void TestSettingsDialog::checkBoxEnablesTheUnitsFieldAtOnce()
{
    CLoggingStore store;
    CScore score(store);
    CPropScoreSetting sheet(score, store);
    CModalWatcher watcher;
    sheet.show();
    sheet.Tabs()->setCurrentIndex(1);
    auto* box = Field<QCheckBox>(sheet, "ShowTAB");
    QLineEdit* units = Field(sheet, "UnitsForTAB");

    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!box->isChecked());
    QVERIFY(!units->isEnabled());
    QCOMPARE(sheet.TabSet().ShowTAB, 0);
    QVERIFY(sheet.ApplyButton()->isEnabled());
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(units->isEnabled());
    QCOMPARE(sheet.TabSet().ShowTAB, 1);
    QTest::mouseClick(box, Qt::LeftButton);

    // The state survives leaving and entering the page.
    sheet.Tabs()->setCurrentIndex(3);
    sheet.Tabs()->setCurrentIndex(1);
    QVERIFY(!box->isChecked());
    QVERIFY(!units->isEnabled());

    sheet.OkButton()->click();
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    QVERIFY(!score.Settings.ShowTAB);
    QCOMPARE(store.Int("Settings\\Tab\\ShowTab"), 0);
    QCOMPARE(store.Int("Settings\\Tab\\UnitTab"), 2);
    QVERIFY(watcher.Messages.isEmpty());
}

void TestSettingsDialog::refusedRealsKeepTheFocusAndBlockEverything()
{
    CLoggingStore store;
    CScore score(store);
    CPropScoreSetting sheet(score, store);
    QSignalSpy applied(&sheet, &CPropScoreSetting::Applied);
    CModalWatcher watcher;
    sheet.show();
    QLineEdit* width = Field(sheet, "PageWidth");
    QLineEdit* margin = Field(sheet, "MarginLeft");
    Type(margin, QStringLiteral("33"));
    Type(width, QString());
    Field(sheet, "MarginBottom")->setFocus();

    // Leaving the page is refused.
    ClickTab(sheet, 2);
    QCOMPARE(watcher.Messages, QStringList{RealRefused});
    QCOMPARE(sheet.Tabs()->currentIndex(), 0);
    QCOMPARE(sheet.focusWidget(), width);
    QVERIFY(!sheet.NoteSet().WasShown());

    // So are Apply and OK: nothing is stored and the sheet stays.
    sheet.ApplyButton()->click();
    sheet.OkButton()->click();
    QCOMPARE(watcher.Messages, QStringList({RealRefused, RealRefused, RealRefused}));
    QVERIFY(sheet.isVisible());
    QCOMPARE(applied.count(), 0);
    QVERIFY(store.Writes.isEmpty());
    QCOMPARE(score.Settings.PageWidth, 210.0);

    // A refused field stops the reading: the margin before it was read, the rest not.
    QCOMPARE(sheet.PageSet().MarginLeft, 20.0);
    QCOMPARE(sheet.PageSet().PageWidth, 210.0);

    // Corrected, everything goes through; a negative value is no problem.
    Type(width, QStringLiteral("-150"));
    sheet.OkButton()->click();
    QCOMPARE(watcher.Messages.size(), 3);
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    QCOMPARE(score.Settings.PageWidth, -150.0);
    QCOMPARE(score.Settings.MarginLeft, 33.0);
    QCOMPARE(store.Int("Settings\\Page\\PageW"), -15000);
}

void TestSettingsDialog::refusedIntegersHaveTheirOwnMessage()
{
    CLoggingStore store;
    CScore score(store);
    CPropScoreSetting sheet(score, store);
    CModalWatcher watcher;
    sheet.show();
    sheet.Tabs()->setCurrentIndex(1);
    QLineEdit* units = Field(sheet, "UnitsForTAB");
    Type(units, QStringLiteral("2.5"));
    sheet.Tabs()->setCurrentIndex(0);
    QCOMPARE(watcher.Messages, QStringList{IntRefused});
    QCOMPARE(sheet.Tabs()->currentIndex(), 1);
    QCOMPARE(sheet.focusWidget(), units);

    Type(units, QStringLiteral(" -3 "));
    sheet.Tabs()->setCurrentIndex(3);
    QCOMPARE(sheet.Tabs()->currentIndex(), 3);
    QLineEdit* size = Field(sheet, "FontSizeFret");
    Type(size, QStringLiteral("9pt"));
    sheet.OkButton()->click();
    QCOMPARE(watcher.Messages, QStringList({IntRefused, IntRefused}));
    QCOMPARE(sheet.focusWidget(), size);
    QVERIFY(store.Writes.isEmpty());

    Type(size, QStringLiteral("0"));
    sheet.OkButton()->click();
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    QCOMPARE(score.Settings.UnitsForTAB, -3);
    QCOMPARE(score.Settings.FontFret.Size, 0);
    QCOMPARE(store.Int("Settings\\Tab\\UnitTab"), -3);
}

void TestSettingsDialog::okStoresTheShownPagesInTabOrder()
{
    CLoggingStore store;
    store.WriteInt(SettingsSection::Note, "FlagH", 123);
    store.WriteInt(SettingsSection::Tab, "Strings", 4);
    store.Writes.clear();
    CScore score(store);
    CPropScoreSetting sheet(score, store);
    CModalWatcher watcher;
    sheet.show();
    // Shown out of order, and the note page never.
    sheet.Tabs()->setCurrentIndex(3);
    sheet.Tabs()->setCurrentIndex(1);
    sheet.OkButton()->click();
    QCOMPARE(sheet.result(), int(QDialog::Accepted));

    const QStringList expected = {
        "Settings\\Page\\PageH", "Settings\\Page\\PageW", "Settings\\Page\\MgnL", "Settings\\Page\\MgnT",
        "Settings\\Page\\MgnR", "Settings\\Page\\MgnB", "Settings\\Tab\\MgnUp", "Settings\\Tab\\MgnLo",
        "Settings\\Tab\\ChordZoneH", "Settings\\Tab\\3ZoneH", "Settings\\Tab\\LineSpace", "Settings\\Tab\\UnitSize",
        "Settings\\Tab\\ShowTab", "Settings\\Tab\\UnitTab", "Settings\\Font\\FontNameMainTitle",
        "Settings\\Font\\FontNameSubTitle", "Settings\\Font\\FontNameFret", "Settings\\Font\\FontNameTAB",
        "Settings\\Font\\FontSizeMainTitle", "Settings\\Font\\FontSizeSubTitle", "Settings\\Font\\FontSizeFret",
        "Settings\\Font\\FontSizeTAB"};
    QCOMPARE(store.Writes, expected);
    // The unvisited note page and Strings: untouched in the store and the record.
    QCOMPARE(store.Int("Settings\\Note\\FlagH"), 123);
    QCOMPARE(store.Int("Settings\\Tab\\Strings"), 4);
    QCOMPARE(score.Settings.FlagHeight, 1.23);
    QCOMPARE(store.Int("Settings\\Page\\PageW"), 21000);
    QCOMPARE(store.Int("Settings\\Tab\\3ZoneH"), 250);
    QVERIFY(watcher.Messages.isEmpty());
}

void TestSettingsDialog::lengthsAreStoredTruncated()
{
    CLoggingStore store;
    {
        CScore score(store);
        // A directive set this for the score on screen; OK on its page stores it.
        score.Settings.ChordZoneHeight = 0.29;
        CPropScoreSetting sheet(score, store);
        CModalWatcher watcher;
        sheet.show();
        Type(Field(sheet, "PageWidth"), QStringLiteral("210.01"));
        sheet.Tabs()->setCurrentIndex(1);
        sheet.Tabs()->setCurrentIndex(2);
        Type(Field(sheet, "StemHeight"), QStringLiteral("1.15"));
        sheet.OkButton()->click();
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QCOMPARE(score.Settings.StemHeight, 1.15);
        QCOMPARE(score.Settings.PageWidth, 210.01);
    }
    QCOMPARE(store.Int("Settings\\Note\\StemH"), 114);
    QCOMPARE(store.Int("Settings\\Page\\PageW"), 21001);
    QCOMPARE(store.Int("Settings\\Tab\\ChordZoneH"), 28);
    CScore next(store);
    QCOMPARE(next.Settings.StemHeight, 1.14);
    QCOMPARE(next.Settings.PageWidth, 210.01);
}

void TestSettingsDialog::applyStoresAndKeepsTheSheetOpen()
{
    CLoggingStore store;
    CScore score(store);
    CPropScoreSetting sheet(score, store);
    QSignalSpy applied(&sheet, &CPropScoreSetting::Applied);
    CModalWatcher watcher;
    sheet.show();
    QVERIFY(!sheet.ApplyButton()->isEnabled());
    Type(Field(sheet, "MarginLeft"), QStringLiteral("25"));
    QVERIFY(sheet.ApplyButton()->isEnabled());
    sheet.ApplyButton()->click();

    QCOMPARE(applied.count(), 1);
    QVERIFY(sheet.isVisible());
    QVERIFY(!sheet.ApplyButton()->isEnabled());
    QCOMPARE(score.Settings.MarginLeft, 25.0);
    QCOMPARE(store.Int("Settings\\Page\\MgnL"), 2500);
    QCOMPARE(store.Writes.size(), 6);  // the page page only: the others were never shown

    // A later Cancel keeps what was applied and stores nothing more.
    sheet.Tabs()->setCurrentIndex(2);
    Type(Field(sheet, "FlagHeight"), QStringLiteral("3"));
    QVERIFY(sheet.ApplyButton()->isEnabled());
    sheet.CancelButton()->click();
    QCOMPARE(sheet.result(), int(QDialog::Rejected));
    QCOMPARE(applied.count(), 1);
    QCOMPARE(store.Writes.size(), 6);
    QCOMPARE(score.Settings.MarginLeft, 25.0);
    QCOMPARE(score.Settings.FlagHeight, 1.5);
    QVERIFY(watcher.Messages.isEmpty());
}

void TestSettingsDialog::fontPageShowsWholePointsAndClearsEveryFont()
{
    CLoggingStore store;
    store.WriteInt(SettingsSection::Font, "FontSizeMainTitle", 95);
    CScore score(store);
    ScoreSettings& s = score.Settings;
    for (FontEntry* entry : {&s.FontMainTitle, &s.FontSubTitle, &s.FontFret, &s.FontTAB})
        entry->Font = std::make_unique<CFont>();

    {
        // Not shown: the cached fonts stay.
        CPropScoreSetting sheet(score, store);
        CModalWatcher watcher;
        sheet.show();
        sheet.OkButton()->click();
        QVERIFY(s.FontMainTitle.Font && s.FontTAB.Font);
        QCOMPARE(s.FontMainTitle.Size, 95);
    }

    CPropScoreSetting sheet(score, store);
    CModalWatcher watcher;
    sheet.show();
    sheet.Tabs()->setCurrentIndex(3);
    QCOMPARE(Field(sheet, "FontSizeMainTitle")->text(), QStringLiteral("9"));
    Type(Field(sheet, "FontSizeSubTitle"), QStringLiteral("2147483647"));
    sheet.OkButton()->click();
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    QCOMPARE(s.FontMainTitle.Size, 90);
    QCOMPARE(s.FontSubTitle.Size, INT32_MAX);  // saturated, not wrapped
    QCOMPARE(s.FontFret.Size, 90);
    QCOMPARE(s.FontTAB.Size, 120);
    for (FontEntry* entry : {&s.FontMainTitle, &s.FontSubTitle, &s.FontFret, &s.FontTAB})
        QVERIFY(!entry->Font);
    QCOMPARE(store.Int("Settings\\Font\\FontSizeMainTitle"), 90);
    QCOMPARE(store.Int("Settings\\Font\\FontSizeTAB"), 120);
    QVERIFY(watcher.Messages.isEmpty());
}

void TestSettingsDialog::fontNamesKeepTheirBytes()
{
    CLoggingStore store;
    CScore score(store);
    ScoreSettings& s = score.Settings;
    s.FontSubTitle.Name = "\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";  // "ゴシック" from a UTF-8 file
    CPropScoreSetting sheet(score, store);
    CModalWatcher watcher;
    sheet.show();
    sheet.Tabs()->setCurrentIndex(3);
    QCOMPARE(Field(sheet, "FontNameSubTitle")->text(), QStringLiteral("ゴシック"));
    Type(Field(sheet, "FontNameFret"), QStringLiteral("IPAゴシック"));
    Type(Field(sheet, "FontNameTAB"), QStringLiteral("한글"));
    sheet.OkButton()->click();
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    // Unchanged names keep their bytes; new ones go to code page 932 when it holds them.
    QCOMPARE(s.FontMainTitle.Name, DefaultTitleFace);
    QCOMPARE(s.FontSubTitle.Name, std::string("\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF"));
    QCOMPARE(s.FontFret.Name, std::string("IPA\x83\x53\x83\x56\x83\x62\x83\x4E"));
    QCOMPARE(s.FontTAB.Name, std::string("\xED\x95\x9C\xEA\xB8\x80"));
    QCOMPARE(store.Text("Settings\\Font\\FontNameFret"), s.FontFret.Name);
    QVERIFY(watcher.Messages.isEmpty());
}

void TestSettingsDialog::fontButtonOpensTheFontDialog()
{
    CLoggingStore store;
    CScore score(store);
    CPropScoreSetting sheet(score, store);
    CModalWatcher watcher;
    sheet.show();
    sheet.Tabs()->setCurrentIndex(3);
    QLineEdit* name = Field(sheet, "FontNameTAB");
    QLineEdit* size = Field(sheet, "FontSizeTAB");
    QLineEdit* fretSize = Field(sheet, "FontSizeFret");

    // Cancelled: nothing changes, not even the text being typed.
    Type(fretSize, QStringLiteral("x"));
    QFont offered;
    bool effectsShown = true;
    watcher.OnFontDialog = [&](QFontDialog& dialog) {
        offered = dialog.currentFont();
        effectsShown = false;
        for (const QCheckBox* box : dialog.findChildren<QCheckBox*>())
            effectsShown = effectsShown || box->isVisible();
        dialog.reject();
    };
    Field<QPushButton>(sheet, "ChooseFontTAB")->click();
    QCOMPARE(watcher.FontDialogs, 1);
    // The refused size field showed its message, and the dialog opened all the same.
    QCOMPARE(watcher.Messages, QStringList{IntRefused});
    // The face itself, or the font that stands in for it when it is not installed.
    const QString courier = QStringLiteral("Courier New");
    QCOMPARE(offered.family(), QFontDatabase::hasFamily(courier) ? courier : MatchFontFace(courier).family());
    QCOMPARE(QFontInfo(offered).pixelSize(), 16);  // 12 pt at 96 pixels per inch
    QVERIFY(!effectsShown);
    QCOMPARE(name->text(), QStringLiteral("Courier New"));
    QCOMPARE(fretSize->text(), QStringLiteral("x"));

    // Confirmed: face and size come back, every field is filled again from the members.
    const QString family = QFontDatabase::families().value(0);
    watcher.OnFontDialog = [&](QFontDialog& dialog) {
        QFont chosen(family);
        chosen.setPointSize(20);
        dialog.setCurrentFont(chosen);
        dialog.accept();
    };
    Field<QPushButton>(sheet, "ChooseFontTAB")->click();
    QCOMPARE(watcher.FontDialogs, 2);
    QCOMPARE(watcher.Messages.size(), 2);
    QCOMPARE(name->text(), family);
    QCOMPARE(size->text(), QStringLiteral("20"));
    QCOMPARE(fretSize->text(), QStringLiteral("9"));
    QVERIFY(sheet.ApplyButton()->isEnabled());

    sheet.OkButton()->click();
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    QCOMPARE(score.Settings.FontTAB.Size, 200);
    QCOMPARE(QString::fromStdString(score.Settings.FontTAB.Name), family);
}

void TestSettingsDialog::fontDialogStartAndResult()
{
    using Row = CPropDlgFontSet::Row;
    QCOMPARE(CPropDlgFontSet::DialogFont(Row{QStringLiteral("DejaVu Sans"), 10}, 120).pixelSize(), 17);  // 16.67
    // At most 31 characters of the face are given.
    const QString longFace = QStringLiteral("DejaVu Sans") + QString(40, QLatin1Char('x'));
    QCOMPARE(CPropDlgFontSet::DialogFont(Row{longFace, 12}, 96).family(), MatchFontFace(longFace.left(31)).family());
    // Tenths of a point cut to whole points.
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setPointSizeF(10.5);
    QCOMPARE(CPropDlgFontSet::RowFromFont(chosen).Points, 10);
    chosen.setPixelSize(16);  // 12 pt at 96 pixels per inch
    QCOMPARE(CPropDlgFontSet::RowFromFont(chosen).Points, 12);
}

void TestSettingsDialog::settingsCommandLaysOutOnApplyAndOk()
{
    QTemporaryDir dir;
    auto app = WidgetTest::StartApp(dir);
    QVERIFY(app);
    // Three full lines at the default unit width of 6 mm.
    QVERIFY(app->OpenDocumentFile(WidgetTest::WriteFile(dir, QStringLiteral("three.tab"), WidgetTest::NotesScore(78))));
    const CScore& score = *app->GetDocument().Score;
    QCOMPARE(score.LineCount, 3);
    QAction* command = app->GetMainFrame()->GetAction(CommandId::ScoreSettings);
    QSettings& stored = app->GetSettings();

    CModalWatcher watcher;
    QString caption;
    int firstTab = -1;
    int linesAfterApply = -1;
    watcher.OnSheet = [&](CPropScoreSetting& sheet) {
        caption = sheet.windowTitle();
        firstTab = sheet.Tabs()->currentIndex();
        sheet.Tabs()->setCurrentIndex(1);
        // Twice the unit: the head and the columns double, 12 items a line instead of 26.
        Type(Field(sheet, "UnitWidth"), QStringLiteral("12"));
        sheet.ApplyButton()->click();
        linesAfterApply = score.LineCount;
        sheet.CancelButton()->click();
    };
    command->trigger();
    QCOMPARE(caption, QStringLiteral("譜面設定"));
    QCOMPARE(firstTab, 0);
    QCOMPARE(linesAfterApply, 7);
    // Cancel after Apply keeps what was applied.
    QCOMPARE(score.LineCount, 7);
    QCOMPARE(stored.value(QStringLiteral("Settings/Tab/UnitSize")).toInt(), 1200);

    // OK lays out again as well.
    watcher.OnSheet = [&](CPropScoreSetting& sheet) {
        sheet.Tabs()->setCurrentIndex(1);
        Type(Field(sheet, "UnitWidth"), QStringLiteral("6"));
        sheet.OkButton()->click();
    };
    command->trigger();
    QCOMPARE(score.LineCount, 3);
    QCOMPARE(stored.value(QStringLiteral("Settings/Tab/UnitSize")).toInt(), 600);

    // Cancel alone changes nothing.
    watcher.OnSheet = [&](CPropScoreSetting& sheet) {
        Type(Field(sheet, "PageWidth"), QStringLiteral("100"));
        sheet.CancelButton()->click();
    };
    command->trigger();
    QCOMPARE(score.Settings.PageWidth, 210.0);
    QCOMPARE(score.LineCount, 3);
    QVERIFY(!stored.contains(QStringLiteral("Settings/Page/PageW")) ||
            stored.value(QStringLiteral("Settings/Page/PageW")).toInt() == 21000);
    QVERIFY(watcher.Messages.isEmpty());
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settings_dialog.moc"
