// The settings sheet "譜面設定": read-outs, refused fields, what OK, Apply and Cancel store.
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "WidgetTest.h"
#include "display/qt/FontMatch.h"
#include "app/PropDlgFontSet.h"
#include "app/PropDlgNoteSet.h"
#include "app/PropDlgPageSet.h"
#include "app/PropDlgTabSet.h"
#include "app/PropScoreSetting.h"
#include "settings/SettingsTable.h"

namespace
{
const QString RealRefused = QStringLiteral("数字を入力してください。");
const QString IntRefused = QStringLiteral("整数を入力してください。");
const QString PositiveRefused = QStringLiteral("0.01 以上の数字を入力してください。");

// A memory store that logs its writes as "Section\Name" (without "Settings\").
struct CLoggingStore : CMemorySettingsStore
{
    void WriteInt(std::string_view section, std::string_view name, int32_t value) override
    { Log(section, name); CMemorySettingsStore::WriteInt(section, name, value); }
    void WriteString(std::string_view section, std::string_view name, std::string_view value) override
    { Log(section, name); CMemorySettingsStore::WriteString(section, name, value); }
    void Log(std::string_view section, std::string_view name)
    { Writes << QString::fromStdString(std::string(section.substr(9)) + '\\' + std::string(name)); }
    QStringList Writes;
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
void Type(const QWidget& sheet, const char* name, const QString& text) { Type(Field(sheet, name), text); }

// The texts of the named fields or labels, joined by '|'.
template <typename T = QLineEdit>
QString Texts(const QWidget& sheet, std::initializer_list<const char*> names)
{
    QStringList texts;
    for (const char* name : names)
        texts << Field<T>(sheet, name)->text();
    return texts.join(QLatin1Char('|'));
}

// A sheet over a fresh score, on screen.
struct Open
{
    CLoggingStore Store;
    CScore Score{Store};
    ScoreSettings& S = Score.Settings;
    CPropScoreSetting Sheet{Score, Store};
    WidgetTest::CModalWatcher Watcher;
    Open() { Watcher.Done << &Sheet; Sheet.show(); }
    void Tab(int index) { Sheet.Tabs()->setCurrentIndex(index); }
    void Ok() { Sheet.OkButton()->click(); QCOMPARE(Sheet.result(), int(QDialog::Accepted)); }
};
}  // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void freshSheetShowsItsPagesAndTheDefaults()
    {
        Open f;
        CPropScoreSetting& sheet = f.Sheet;
        QVERIFY(sheet.isModal());
        // Every label's mnemonic goes to its field.
        for (const QLabel* label : sheet.findChildren<QLabel*>())
            if (label->text().contains(QLatin1Char('&')))
                QVERIFY2(qobject_cast<QLineEdit*>(label->buddy()), qPrintable(label->text()));
        // Three pages carry a picture, drawn but mostly white; the font page has none.
        const CPropertyPage* pictured[] = {&sheet.PageSet(), &sheet.TabSet(), &sheet.NoteSet()};
        for (const CPropertyPage* page : pictured) {
            const QImage image = page->findChild<QLabel*>(QStringLiteral("Illustration"))->pixmap().toImage();
            const int area = image.width() * image.height(), dark = WidgetTest::DarkPixels(image, 160);
            QVERIFY2(dark * 50 > area, qPrintable(QString::number(dark)));
            QVERIFY2(dark * 3 < area, qPrintable(QString::number(dark)));
        }
        QVERIFY(!sheet.FontSet().findChild<QLabel*>(QStringLiteral("Illustration")));
        // Each field shows its own member of the record (the lengths numbered in the table's
        // order); looking changes nothing.
        double length = 0.5;
        for (const CSetting& setting : SettingsTable)
            if (setting.Kind == SettingKind::Length)
                SettingField<double>(f.S, setting) = ++length;
        f.S.UnitsForTAB = 7;
        sheet.LoadFromScore();
        QCOMPARE(Texts(sheet, {"PageWidth", "PageHeight", "MarginLeft", "MarginTop", "MarginRight", "MarginBottom"}),
                 QStringLiteral("2.5|1.5|3.5|4.5|5.5|6.5"));
        f.Tab(1);
        QCOMPARE(Texts(sheet, {"ChordZoneHeight", "TripletZoneHeight", "TabUpperMargin", "PitchBetweenLine",
                               "TabLowerMargin", "UnitWidth", "UnitsForTAB"}),
                 QStringLiteral("9.5|10.5|7.5|11.5|8.5|12.5|7"));
        f.Tab(2);
        QCOMPARE(Texts(sheet, {"FlagHeight", "FlagMargin", "StemHeight", "StemMargin"}),
                 QStringLiteral("13.5|14.5|15.5|16.5"));
        QVERIFY(!sheet.ApplyButton()->isEnabled()); QVERIFY(f.Watcher.Messages.isEmpty());
        QVERIFY(f.Store.Writes.isEmpty());
    }

