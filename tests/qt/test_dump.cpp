// "plekto dump" end to end: the JSON form, encodings, the store and --defaults, errors.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace
{
struct CRun
{
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
};

// Runs plekto with its own configuration directory, so the user's store is never read.
CRun Plekto(const QStringList& args, const QString& configHome)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", configHome);
    process.setProcessEnvironment(env);
    process.start(PLEKTO_BINARY, args);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QString Write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}
}  // namespace

TEST(Dump, PrintsTheWholeScoreAsJson)
{
    QTemporaryDir dir;
    const QString file = Write(dir, "a.tab",
                               "tmExercise 1/tsrt1Words and music\n-4,4/n4nn0.2.2/n4nn3/|/n8cn0/fs8/n8cn2/fe/r4/|\n"
                               "n8sn0/3s/n8sn2/n8sn3/3e/ /|:e/_sh3/vbs2/[s1./chAm7/ch[G/_e/vbe/[e\n$UnitWidth:5.5\n");
    const CRun run = Plekto({"dump", file, "--defaults"}, dir.path());
    ASSERT_EQ(run.Status, 0) << run.Err.constData();
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(run.Out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.Out.constData();
    EXPECT_EQ(root.keys(), (QStringList{"items", "layout", "marks", "settings", "title"}));

    const QJsonObject settings = root["settings"].toObject();
    EXPECT_EQ(settings.size(), 23);
    EXPECT_EQ(settings["UnitWidth"].toDouble(), 5.5);
    EXPECT_EQ(settings["Strings"].toInt(), 6);
    EXPECT_TRUE(settings["ShowTAB"].isBool());
    EXPECT_EQ(settings["FontMainTitle"].toObject()["Name"].toString(), QString::fromUtf8("ＭＳ 明朝"));
    EXPECT_EQ(settings["FontFret"].toObject()["Size"].toInt(), 90);

    const QJsonObject title = root["title"].toObject();
    EXPECT_EQ(title["MainTitle"].toString(), "Exercise 1");
    EXPECT_EQ(title["RightTopLines"].toArray()[0].toString(), "Words and music");
    EXPECT_TRUE(title["RightTopLines"].toArray()[1].isNull());
    EXPECT_EQ(title["LeftBottomLines"].toArray().size(), 5);

    const QJsonArray items = root["items"].toArray();
    ASSERT_EQ(items.size(), 11);
    EXPECT_EQ(items[0].toObject()["class"].toString(), "CItemMusicalTime");
    EXPECT_EQ(items[1].toObject()["Frets"].toArray(), (QJsonArray{0, 2, 2, -2, -2, -2}));
    EXPECT_TRUE(items[2].toObject()["BarAfter"].toBool());
    EXPECT_EQ(items[10].toObject()["class"].toString(), "CItemRepeatBar");
    EXPECT_EQ(items[10].toObject()["IsEnd"].toInt(), 1);

    const QJsonArray marks = root["marks"].toArray();
    ASSERT_EQ(marks.size(), 7);
    EXPECT_EQ(marks[0].toObject()["class"].toString(), "CConnectedNoteFlag");
    EXPECT_EQ(marks[0].toObject()["StartItem"].toInt(), 3);
    EXPECT_EQ(marks[0].toObject()["EndItem"].toInt(), 4);
    EXPECT_EQ(marks[0].toObject()["Side"].toString(), "R");
    EXPECT_EQ(marks[1].toObject()["class"].toString(), "CTripletMark");
    EXPECT_EQ(marks[2].toObject()["class"].toString(), "CChordMark");
    EXPECT_EQ(marks[2].toObject()["Text"].toString(), "Am7");
    EXPECT_TRUE(marks[3].toObject()["Framed"].toBool());
    // The three marks closed at the end of the last line, innermost first.
    EXPECT_EQ(marks[4].toObject()["class"].toString(), "CTie");
    EXPECT_EQ(marks[4].toObject()["Text"].toString(), "h");
    EXPECT_EQ(marks[4].toObject()["Level"].toInt(), 3);
    EXPECT_EQ(marks[5].toObject()["class"].toString(), "CVibrato");
    EXPECT_EQ(marks[6].toObject()["class"].toString(), "CRepeatNum");
    EXPECT_EQ(marks[6].toObject()["Text"].toString(), "1.");

    const QJsonObject layout = root["layout"].toObject();
    EXPECT_EQ(layout["PageCount"].toInt(), 1);
    EXPECT_EQ(layout["LineCount"].toInt(), 2);
    EXPECT_EQ(layout["PageStarts"].toArray(), QJsonArray{0});
}

TEST(Dump, TextsAreConvertedFromTheFilesEncoding)
{
    QTemporaryDir dir;
    // "曲" in code page 932, and the same title in UTF-8 behind a byte-order mark.
    const CRun sjis = Plekto({"dump", Write(dir, "s.tab", "tm\x8b\xc8/tslt1\x83\x65\x83\x58\x83\x67"), "--defaults"},
                            dir.path());
    ASSERT_EQ(sjis.Status, 0);
    const QJsonObject title = QJsonDocument::fromJson(sjis.Out).object()["title"].toObject();
    EXPECT_EQ(title["MainTitle"].toString(), QString::fromUtf8("曲"));
    EXPECT_EQ(title["LeftTopLines"].toArray()[0].toString(), QString::fromUtf8("テスト"));
    const CRun utf8 = Plekto({"dump", Write(dir, "u.tab", "\xEF\xBB\xBFtm\xE6\x9B\xB2"), "--defaults"}, dir.path());
    EXPECT_EQ(QJsonDocument::fromJson(utf8.Out).object()["title"].toObject()["MainTitle"].toString(),
              QString::fromUtf8("曲"));
}

TEST(Dump, ReadsTheUserStoreUnlessToldNotTo)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Vellmar");
    Write(dir, "Vellmar/Plekto.conf", "[Settings]\nPage\\PageW=30000\nTab\\Strings=4\n");
    const QString file = Write(dir, "a.tab", "n4nn0.1.2.3.4.5\n");
    const QJsonObject stored = QJsonDocument::fromJson(Plekto({"dump", file}, dir.path()).Out).object();
    EXPECT_EQ(stored["settings"].toObject()["PageWidth"].toDouble(), 300.0);
    EXPECT_EQ(stored["items"].toArray()[0].toObject()["Frets"].toArray().size(), 4);
    const QJsonObject defaults = QJsonDocument::fromJson(Plekto({"dump", "--defaults", file}, dir.path()).Out).object();
    EXPECT_EQ(defaults["settings"].toObject()["PageWidth"].toDouble(), 210.0);
}

