// "plekto dump FILE": the score after reading and layout, as one JSON object.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>
#include <string>
#include <unordered_map>

#include "cli/Commands.h"
#include "display/Json.h"
#include "display/qt/TextCodec.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsTable.h"
#include "symbols/Items.h"
#include "symbols/Marks.h"

namespace
{
class CDumper
{
public:
    CDumper(const CScore& score, std::string_view text) : Score(score), Sources(score, text) {}

    // Written as it goes: a score of a million items should not be held twice in memory.
    void Dump(std::FILE* out) const
    {
        Write(out, "{\"settings\": " + Settings() + ",\n \"title\": " + Title() + ",\n \"items\": [");
        for (std::size_t i = 0; i < Score.UnitItems.size(); ++i)
            Write(out, (i ? ",\n  " : "\n  ") + Item(*Score.UnitItems[i], Sources.Of(i)));
        Write(out, "],\n \"marks\": [");
        ItemIndex.clear();
        for (std::size_t i = 0; i < Score.UnitItems.size(); ++i)
            ItemIndex.emplace(Score.UnitItems[i].get(), i);
        for (std::size_t i = 0; i < Score.SpanMarks.size(); ++i)
            Write(out, (i ? ",\n  " : "\n  ") + Mark(*Score.SpanMarks[i]));
        Write(out, "],\n \"layout\": " + Layout() + "}\n");
    }

private:
    static void Write(std::FILE* out, const std::string& text) { std::fwrite(text.data(), 1, text.size(), out); }

    std::string Text(const std::string& bytes) const
    {
        return Json::Quote(DecodeText(bytes, Score.Encoding).toStdString());
    }

    static std::string Font(const FontEntry& font)
    {
        return "{\"Size\": " + std::to_string(font.Size) + ", \"Name\": " + Json::Quote(DecodeName(font.Name).toStdString()) +
               "}";
    }

    // In the record's declaration order; a font entry's name and size make one object, and
    // the font entries start a new line.
    std::string Settings() const
    {
        const ScoreSettings& s = Score.Settings;
        std::vector<std::pair<const void*, const CSetting*>> rows;
        for (const CSetting& setting : SettingsTable)
            rows.emplace_back(std::visit([&s](auto member) -> const void* { return &(s.*member); }, setting.Member),
                              &setting);
        std::stable_sort(rows.begin(), rows.end(),
                         [](const auto& a, const auto& b) { return std::less<const void*>()(a.first, b.first); });
        std::string out = "{";
        const void* last = nullptr;
        bool fonts = false;
        for (const auto& [address, setting] : rows) {
            if (address == last)
                continue;
            const bool font = setting->Kind == SettingKind::FontName || setting->Kind == SettingKind::FontSize;
            if (last)
                out += font && !fonts ? ",\n  " : ", ";
            fonts = fonts || font;
            last = address;
            out += '"';
            out += setting->DumpKey;
            out += "\": ";
            out += Value(s, *setting);
        }
        return out + "}";
    }

    static std::string Value(const ScoreSettings& s, const CSetting& setting)
    {
        switch (setting.Kind) {
        case SettingKind::Length:
            return Json::Number(SettingField<double>(s, setting));
        case SettingKind::Count:
            return std::to_string(SettingField<int32_t>(s, setting));
        case SettingKind::Flag:
            return Bool(SettingField<bool>(s, setting));
        case SettingKind::FontName:
        case SettingKind::FontSize:
            break;
        }
        return Font(SettingField<FontEntry>(s, setting));
    }

    std::string Places(const CTitleBlock::LinePlaces& places) const
    {
        std::string out = "[";
        for (std::size_t i = 0; i < places.size(); ++i) {
            out += i ? ", " : "";
            out += places[i] ? Text(*places[i]) : "null";
        }
        return out + "]";
    }

    std::string Title() const
    {
        if (!Score.TitleBlock)
            return "null";
        const CTitleBlock& t = *Score.TitleBlock;
        return "{\"MainTitle\": " + Text(t.MainTitle) + ", \"LeftTopLines\": " + Places(t.LeftTopLines) +
               ", \"LeftBottomLines\": " + Places(t.LeftBottomLines) + ", \"RightTopLines\": " +
               Places(t.RightTopLines) + ", \"RightBottomLines\": " + Places(t.RightBottomLines) + "}";
    }

    static std::string Bool(bool b) { return b ? "true" : "false"; }

