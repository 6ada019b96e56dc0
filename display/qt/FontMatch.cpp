#include "display/qt/FontMatch.h"

#include <QFontDatabase>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <cstdlib>

#include "display/Font.h"
#include "display/qt/TextCodec.h"
#include "settings/Units.h"

namespace
{
struct CStyleWord
{
    const char* Word;
    QFont::Weight Weight;  // QFont::Normal where the word says nothing about weight
    bool Italic;
};

// Trailing words that Windows face names carry but font families here do not.
const CStyleWord StyleWords[] = {
    {"Bold", QFont::Bold, false},          {"Italic", QFont::Normal, true},
    {"Oblique", QFont::Normal, true},      {"Regular", QFont::Normal, false},
    {"Normal", QFont::Normal, false},      {"Light", QFont::Light, false},
    {"Medium", QFont::Medium, false},      {"Semibold", QFont::DemiBold, false},
    {"Demibold", QFont::DemiBold, false},  {"Black", QFont::Black, false},
    {"Heavy", QFont::Black, false},        {"Thin", QFont::Thin, false},
};

bool Installed(const QString& family) { return !family.isEmpty() && QFontDatabase::hasFamily(family); }

QString FirstInstalled(const QStringList& candidates)
{
    for (const QString& name : candidates)
        if (Installed(name))
            return name;
    return {};
}

bool HasJapaneseCharacters(const QString& name)
{
    for (QChar c : name) {
        const char16_t u = c.unicode();
        // Kana, CJK ideographs and the full-width forms that Japanese face names use.
        if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

bool IsWindowsJapaneseFace(const QString& name)
{
    static const QStringList prefixes{"MS Mincho", "MS PMincho",  "MS Gothic", "MS PGothic", "MS UI Gothic",
                                      "Meiryo",    "Yu Gothic",   "Yu Mincho", "HG"};
    for (const QString& prefix : prefixes)
        if (name.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    return false;
}

QString JapaneseFamily(const QString& name)
{
    const QString folded = name.normalized(QString::NormalizationForm_KC);  // full-width letters to ASCII
    const bool serif = folded.contains(QStringLiteral("明朝")) || folded.contains("Mincho", Qt::CaseInsensitive);
    const bool proportional = folded.contains(QStringLiteral("P明朝")) || folded.contains(QStringLiteral("Pゴシック")) ||
                              folded.contains("PMincho", Qt::CaseInsensitive) ||
                              folded.contains("PGothic", Qt::CaseInsensitive) ||
                              folded.contains("UI Gothic", Qt::CaseInsensitive) ||
                              folded.startsWith("Meiryo", Qt::CaseInsensitive);
    QStringList candidates;
    if (serif) {
        if (proportional)
            candidates << "IPAPMincho";
        candidates << "IPAMincho" << "IPAexMincho" << "Noto Serif CJK JP" << "Noto Serif JP" << "TakaoMincho";
    } else {
        if (proportional)
            candidates << "IPAPGothic";
        candidates << "IPAGothic" << "IPAexGothic" << "Noto Sans CJK JP" << "Noto Sans JP" << "TakaoGothic"
                   << "VL Gothic";
    }
    QString family = FirstInstalled(candidates);
    if (family.isEmpty()) {
        const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
        if (!japanese.isEmpty())
            family = japanese.front();
    }
    return family;
}

// Metric-compatible stand-ins for the common Windows faces, best first.
QString MetricCompatible(const QString& name, QFont::StyleHint& hint)
{
    if (name.compare("Courier New", Qt::CaseInsensitive) == 0 || name.compare("Courier", Qt::CaseInsensitive) == 0) {
        hint = QFont::TypeWriter;
        return FirstInstalled({"Liberation Mono", "Cousine", "Nimbus Mono PS", "FreeMono", "DejaVu Sans Mono"});
    }
    if (name.compare("Arial", Qt::CaseInsensitive) == 0) {
        hint = QFont::SansSerif;
        return FirstInstalled({"Liberation Sans", "Arimo", "Nimbus Sans", "DejaVu Sans"});
    }
    if (name.compare("Arial Narrow", Qt::CaseInsensitive) == 0) {
        hint = QFont::SansSerif;
        return FirstInstalled({"Liberation Sans Narrow", "Nimbus Sans Narrow"});
    }
    if (name.compare("Times New Roman", Qt::CaseInsensitive) == 0) {
        hint = QFont::Serif;
        return FirstInstalled({"Liberation Serif", "Tinos", "Nimbus Roman", "DejaVu Serif"});
    }
    return {};
}

// Strips one trailing style word; false when there is none.
bool StripStyleWord(QString& name, QFont& font)
{
    for (const CStyleWord& style : StyleWords) {
        const QString suffix = QLatin1Char(' ') + QLatin1String(style.Word);
        if (name.size() > suffix.size() && name.endsWith(suffix, Qt::CaseInsensitive)) {
            name.chop(suffix.size());
            name = name.trimmed();
            if (style.Weight != QFont::Normal)
                font.setWeight(style.Weight);
            if (style.Italic)
                font.setItalic(true);
            return true;
        }
    }
    return false;
}

QFont Match(const QString& faceName)
{
    QFont font;
    QString name = faceName.trimmed();
    if (name.isEmpty() || Installed(name)) {
        if (!name.isEmpty())
            font.setFamily(name);
        return font;
    }
    while (StripStyleWord(name, font))
        if (Installed(name)) {
            font.setFamily(name);
            return font;
        }
    if (HasJapaneseCharacters(name) || IsWindowsJapaneseFace(name)) {
        const QString family = JapaneseFamily(name);
        font.setFamily(family.isEmpty() ? name : family);
        return font;
    }
    QFont::StyleHint hint = QFont::AnyStyle;
    const QString compatible = MetricCompatible(name, hint);
    font.setStyleHint(hint);
    font.setFamily(compatible.isEmpty() ? name : compatible);
    return font;
}
}  // namespace

QFont MatchFontFace(const QString& faceName)
{
    // Looking a family up in the font database is slow; score fonts are few.
    static QMutex mutex;
    static QHash<QString, QFont> cache;
    QMutexLocker lock(&mutex);
    const auto found = cache.constFind(faceName);
    if (found != cache.constEnd())
        return *found;
    const QFont font = Match(faceName);
    cache.insert(faceName, font);
    return font;
}

QFont MatchFontFace(std::string_view faceName) { return MatchFontFace(DecodeName(faceName)); }

int32_t EmHeightFor(const CFont* font)
{
    int64_t height = font ? font->Height : 0;
    if (height == 0) {
        const int64_t size = font && font->Size != 0 ? font->Size : DefaultFontSize;
        height = PointTenthsToUnits(size);
    }
    height = std::llabs(height);
    if (height < 1)
        return 1;
    return height > MaxEmHeight ? MaxEmHeight : static_cast<int32_t>(height);
}

QFont MakeQFont(const CFont* font)
{
    QFont qfont = font ? MatchFontFace(std::string_view(font->Name)) : QFont();
    qfont.setPixelSize(EmHeightFor(font));
    qfont.setHintingPreference(QFont::PreferNoHinting);
    return qfont;
}
