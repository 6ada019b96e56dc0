// "plekto lsp": a language server on standard input and output (JSON-RPC 2.0 with
// Content-Length framing). Only the protocol lives here; the problems and the hover
// texts come from the core (model/EditorSupport.h).
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "model/EditorSupport.h"
#include "settings/SettingsStore.h"

using Json = nlohmann::json;

namespace
{
// JSON-RPC error codes.
constexpr int ParseError = -32700;
constexpr int InvalidRequest = -32600;
constexpr int MethodNotFound = -32601;
constexpr int InvalidParams = -32602;

// One message's body, or nothing at the end of the input or on a broken header.
std::optional<std::string> ReadMessage(std::FILE* in)
{
    std::size_t length = 0;
    bool haveLength = false;
    std::string line;
    for (;;) {
        const int c = std::fgetc(in);
        if (c == EOF)
            return std::nullopt;
        if (c != '\n') {
            line += static_cast<char>(c);
            if (line.size() > 1024)
                return std::nullopt;
            continue;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty()) {
            if (haveLength)
                break;
            continue;  // stray blank lines between messages
        }
        constexpr std::string_view Key = "content-length:";
        std::string lower = line.substr(0, Key.size());
        for (char& ch : lower)
            ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
        if (lower == Key) {
            const std::string value = line.substr(Key.size());
            char* end = nullptr;
            const unsigned long long n = std::strtoull(value.c_str(), &end, 10);
            // A score is at most MaxScoreBytes; its JSON escaping at most doubles that, or so.
            if (end == value.c_str() || n > 256ull * 1024 * 1024)
                return std::nullopt;
            length = static_cast<std::size_t>(n);
            haveLength = true;
        }
        line.clear();
    }
    std::string body(length, '\0');
    if (length > 0 && std::fread(body.data(), 1, length, in) != length)
        return std::nullopt;
    return body;
}

bool WriteMessage(const Json& message)
{
    const std::string body = message.dump(-1, ' ', false, Json::error_handler_t::replace);
    return std::printf("Content-Length: %zu\r\n\r\n", body.size()) > 0 &&
           std::fwrite(body.data(), 1, body.size(), stdout) == body.size() && std::fflush(stdout) == 0;
}

Json Position(const CTextPosition& p) { return {{"line", p.Line}, {"character", p.Character}}; }
Json Range(const CTextPosition& start, const CTextPosition& end)
{
    return {{"start", Position(start)}, {"end", Position(end)}};
}

class CServer
{
public:
    explicit CServer(const CSettingsStore& store) : Store(store) {}

    // Handles one message; false once "exit" has come.
    bool Handle(const Json& message)
    {
        if (!message.contains("method") || !message["method"].is_string())
            return true;  // a response: the server sends no requests, so none is awaited
        const std::string method = message["method"].get<std::string>();
        const bool isRequest = message.contains("id");
        const Json id = isRequest ? message["id"] : Json();
        const Json params = message.value("params", Json::object());
        if (method == "exit")
            return false;
        if (!isRequest) {
            Notify(method, params);
            return true;
        }
        if (ShutDown)
            return Reply(id, std::nullopt, Error(InvalidRequest, "the server is shutting down"));
        if (method == "initialize") {
            const Json capabilities = {{"textDocumentSync", 1}, {"hoverProvider", true}};
            const std::string version = std::string(VersionText).substr(7, std::string(VersionText).size() - 8);
            return Reply(id, Json{{"capabilities", capabilities},
                                  {"serverInfo", {{"name", "plekto"}, {"version", version}}}});
        }
        if (method == "shutdown") {
            ShutDown = true;
            return Reply(id, nullptr);
        }
        if (method == "textDocument/hover")
            return Hover(id, params);
        return Reply(id, std::nullopt, Error(MethodNotFound, "unknown method " + method));
    }

    bool ShutDownReceived() const { return ShutDown; }

    static Json Error(int code, const std::string& message) { return {{"code", code}, {"message", message}}; }

