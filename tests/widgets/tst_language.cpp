// The interface's language: Japanese as written, English from the translation, chosen by
// the locale unless asked for; the help pages of the same language.
#include <QDir>
#include <QMenuBar>

#include "WidgetTest.h"

using namespace WidgetTest;

class TestLanguage : public QObject
{
    Q_OBJECT

private slots:
    void namesAndLocales()
    {
        const std::pair<const char*, std::optional<UiLanguage>> names[] = {
            {"ja", UiLanguage::Japanese}, {"en", UiLanguage::English}, {"EN", {}}, {"fr", {}}, {"", {}}};
        for (const auto& [name, language] : names)
            QVERIFY2(UiLanguageNamed(name) == language, name);
        QCOMPARE(UiLanguageOf(QLocale(QStringLiteral("ja_JP"))), UiLanguage::Japanese);
        for (const char* other : {"de_DE", "en_US", "C", "zh_CN"})
            QVERIFY2(UiLanguageOf(QLocale(QString::fromLatin1(other))) == UiLanguage::English, other);
    }

    void menusDialogsAndCounts_data()
    {
        QTest::addColumn<QString>("language");  // --lang, or the locale when empty
        QTest::addColumn<QString>("expected");  // menu titles, About box title, problem counts
        const QString japanese = "ﾌｧｲﾙ(&F) 編集(&E) 表示(&V) 再生(&P) ﾍﾙﾌﾟ(&H) | Plektoについて... | "
                                 "エラー 2 件、警告 1 件 / エラー 1 件、警告 0 件";
        QTest::newRow("Japanese locale (main)") << QString() << japanese;
        QTest::newRow("en") << "en"
                            << "&File &Edit &View &Play &Help | About Plekto | 2 errors, 1 warning / 1 error, 0 warnings";
    }

    void menusDialogsAndCounts()
    {
        QFETCH(QString, language);
        QTemporaryDir dir;
        const auto chosen = UiLanguageNamed(language.toStdString());
        auto app = StartApp(dir, {}, QStringLiteral("/nonexistent/bin/plekto"), chosen);
        QVERIFY(app);
        QStringList menus;
        for (const QAction* action : app->GetMainFrame()->menuBar()->actions())
            menus << action->text();
        QString about;
        auto seen = OnNextModal([&](QWidget* w) { about = w->windowTitle(); });
        app->GetMainFrame()->GetAction(CommandId::AppAbout)->trigger();
        QVERIFY(seen->Seen);
        QTEST(menus.join(' ') + " | " + about + " | " + CMainFrame::ProblemCountText(2, 1) + " / " +
                  CMainFrame::ProblemCountText(1, 0),
              "expected");
    }

    void helpPagesInEitherLanguage()
    {
        // Every page has its English version, which the English help command opens.
        const QDir japanese(QStringLiteral(PLEKTO_SOURCE_DIR "/resources/help"));
        QVERIFY(!japanese.entryList({"*.html"}).isEmpty());
        QCOMPARE(QDir(japanese.filePath("en")).entryList({"*.html"}), japanese.entryList({"*.html"}));
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("help/en")));
        const QString page = WriteFile(dir, QStringLiteral("help/en/index.html"), "<html></html>");
        auto app = StartApp(dir, {}, dir.filePath(QStringLiteral("plekto")), UiLanguage::English);
        QCOMPARE(app->GetHelpFilePath(), std::optional<QString>(page));
    }
};

int main(int argc, char** argv)
{
    // A Japanese user, as Qt reads the environment, whatever the locale the tests run under.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        qunsetenv(name);
    qputenv("LANG", "ja_JP.UTF-8");
    QApplication app(argc, argv);
    TestLanguage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_language.moc"
