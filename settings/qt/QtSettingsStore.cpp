#include "settings/qt/QtSettingsStore.h"

#include <QSettings>
#include <QString>

#include "display/qt/TextCodec.h"

namespace
{
// "Settings\Page" + "PageW" becomes the key "Settings/Page/PageW".
QString KeyOf(std::string_view section, std::string_view name)
{
    QString key = QString::fromLatin1(section.data(), static_cast<qsizetype>(section.size()));
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    key += QLatin1Char('/');
    key += QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    return key;
}
}  // namespace

CQtSettingsStore::CQtSettingsStore()
    : Store(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vellmar"),
                                        QStringLiteral("Plekto")))
{
}

CQtSettingsStore::CQtSettingsStore(const std::string& iniPath)
    : Store(std::make_unique<QSettings>(QString::fromStdString(iniPath), QSettings::IniFormat))
{
}

CQtSettingsStore::~CQtSettingsStore() = default;

int32_t CQtSettingsStore::GetInt(std::string_view section, std::string_view name, int32_t def) const
{
    const QVariant value = Store->value(KeyOf(section, name));
    if (!value.isValid())
        return def;
    // Types are lost on disk: an integer comes back as text. Anything unreadable is
    // treated as missing.
    bool ok = false;
    const qlonglong v = value.toLongLong(&ok);
    if (!ok || v < INT32_MIN || v > UINT32_MAX)
        return def;
    // A DWORD above INT32_MAX reads back as the signed value it holds.
    return static_cast<int32_t>(static_cast<uint32_t>(v & 0xFFFFFFFF));
}

std::string CQtSettingsStore::GetString(std::string_view section, std::string_view name,
                                        std::string_view def) const
{
    const QVariant value = Store->value(KeyOf(section, name));
    if (!value.isValid() || !value.canConvert<QString>())
        return std::string(def);
    return EncodeCp932(value.toString());
}

void CQtSettingsStore::WriteInt(std::string_view section, std::string_view name, int32_t value)
{
    Store->setValue(KeyOf(section, name), value);
}

void CQtSettingsStore::WriteString(std::string_view section, std::string_view name, std::string_view value)
{
    Store->setValue(KeyOf(section, name), DecodeName(value));
}
