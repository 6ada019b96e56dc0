// The QSettings store: layout of the INI file, code page 932 texts, unreadable values.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "PlektoProcess.h"
#include "model/Score.h"
#include "settings/qt/QtSettingsStore.h"

TEST(QtStore, RoundTripsValuesUnderTheirSections)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Plekto.conf");
    {
        CQtSettingsStore store(path.toStdString());
        ScoreSettings settings;
        settings.PageWidth = 210.01;
        settings.Save(store, SettingsGroup::Page);
        settings.Save(store, SettingsGroup::Font);
        store.WriteInt("Settings\\Tab", "UnitTab", -3);
    }
    const QByteArray text = ReadFile(path);
    EXPECT_TRUE(text.contains("[Settings]")) << text.constData();
    EXPECT_TRUE(text.contains("Page\\PageW=21001")) << text.constData();
    CQtSettingsStore store(path.toStdString());
    EXPECT_EQ(store.GetInt("Settings\\Page", "PageW", 0), 21001);
    EXPECT_EQ(store.GetInt("Settings\\Tab", "UnitTab", 0), -3);
    EXPECT_EQ(store.GetInt("Settings\\Tab", "Missing", 77), 77);
    // The default face is held as code page 932 bytes and stored as Unicode text.
    EXPECT_EQ(store.GetString("Settings\\Font", "FontNameMainTitle", ""), DefaultTitleFace);
    EXPECT_EQ(store.Settings().value("Settings/Font/FontNameMainTitle").toString(), QString::fromUtf8("ＭＳ 明朝"));
    EXPECT_EQ(store.GetString("Settings\\Font", "Missing", "dflt"), "dflt");
}

TEST(QtStore, UnreadableValuesFallBackToDefaults)
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, "Plekto.conf", "[Settings]\nPage\\PageW=wide\nPage\\PageH=99999999999999\n"
                                   "Tab\\LineSpace=300\nTab\\UnitSize=4294967295\n\x01\x02garbage=\n[broken\nNote\\StemH=\n");
    CQtSettingsStore store(path.toStdString());
    CScore score(store);
    EXPECT_EQ(score.Settings.PageWidth, 210.0); EXPECT_EQ(score.Settings.PageHeight, 290.0);
    EXPECT_EQ(score.Settings.PitchBetweenLine, 3.0);
    EXPECT_EQ(score.Settings.UnitWidth, -0.01);  // a DWORD of all ones is -1
    EXPECT_EQ(score.Settings.StemHeight, 9.0);
}

TEST(QtStore, UnreadableOrUnwritablePlacesGiveDefaultsWithoutHarm)
{
    QTemporaryDir dir;
    // The settings file is a directory: nothing can be read or written there.
    const QString asDirectory = dir.filePath("Plekto.conf");
    ASSERT_TRUE(QDir(dir.path()).mkdir("Plekto.conf"));
    {
        CQtSettingsStore store(asDirectory.toStdString());
        CScore score(store);
        EXPECT_EQ(score.Settings.PageWidth, 210.0);
        score.Settings.Save(store, SettingsGroup::Page);  // a failed write is not reported and does no harm
        store.Settings().sync();
        EXPECT_NE(store.Settings().status(), QSettings::NoError);
    }
    EXPECT_TRUE(QFileInfo(asDirectory).isDir());
    // The configuration directory cannot be made because a file stands in its way.
    QFile blocker(dir.filePath("config"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString beyond = dir.filePath("config/Vellmar/Plekto.conf");
    {
        CQtSettingsStore store(beyond.toStdString());
        ScoreSettings settings;
        settings.Save(store, SettingsGroup::Font);
        store.Settings().sync();
        EXPECT_EQ(store.GetString("Settings\\Font", "Missing", "x"), "x");
    }
    EXPECT_FALSE(QFileInfo::exists(beyond));
}

TEST(QtStore, WritesAreAtomicAndTheUserStoreIsVellmarPlekto)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Plekto.conf");
    CQtSettingsStore store(path.toStdString());
    // QSettings writes through a temporary file and a rename: a crash or a full disk
    // never leaves half a file behind. Nothing may turn that off.
    EXPECT_TRUE(store.Settings().isAtomicSyncRequired());
    ScoreSettings().Save(store, SettingsGroup::Page);
    store.Settings().sync();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Plekto.conf"});
    // Without a path, the user's store.
    CQtSettingsStore user;
    EXPECT_TRUE(user.Settings().fileName().endsWith("Vellmar/Plekto.conf"))
        << user.Settings().fileName().toStdString();
}
