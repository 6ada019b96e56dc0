// "plekto check" end to end: output lines in the file's encoding, the caret and JSON
// forms, exit statuses; and a scripted session with "plekto lsp".
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "PlektoProcess.h"

namespace
{
struct CCheck { int Status = -1; QString Out; };

CCheck Check(const QTemporaryDir& dir, const QByteArray& bytes, const QString& form = "--brief")
{
    const CRun run = Plekto({"check", WriteFile(dir, "score.tab", bytes), "--defaults", form}, dir.path());
    return {run.Status, QString::fromUtf8(run.Out)};
}
}  // namespace

TEST(Check, ReportsInFileLineColumnFormAndTheExitStatusSaysWhetherThereWereErrors)
{
    QTemporaryDir dir;
    const CCheck run = Check(dir, "tm\x8b\xc8\n\x8b\xc8/_e/n4nn0\nn4nn0/CH\n");
    EXPECT_EQ(run.Status, 1);
    const QString path = dir.filePath("score.tab");
    EXPECT_EQ(run.Out, path + ":2:1: warning: '" + QString::fromUtf8("曲") +
                           "' was ignored: its first character selects no token\n" + path +
                           ":2:3: error: '_e' closes no open tie; the rest of the line, 1 token, was skipped\n" +
                           path + ":3:7: warning: 'CH' was ignored: its first character selects no token\n");
    const CCheck clean = Check(dir, "tmFine/-4,4/n4nn0/|/r4\n", "--json");
    EXPECT_EQ(clean.Status, 0); EXPECT_EQ(clean.Out, "[]\n");
    const CCheck warningsOnly = Check(dir, "n4nn0/3s\n");
    EXPECT_EQ(warningsOnly.Status, 0);
    EXPECT_TRUE(warningsOnly.Out.contains("warning: the tuplet is never closed"));
    // Each file is checked, one that cannot be read too; standard input is "<stdin>".
    const QString missing = dir.filePath("missing.tab");
    const CRun several = Plekto({"check", missing, "-", WriteFile(dir, "ok.tab", "n4nn0\n")}, dir.path(),
                                {"n4nn0/zz\n", {}, {}, {}});
    EXPECT_EQ(several.Status, 1);
    EXPECT_EQ(several.Err, "plekto check: cannot read " + missing.toUtf8() + ": No such file or directory\n");
    EXPECT_TRUE(several.Out.startsWith("<stdin>:1:7: warning: ")) << several.Out.constData();
}

TEST(Check, CaretAndJsonFormsOfOneFile)
{
    QTemporaryDir dir;
    // A cp932 title, a tab before an ignored token, a long ignored token, a refusal.
    const QByteArray score = "tm\x8b\xc8\n\tzz/n4nn0/CH" + QByteArray(45, 'x') + "\nn4nn0/_e/r4\n";
    const QString path = dir.filePath("score.tab");
    const QString longToken = "CH" + QString(37, 'x') + QString::fromUtf8("…");
    const CCheck caret = Check(dir, score, "--defaults");
    EXPECT_EQ(caret.Status, 1);
    EXPECT_EQ(caret.Out.toStdString(), (path + ":2:1: warning: '\tzz' was ignored: a tab does not separate tokens, '/' does\n" +
                             "        zz/n4nn0/CH" + QString(45, 'x') + "\n^~~~~~~~~~\n" + path + ":2:11: warning: '" +
                             longToken + "' was ignored: its first character selects no token\n" +
                             "        zz/n4nn0/CH" + QString(45, 'x') + "\n" + QString(17, ' ') + "^" +
                             QString(46, '~') + "\n" + path +
                             ":3:7: error: '_e' closes no open tie; the rest of the line, 1 token, was skipped\n" +
                             "n4nn0/_e/r4\n      ^~\n1 error and 2 warnings\n")
                                      .toStdString());
    const CCheck json = Check(dir, score, "--json");
    const QJsonArray all = QJsonDocument::fromJson(json.Out.toUtf8()).array();
    ASSERT_EQ(all.size(), 3) << json.Out.toStdString();
    const QJsonObject refusal = all[2].toObject();
    EXPECT_EQ(refusal["file"].toString(), path); EXPECT_EQ(refusal["line"].toInt(), 3);
    EXPECT_EQ(refusal["column"].toInt(), 7); EXPECT_EQ(refusal["endColumn"].toInt(), 9);
    EXPECT_EQ(refusal["severity"].toString(), "error");
    EXPECT_TRUE(refusal["message"].toString().startsWith("'_e' closes no open tie"));
    EXPECT_EQ(refusal["code"].toString(), "close-without-open");
    EXPECT_EQ(all[1].toObject()["message"].toString(), "'CH" + QString(45, 'x') +
                                                           "' was ignored: its first character selects no token");
}