    void tabPageReadoutsAndCheckBox()
    {
        Open f;
        f.S.Strings = 4;  // as a $Strings directive leaves it
        for (FontEntry* entry : {&f.S.FontMainTitle, &f.S.FontTAB})
            entry->Font = std::make_unique<CFont>();
        f.Tab(1);
        // Always five pitches, whatever the string count.
        QCOMPARE(Texts<QLabel>(f.Sheet, {"LineHeightReadout", "StringsReadout"}), QStringLiteral("１行の高さ： 39.5 mm|弦数： 4 本"));
        // Typing does not change the read-outs; entering the page again does, with the values
        // the page page held when it was last left.
        Type(f.Sheet, "PitchBetweenLine", QStringLiteral("5"));
        QCOMPARE(Field<QLabel>(f.Sheet, "LineHeightReadout")->text(), QStringLiteral("１行の高さ： 39.5 mm"));
        f.Tab(2);
        f.Tab(1);
        QCOMPARE(Texts<QLabel>(f.Sheet, {"LineHeightReadout", "LinesPerPageReadout"}),
                 QStringLiteral("１行の高さ： 52.0 mm|１ページの行数： 4 行"));  // 255 / 52
        f.Tab(0);
        Type(f.Sheet, "PageHeight", QStringLiteral("400"));
        Type(f.Sheet, "MarginBottom", QStringLiteral("-5"));
        f.Tab(1);
        QCOMPARE(Field<QLabel>(f.Sheet, "LinesPerPageReadout")->text(), QStringLiteral("１ページの行数： 7 行"));  // 390 / 52
        QCOMPARE(f.S.PitchBetweenLine, 2.5);  // nothing reaches the record before OK or Apply
        // The check box disables the units field at once, and its state survives the page.
        auto* box = Field<QCheckBox>(f.Sheet, "ShowTAB");
        QLineEdit* units = Field(f.Sheet, "UnitsForTAB");
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!box->isChecked()); QVERIFY(!units->isEnabled());
        f.Tab(2);
        f.Tab(1);
        QVERIFY(!box->isChecked()); QVERIFY(!units->isEnabled());
        f.Ok();
        QVERIFY(!f.S.ShowTAB);
        QVERIFY(f.Store.GetInt(SettingsSection::Tab, "ShowTab", INT32_MIN) == 0);
        QCOMPARE(f.Store.GetInt(SettingsSection::Tab, "UnitTab", INT32_MIN), 2);
        // The font page was never shown: the cached fonts stay.
        QVERIFY(f.S.FontMainTitle.Font); QVERIFY(f.S.FontTAB.Font);
        QVERIFY(f.Watcher.Messages.isEmpty());
    }

    void refusedFieldsKeepTheFocusAndBlockEverything()
    {
        Open f;
        f.S.FlagHeight = 1.23;  // the note page holds 1.5, but is never shown
        QLineEdit* width = Field(f.Sheet, "PageWidth");
        Type(f.Sheet, "MarginLeft", QStringLiteral("33"));
        Type(width, QString());
        Field(f.Sheet, "MarginBottom")->setFocus();
        // Leaving the page, Apply and OK are refused: nothing is stored and the sheet stays.
        f.Tab(2);
        QVERIFY(f.Sheet.Tabs()->currentIndex() == 0); QVERIFY(f.Sheet.focusWidget() == width);
        QVERIFY(!f.Sheet.NoteSet().WasShown());
        f.Sheet.ApplyButton()->click();
        f.Sheet.OkButton()->click();
        QCOMPARE(f.Watcher.Messages, QStringList({RealRefused, RealRefused, RealRefused}));
        QVERIFY(f.Sheet.isVisible());
        // The reading stopped at the refused field: the margin after it was not read.
        QCOMPARE(f.Sheet.PageSet().Values.MarginLeft, 20.0);
        // Integers have their own message; a negative value is no problem.
        Type(width, QStringLiteral("150"));
        f.Tab(1);
        QLineEdit* units = Field(f.Sheet, "UnitsForTAB");
        Type(units, QStringLiteral("2.5"));
        f.Tab(0);
        QVERIFY(f.Sheet.Tabs()->currentIndex() == 1); QVERIFY(f.Sheet.focusWidget() == units);
        Type(units, QStringLiteral(" -3 "));
        f.Tab(3);
        QLineEdit* size = Field(f.Sheet, "FontSizeFret");
        Type(size, QStringLiteral("9pt"));
        f.Sheet.OkButton()->click();
        QCOMPARE(f.Watcher.Messages.mid(3), QStringList({IntRefused, IntRefused}));
        QCOMPARE(f.Sheet.focusWidget(), size); QVERIFY(f.Store.Writes.isEmpty());
        Type(size, QStringLiteral("0"));
        f.Ok();
        QVERIFY(f.S.MarginLeft == 33.0); QVERIFY(f.S.UnitsForTAB == -3);
        QVERIFY(f.S.FontFret.Size == 0); QVERIFY(f.S.FlagHeight == 1.23);
        QCOMPARE(f.Store.GetInt(SettingsSection::Page, "PageW", INT32_MIN), 15000);
        // OK stores the shown pages' groups in tab order; the note page never was.
        CLoggingStore expected;
        for (SettingsGroup group : {SettingsGroup::Page, SettingsGroup::Tab, SettingsGroup::Font})
            f.S.Save(expected, group);
        QCOMPARE(f.Store.Writes, expected.Writes);
    }

    // A page of zero size or less is drawn mirrored; the store keeps whole hundredths of a mm,
    // truncated, and 32-bit integers.
    void pageSizeAboveZeroAndFieldsShowWhatWasStored()
    {
        const std::pair<const char*, const char*> refused[] = {
            {"PageWidth", "0"}, {"PageWidth", "-5"}, {"PageHeight", " 0.0 "}, {"PageHeight", "0.0099"}};
        for (const auto& [name, text] : refused) {
            Open f;
            QLineEdit* edit = Field(f.Sheet, name);
            Type(edit, QString::fromLatin1(text));
            f.Tab(1);
            f.Sheet.ApplyButton()->click();
            f.Sheet.OkButton()->click();
            QVERIFY2(f.Sheet.Tabs()->currentIndex() == 0, text); QVERIFY2(f.Sheet.focusWidget() == edit, text);
            QCOMPARE(f.Watcher.Messages, QStringList(3, PositiveRefused)); QVERIFY(f.Store.Writes.isEmpty());
        }
        // Margins may be negative; typed values beyond the store's range come back saturated.
        Open f;
        const QString huge = QStringLiteral("99999999999999999999");
        Type(f.Sheet, "MarginTop", QStringLiteral("-5"));
        Type(f.Sheet, "PageWidth", huge);
        f.Tab(1);
        Type(f.Sheet, "UnitsForTAB", huge);
        f.Sheet.ApplyButton()->click();
        QCOMPARE(Field(f.Sheet, "UnitsForTAB")->text(), QStringLiteral("2147483647"));
        f.Tab(0);
        QCOMPARE(Texts(f.Sheet, {"PageWidth", "MarginTop"}), QStringLiteral("21474836.47|-5"));
        Type(f.Sheet, "PageHeight", QStringLiteral("0.01999"));
        f.Ok();
        QCOMPARE(f.S.PageHeight, 0.01); QVERIFY(f.Watcher.Messages.isEmpty());
    }

    void fontPageAndFontDialog()
    {
        Open f;
        f.S.FontMainTitle.Size = 95;
        f.S.FontSubTitle.Name = "\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";  // "ゴシック" from a UTF-8 file
        f.Sheet.LoadFromScore();
        for (FontEntry* entry : {&f.S.FontMainTitle, &f.S.FontSubTitle, &f.S.FontFret, &f.S.FontTAB})
            entry->Font = std::make_unique<CFont>();
        f.Tab(3);
        QCOMPARE(Texts(f.Sheet, {"FontSizeMainTitle", "FontNameSubTitle"}), QStringLiteral("9|ゴシック"));
        // A refused size field shows its message, and the dialog opens all the same; cancelled,
        // it changes nothing, not even the text being typed.
        Type(f.Sheet, "FontSizeFret", QStringLiteral("x"));
        QFont offered;
        bool effectsShown = false;
        f.Watcher.Handle = WidgetTest::Only<QFontDialog>([&](QFontDialog& dialog) {
            offered = dialog.currentFont();
            for (const QCheckBox* box : dialog.findChildren<QCheckBox*>())
                effectsShown = effectsShown || box->isVisible();
        });
        Field<QPushButton>(f.Sheet, "ChooseFontTAB")->click();
        QVERIFY(!effectsShown); QCOMPARE(f.Watcher.Messages, QStringList{IntRefused});
        // The face itself, or the font that stands in for it when it is not installed.
        const QString courier = QStringLiteral("Courier New");
        QCOMPARE(offered.family(), QFontDatabase::hasFamily(courier) ? courier : MatchFontFace(courier).family());
        QCOMPARE(QFontInfo(offered).pixelSize(), 16);  // 12 pt at 96 pixels per inch
        QCOMPARE(Texts(f.Sheet, {"FontNameTAB", "FontSizeFret"}), QStringLiteral("Courier New|x"));
        // Confirmed: face and size come back, every field is filled again from the members.
        const QString family = QFontDatabase::families().value(0);
        f.Watcher.Handle = WidgetTest::Only<QFontDialog>([&](QFontDialog& dialog) {
            QFont chosen(family);
            chosen.setPointSize(20);
            dialog.setCurrentFont(chosen);
            dialog.accept();
        });
        Field<QPushButton>(f.Sheet, "ChooseFontTAB")->click();
        QCOMPARE(Texts(f.Sheet, {"FontNameTAB", "FontSizeTAB", "FontSizeFret"}), family + QStringLiteral("|20|9"));
        QVERIFY(f.Sheet.ApplyButton()->isEnabled());
        Type(f.Sheet, "FontSizeSubTitle", QStringLiteral("2147483647"));
        Type(f.Sheet, "FontNameMainTitle", QStringLiteral("한글"));
        Type(f.Sheet, "FontNameFret", QStringLiteral("IPAゴシック"));
        f.Ok();
        // Points in tenths; a huge size saturates rather than wraps.
        QCOMPARE(QList<int>({f.S.FontMainTitle.Size, f.S.FontSubTitle.Size, f.S.FontTAB.Size}),
                 QList<int>({90, INT32_MAX, 200}));
        QCOMPARE(QString::fromStdString(f.S.FontTAB.Name), family);
        for (FontEntry* entry : {&f.S.FontMainTitle, &f.S.FontSubTitle, &f.S.FontFret, &f.S.FontTAB})
            QVERIFY(!entry->Font);
        // An unchanged name keeps its bytes; a new one goes to code page 932 when it holds it,
        // else to UTF-8.
        QCOMPARE(f.S.FontSubTitle.Name, std::string("\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF"));
        QCOMPARE(f.S.FontFret.Name, std::string("IPA\x83\x53\x83\x56\x83\x62\x83\x4E"));
        QCOMPARE(f.S.FontMainTitle.Name, std::string("\xED\x95\x9C\xEA\xB8\x80"));
        QCOMPARE(f.Store.GetString(SettingsSection::Font, "FontNameFret", ""), f.S.FontFret.Name);
        QCOMPARE(f.Watcher.Messages.size(), 2);
        // The dialog's start and result on their own: pixels at another resolution, at most 31
        // characters of the face, tenths of a point cut to whole points.
        using Row = CPropDlgFontSet::Row;
        QCOMPARE(CPropDlgFontSet::DialogFont(Row{QStringLiteral("DejaVu Sans"), 10}, 120).pixelSize(), 17);  // 16.67
        const QString longFace = QStringLiteral("DejaVu Sans") + QString(40, QLatin1Char('x'));
        QCOMPARE(CPropDlgFontSet::DialogFont(Row{longFace, 12}, 96).family(), MatchFontFace(longFace.left(31)).family());
        QFont chosen(QStringLiteral("DejaVu Sans"));
        chosen.setPointSizeF(10.5);
        QCOMPARE(CPropDlgFontSet::RowFromFont(chosen).Points, 10);
        chosen.setPixelSize(16);  // 12 pt at 96 pixels per inch
        QCOMPARE(CPropDlgFontSet::RowFromFont(chosen).Points, 12);
    }

    void settingsCommandAppliesAndLaysOut()
    {
        QTemporaryDir dir;
        auto app = WidgetTest::StartApp(dir);
        // Three full lines at the default unit width of 6 mm.
        QVERIFY(app->OpenDocumentFile(WidgetTest::WriteFile(dir, QStringLiteral("three.tab"), WidgetTest::NotesScore(78))));
        const CScore& score = *app->GetDocument().Score;
        QAction* command = app->GetMainFrame()->GetAction(CommandId::ScoreSettings);
        QSettings& stored = app->GetSettings();
        // Apply stores the shown pages and lays out at once; the sheet stays open, and a later
        // Cancel stores nothing more.
        WidgetTest::CModalWatcher watcher;
        QList<int> seen;
        watcher.Handle = WidgetTest::Only<CPropScoreSetting>([&](CPropScoreSetting& sheet) {
            seen << sheet.Tabs()->currentIndex() << sheet.ApplyButton()->isEnabled();
            sheet.Tabs()->setCurrentIndex(1);
            // Twice the unit: the head and the columns double, 12 items a line instead of 26.
            Type(sheet, "UnitWidth", QStringLiteral("12"));
            seen << sheet.ApplyButton()->isEnabled();
            sheet.ApplyButton()->click();
            seen << sheet.isVisible() << sheet.ApplyButton()->isEnabled() << score.LineCount;
            sheet.Tabs()->setCurrentIndex(2);
            Type(sheet, "FlagHeight", QStringLiteral("3"));
            sheet.CancelButton()->click();
        });
        command->trigger();
        QCOMPARE(seen, QList<int>({0, false, true, true, false, 7}));
        QVERIFY(score.LineCount == 7); QVERIFY(score.Settings.FlagHeight == 1.5);
        QCOMPARE(stored.value(QStringLiteral("Settings/Tab/UnitSize")).toInt(), 1200);
        QVERIFY(!stored.contains(QStringLiteral("Settings/Note/FlagH")));
        // OK lays out again as well.
        watcher.Handle = WidgetTest::Only<CPropScoreSetting>([&](CPropScoreSetting& sheet) {
            sheet.Tabs()->setCurrentIndex(1);
            Type(sheet, "UnitWidth", QStringLiteral("6"));
            sheet.OkButton()->click();
        });
        command->trigger();
        QVERIFY(score.LineCount == 3); QVERIFY(watcher.Messages.isEmpty());
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settings_dialog.moc"