    static bool Reply(const Json& id, std::optional<Json> result, const Json& error = Json())
    {
        Json reply = {{"jsonrpc", "2.0"}, {"id", id}};
        if (result)
            reply["result"] = *result;
        else
            reply["error"] = error;
        WriteMessage(reply);
        return true;
    }

private:
    void Notify(const std::string& method, const Json& params)
    {
        const auto document = params.find("textDocument");
        if (document == params.end() || !document->is_object() || !document->contains("uri"))
            return;
        const std::string uri = (*document)["uri"].is_string() ? (*document)["uri"].get<std::string>() : "";
        if (method == "textDocument/didOpen" && document->contains("text") && (*document)["text"].is_string()) {
            Documents[uri] = (*document)["text"].get<std::string>();
            Publish(uri);
        } else if (method == "textDocument/didChange") {
            const auto changes = params.find("contentChanges");
            // Full synchronisation: the last change holds the whole text.
            if (changes == params.end() || !changes->is_array() || changes->empty() ||
                !changes->back().contains("text") || !changes->back()["text"].is_string())
                return;
            Documents[uri] = changes->back()["text"].get<std::string>();
            Publish(uri);
        } else if (method == "textDocument/didClose") {
            Documents.erase(uri);
            Publish(uri);
        }
    }

    void Publish(const std::string& uri)
    {
        Json diagnostics = Json::array();
        const auto document = Documents.find(uri);
        if (document != Documents.end()) {
            for (const CEditorDiagnostic& d : DiagnoseText(document->second, Store)) {
                Json item = {{"range", Range(d.Start, d.End)},
                             {"severity", d.IsError ? 1 : 2},
                             {"source", "plekto"},
                             {"message", d.Message}};
                if (!d.Code.empty())
                    item["code"] = d.Code;
                diagnostics.push_back(std::move(item));
            }
        }
        WriteMessage({{"jsonrpc", "2.0"},
                      {"method", "textDocument/publishDiagnostics"},
                      {"params", {{"uri", uri}, {"diagnostics", diagnostics}}}});
    }

    bool Hover(const Json& id, const Json& params)
    {
        try {
            const std::string uri = params.at("textDocument").at("uri").get<std::string>();
            const CTextPosition at{params.at("position").at("line").get<int>(),
                                   params.at("position").at("character").get<int>()};
            const auto document = Documents.find(uri);
            const std::optional<CHover> hover =
                document == Documents.end() ? std::nullopt : HoverAt(document->second, at, Store);
            if (!hover)
                return Reply(id, nullptr);
            return Reply(id, Json{{"contents", {{"kind", "plaintext"}, {"value", hover->Text}}},
                                  {"range", Range(hover->Start, hover->End)}});
        } catch (const Json::exception& e) {
            return Reply(id, std::nullopt, Error(InvalidParams, e.what()));
        }
    }

    const CSettingsStore& Store;
    std::map<std::string, std::string> Documents;  // by URI
    bool ShutDown = false;
};
}  // namespace

const CCommandSpec LspSpec = {
    "lsp",
    "[OPTIONS]",
    "Run a language server on standard input and output, so that an editor shows\n"
    "the problems of a score as its author types and explains the token under the\n"
    "pointer. The editor starts it; it speaks the Language Server Protocol\n"
    "(diagnostics, hover) and ends when the editor says exit: status 0 after a\n"
    "shutdown request, 1 without one.",
    {DefaultsOption},
    0,
    0,
};

int RunLsp(const CParsedArgs& args)
{
    const auto store = OpenSettingsStore(args.Has("--defaults"));
    CServer server(*store);
    while (const std::optional<std::string> body = ReadMessage(stdin)) {
        const Json message = Json::parse(*body, nullptr, false);
        if (message.is_discarded() || !message.is_object()) {
            CServer::Reply(nullptr, std::nullopt, CServer::Error(ParseError, "not a JSON-RPC message"));
            continue;
        }
        try {
            if (!server.Handle(message))
                return server.ShutDownReceived() ? ExitSuccess : ExitFailure;
        } catch (const Json::exception& e) {
            if (message.contains("id"))
                CServer::Reply(message["id"], std::nullopt, CServer::Error(InvalidRequest, e.what()));
        }
    }
    return ExitFailure;  // the input ended without "exit"
}