namespace
{
// One framed JSON-RPC message; an id of 0 makes a notification.
QByteArray Frame(int id, const char* method, const QJsonObject& params = {})
{
    QJsonObject message{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
    if (id)
        message["id"] = id;
    const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
    return "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// The messages of a server's output, in order.
std::vector<QJsonObject> Unframe(QByteArray out)
{
    std::vector<QJsonObject> messages;
    while (out.startsWith("Content-Length: ")) {
        const qsizetype blank = out.indexOf("\r\n\r\n");
        const int length = out.mid(16, blank - 16).toInt();
        messages.push_back(QJsonDocument::fromJson(out.mid(blank + 4, length)).object());
        out.remove(0, blank + 4 + length);
    }
    EXPECT_TRUE(out.isEmpty()) << out.constData();
    return messages;
}
}  // namespace

TEST(Lsp, ScriptedSession)
{
    QTemporaryDir dir;
    const QString uri = "file:///song.tab";
    const QJsonObject document{{"uri", uri}};
    // U+1F3B8 counts two UTF-16 units and é one: "_e" starts at unit 14.
    const QString broken = QString::fromUtf8("tm\xF0\x9F\x8E\xB8\xC3\xA9/n8cn0.2/_e\n");
    const QByteArray input =
        Frame(1, "initialize") + Frame(0, "initialized") +
        Frame(0, "textDocument/didOpen",
              {{"textDocument", QJsonObject{{"uri", uri}, {"languageId", "plekto"}, {"version", 1}, {"text", broken}}}}) +
        Frame(2, "textDocument/hover", {{"textDocument", document}, {"position", QJsonObject{{"line", 0}, {"character", 8}}}}) +
        Frame(3, "textDocument/definition") +
        Frame(0, "textDocument/didChange",
              {{"textDocument", document}, {"contentChanges", QJsonArray{QJsonObject{{"text", "n4nn0\n"}}}}}) +
        Frame(4, "shutdown") + Frame(0, "exit");
    const CRun run = Plekto({"lsp", "--defaults"}, dir.path(), {input, {}, {}, {}});
    EXPECT_EQ(run.Status, 0) << run.Err.constData();
    const std::vector<QJsonObject> messages = Unframe(run.Out);
    ASSERT_EQ(messages.size(), 6u);
    const QJsonObject capabilities = messages[0]["result"].toObject()["capabilities"].toObject();
    EXPECT_EQ(capabilities["textDocumentSync"].toInt(), 1); EXPECT_TRUE(capabilities["hoverProvider"].toBool());
    const QJsonArray opened = messages[1]["params"].toObject()["diagnostics"].toArray();
    ASSERT_EQ(opened.size(), 1);
    const QJsonObject problem = opened[0].toObject();
    EXPECT_EQ(problem["severity"].toInt(), 1); EXPECT_EQ(problem["source"].toString(), "plekto");
    const QJsonObject range = problem["range"].toObject();
    EXPECT_EQ(range["start"].toObject()["character"].toInt(), 14);
    EXPECT_EQ(range["end"].toObject()["character"].toInt(), 16);
    EXPECT_EQ(messages[2]["id"].toInt(), 2);
    EXPECT_EQ(messages[2]["result"].toObject()["contents"].toObject()["value"].toString(),
              "eighth note, beamed; frets 0 (string 1), 2 (string 2)");
    EXPECT_EQ(messages[3]["error"].toObject()["code"].toInt(), -32601);
    EXPECT_EQ(messages[4]["method"].toString(), "textDocument/publishDiagnostics");
    EXPECT_TRUE(messages[4]["params"].toObject()["diagnostics"].toArray().isEmpty());
    EXPECT_EQ(messages[5]["id"].toInt(), 4); EXPECT_TRUE(messages[5].contains("result"));
    EXPECT_TRUE(messages[5]["result"].isNull());
    // Exit without shutdown, or input that just ends, is status 1.
    EXPECT_EQ(Plekto({"lsp", "--defaults"}, dir.path(), {Frame(0, "exit"), {}, {}, {}}).Status, 1);
}