TEST(Dump, NumbersRoundTripAndNonFiniteBecomeNull)
{
    QTemporaryDir dir;
    const CRun run = Plekto({"dump", Write(dir, "n.tab", "$UnitWidth:0.1/$MarginTop:1e999/$PitchBetweenLine:nan"),
                            "--defaults"},
                           dir.path());
    ASSERT_EQ(run.Status, 0);
    EXPECT_TRUE(run.Out.contains("\"UnitWidth\": 0.1,"));
    const QJsonObject settings = QJsonDocument::fromJson(run.Out).object()["settings"].toObject();
    EXPECT_TRUE(settings["MarginTop"].isNull());
    EXPECT_TRUE(settings["PitchBetweenLine"].isNull());
}

TEST(Dump, FailuresSayWhyOnOneLine)
{
    QTemporaryDir dir;
    const CRun missing = Plekto({"dump", dir.filePath("none.tab")}, dir.path());
    EXPECT_EQ(missing.Status, 1);
    EXPECT_TRUE(missing.Out.isEmpty());
    EXPECT_EQ(missing.Err.count('\n'), 1);
    EXPECT_TRUE(missing.Err.startsWith("plekto dump: cannot open")) << missing.Err.constData();
    EXPECT_EQ(Plekto({"dump", dir.path()}, dir.path()).Status, 1);
    EXPECT_EQ(Plekto({"dump"}, dir.path()).Status, 2);
    EXPECT_EQ(Plekto({"dump", "--bogus", "x"}, dir.path()).Status, 2);
    const CRun help = Plekto({"--help"}, dir.path());
    EXPECT_EQ(help.Status, 0);
    for (const char* command : {"dump", "render", "trace", "--defaults"})
        EXPECT_TRUE(help.Out.contains(command)) << command;
}