    static std::string Item(const CScoreItem& item, CSourcePoint source)
    {
        std::string own;
        const char* name = "CItemSpace";
        if (const auto* note = dynamic_cast<const CItemNote*>(&item)) {
            name = "CItemNote";
            own = ", \"Length\": " + std::to_string(note->Length) + ", \"Dotted\": " + Bool(note->Dotted) +
                  ", \"FlagKind\": " + std::to_string(static_cast<int32_t>(note->FlagKind)) +
                  ", \"HeadKind\": " + std::to_string(static_cast<int32_t>(note->HeadKind)) + ", \"Frets\": [";
            for (std::size_t i = 0; i < note->Frets.size(); ++i)
                own += (i ? ", " : "") + std::to_string(note->Frets[i]);
            own += "]";
        } else if (const auto* rest = dynamic_cast<const CItemRest*>(&item)) {
            name = "CItemRest";
            own = ", \"Length\": " + std::to_string(rest->Length) + ", \"Dotted\": " + Bool(rest->Dotted);
        } else if (const auto* time = dynamic_cast<const CItemMusicalTime*>(&item)) {
            name = "CItemMusicalTime";
            own = ", \"Numerator\": " + std::to_string(time->Numerator) +
                  ", \"Denominator\": " + std::to_string(time->Denominator);
        } else if (const auto* bar = dynamic_cast<const CItemRepeatBar*>(&item)) {
            name = "CItemRepeatBar";
            own = ", \"IsEnd\": " + std::to_string(static_cast<int32_t>(bar->Side));
        }
        return std::string("{\"class\": \"") + name + "\", \"Units\": " + std::to_string(item.Units) +
               ", \"BarAfter\": " + Bool(item.BarAfter) + own + ", \"Line\": " + std::to_string(source.Line) +
               ", \"Column\": " + std::to_string(source.Column) + "}";
    }

    std::string IndexOf(const CScoreItem* item) const
    {
        const auto found = ItemIndex.find(item);
        return found == ItemIndex.end() ? "null" : std::to_string(found->second);
    }

    std::string Mark(const CScoreInterUnit& mark) const
    {
        std::string own;
        const char* name = "";
        if (const auto* t = dynamic_cast<const CTripletMark*>(&mark)) {
            name = "CTripletMark";
            own = ", \"Level\": " + std::to_string(t->GetLevel()) + ", \"Bracket\": " + Bool(t->GetBracket());
        } else if (const auto* f = dynamic_cast<const CConnectedNoteFlag*>(&mark)) {
            name = "CConnectedNoteFlag";
            own = ", \"Level\": " + std::to_string(f->GetLevel()) + ", \"Side\": \"" + f->GetSide() + "\"";
        } else if (const auto* tie = dynamic_cast<const CTie*>(&mark)) {
            name = "CTie";
            own = ", \"Level\": " + std::to_string(tie->GetLevel()) + ", \"Text\": " + Text(tie->GetText());
        } else if (const auto* v = dynamic_cast<const CVibrato*>(&mark)) {
            name = "CVibrato";
            own = ", \"Level\": " + std::to_string(v->GetLevel());
        } else if (const auto* r = dynamic_cast<const CRepeatNum*>(&mark)) {
            name = "CRepeatNum";
            own = ", \"Text\": " + Text(r->Text);
        } else if (const auto* c = dynamic_cast<const CChordMark*>(&mark)) {
            name = "CChordMark";
            own = ", \"Text\": " + Text(c->Text) + ", \"Framed\": " + Bool(c->Framed);
        }
        return std::string("{\"class\": \"") + name + "\", \"StartItem\": " + IndexOf(mark.StartItem) +
               ", \"EndItem\": " + IndexOf(mark.EndItem) + own + "}";
    }

    std::string Layout() const
    {
        std::string out = "{\"PageCount\": " + std::to_string(Score.PageCount) +
                          ", \"LineCount\": " + std::to_string(Score.LineCount) + ", \"PageStarts\": [";
        for (int32_t page = 0; page < Score.PageCount && page < static_cast<int32_t>(CScore::MaxPages); ++page) {
            const std::size_t start = Score.PageStarts[static_cast<std::size_t>(page)];
            if (start == CScore::NoItem)
                break;
            out += (page ? ", " : "") + std::to_string(start);
        }
        return out + "]}";
    }

    const CScore& Score;
    CItemSourcePoints Sources;
    mutable std::unordered_map<const CScoreItem*, std::size_t> ItemIndex;
};
}  // namespace

const CCommandSpec DumpSpec = {
    "dump",
    "FILE [OPTIONS]",
    "Read FILE (\"-\": standard input), lay it out and print the score as one JSON\n"
    "object: \"settings\", \"title\", \"items\", \"marks\" and \"layout\". Texts are\n"
    "printed as UTF-8; each item has the Line and Column where its token starts.",
    {StrictOption, DefaultsOption},
};

int RunDump(const CParsedArgs& args)
{
    const auto store = OpenSettingsStore(args.Has("--defaults"));
    int status = ExitSuccess;
    std::string text;
    const auto score = LoadScore("dump", args.Operands.front(), *store, args.Has("--strict"), status, &text);
    if (!score)
        return status;
    CDumper(*score, text).Dump(stdout);
    return FinishStandardOutput("dump", ExitSuccess);
}
