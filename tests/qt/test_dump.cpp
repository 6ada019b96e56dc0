// "plekto dump" end to end: the JSON form, encodings, the store and --defaults, errors.
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "PlektoProcess.h"

// The exact form other tools rely on: every class and member, items by index, an
// empty title place as null, and the layout. Line and Column are where each item's token
// starts, counted by hand in the text below (the space item is the token " ").
TEST(Dump, PrintsTheWholeScoreInItsExactForm)
{
    QTemporaryDir dir;
    const QString file = WriteFile(dir, "a.tab",
                               "$Strings:3/$UnitWidth:5.5\ntmT/tslb2x\nn4nn0.x/|/chAm/r8./_sh2/-3,4/_e/|:e\n"
                               "n8cn1/fs8</3s5[/vbs/[s1./n8cn2/fe/ /3e/vbe/[e\n");
    const CRun run = Plekto({"dump", file, "--defaults"}, dir.path());
    ASSERT_EQ(run.Status, 0) << run.Err.constData();
    const QByteArray expected =
        R"({"settings": {"PageWidth": 210, "PageHeight": 290, "MarginLeft": 20, "MarginTop": 15, "MarginRight": 20, )"
        R"("MarginBottom": 20, "TabUpperMargin": 10, "TabLowerMargin": 10, "ChordZoneHeight": 4.5, )"
        R"("TripletZoneHeight": 2.5, "PitchBetweenLine": 2.5, "UnitWidth": 5.5, "Strings": 3, "FlagHeight": 1.5, )"
        R"("FlagMargin": 0.5, "StemHeight": 9, "StemMargin": 0.5, "ShowTAB": true, "UnitsForTAB": 2,)"
        "\n"
        R"(  "FontMainTitle": {"Size": 240, "Name": "ＭＳ 明朝"}, "FontSubTitle": {"Size": 120, "Name": "ＭＳ 明朝"}, )"
        R"("FontFret": {"Size": 90, "Name": "Courier New Bold"}, "FontTAB": {"Size": 120, "Name": "Courier New"}},)"
        "\n"
        R"( "title": {"MainTitle": "T", "LeftTopLines": [null, null, null, null, null], )"
        R"("LeftBottomLines": [null, "x", null, null, null], "RightTopLines": [null, null, null, null, null], )"
        R"("RightBottomLines": [null, null, null, null, null]},)"
        "\n"
        R"( "items": [
  {"class": "CItemNote", "Units": 1, "BarAfter": true, "Length": 4, "Dotted": false, "FlagKind": 0, "HeadKind": 0, "Frets": [0, -1, -2], "Line": 3, "Column": 1},
  {"class": "CItemRest", "Units": 1, "BarAfter": false, "Length": 8, "Dotted": true, "Line": 3, "Column": 16},
  {"class": "CItemMusicalTime", "Units": 1, "BarAfter": false, "Numerator": 3, "Denominator": 4, "Line": 3, "Column": 25},
  {"class": "CItemRepeatBar", "Units": 1, "BarAfter": false, "IsEnd": 1, "Line": 3, "Column": 33},
  {"class": "CItemNote", "Units": 1, "BarAfter": false, "Length": 8, "Dotted": false, "FlagKind": 2, "HeadKind": 0, "Frets": [1, -2, -2], "Line": 4, "Column": 1},
  {"class": "CItemNote", "Units": 1, "BarAfter": false, "Length": 8, "Dotted": false, "FlagKind": 2, "HeadKind": 0, "Frets": [2, -2, -2], "Line": 4, "Column": 26},
  {"class": "CItemSpace", "Units": 1, "BarAfter": false, "Line": 4, "Column": 35}],
 "marks": [
  {"class": "CChordMark", "StartItem": 0, "EndItem": 0, "Text": "Am", "Framed": false},
  {"class": "CTie", "StartItem": 1, "EndItem": 2, "Level": 2, "Text": "h"},
  {"class": "CConnectedNoteFlag", "StartItem": 4, "EndItem": 5, "Level": 1, "Side": "L"},
  {"class": "CTripletMark", "StartItem": 4, "EndItem": 6, "Level": 5, "Bracket": true},
  {"class": "CVibrato", "StartItem": 4, "EndItem": 6, "Level": 3},
  {"class": "CRepeatNum", "StartItem": 4, "EndItem": 6, "Text": "1."}],
 "layout": {"PageCount": 1, "LineCount": 2, "PageStarts": [0]}}
)";
    EXPECT_EQ(run.Out.toStdString(), expected.toStdString());
}

TEST(Dump, TextsAreConvertedFromTheFilesEncoding)
{
    QTemporaryDir dir;
    // "曲" in code page 932, and the same title in UTF-8 behind a byte-order mark.
    const CRun sjis = Plekto({"dump", WriteFile(dir, "s.tab", "tm\x8b\xc8/tslt1\x83\x65\x83\x58\x83\x67"), "--defaults"},
                            dir.path());
    ASSERT_EQ(sjis.Status, 0);
    const QJsonObject title = QJsonDocument::fromJson(sjis.Out).object()["title"].toObject();
    EXPECT_EQ(title["MainTitle"].toString(), QString::fromUtf8("曲"));
    EXPECT_EQ(title["LeftTopLines"].toArray()[0].toString(), QString::fromUtf8("テスト"));
    const CRun utf8 = Plekto({"dump", WriteFile(dir, "u.tab", "\xEF\xBB\xBFtm\xE6\x9B\xB2"), "--defaults"}, dir.path());
    EXPECT_EQ(QJsonDocument::fromJson(utf8.Out).object()["title"].toObject()["MainTitle"].toString(),
              QString::fromUtf8("曲"));
}

TEST(Dump, ReadsTheUserStoreUnlessToldNotToAndNumbersRoundTrip)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Vellmar");
    WriteFile(dir, "Vellmar/Plekto.conf", "[Settings]\nPage\\PageW=30000\nTab\\Strings=4\n");
    const QString file = WriteFile(dir, "a.tab", "n4nn0.1.2.3.4.5\n");
    // That the store is read otherwise is Render.AnImpossibleStoredSettingIsNamed's.
    const QJsonObject defaults = QJsonDocument::fromJson(Plekto({"dump", "--defaults", file}, dir.path()).Out).object();
    EXPECT_EQ(defaults["settings"].toObject()["PageWidth"].toDouble(), 210.0);
    // Numbers round-trip; non-finite ones become null.
    const QString numbers = WriteFile(dir, "n.tab", "$UnitWidth:0.1/$MarginTop:1e999/$PitchBetweenLine:nan");
    const CRun run = Plekto({"dump", numbers, "--defaults"}, dir.path());
    ASSERT_EQ(run.Status, 0); EXPECT_TRUE(run.Out.contains("\"UnitWidth\": 0.1,"));
    const QJsonObject settings = QJsonDocument::fromJson(run.Out).object()["settings"].toObject();
    EXPECT_TRUE(settings["MarginTop"].isNull()); EXPECT_TRUE(settings["PitchBetweenLine"].isNull());
}

TEST(Dump, FailuresSayWhyOnOneLine)
{
    QTemporaryDir dir;
    // An unreadable file is Render.ErrorsGiveOneLineAndAFailingStatus's. Standard output that cannot take the JSON fails the command.
    const CRun full = Plekto({"dump", "-"}, dir.path(), {"n4nn0\n", {}, {}, "/dev/full"});
    EXPECT_EQ(std::pair(full.Status, full.Err.toStdString()),
              std::pair(1, std::string("plekto dump: cannot write <stdout>: No space left on device\n")));
    EXPECT_EQ(Plekto({"dump"}, dir.path()).Status, 2);
    const CRun help = Plekto({"--help"}, dir.path());
    EXPECT_EQ(help.Status, 0);
    for (const char* command : {"dump", "check", "render", "trace", "--defaults", "--strict", "Exit status"})
        EXPECT_TRUE(help.Out.contains(command)) << command;
}
