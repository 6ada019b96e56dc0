// The per-user settings store on QSettings (organisation "Vellmar", application "Plekto"):
// the registry key on Windows, ~/.config/Vellmar/Plekto.conf on Linux.
#pragma once

#include <memory>

#include "settings/SettingsStore.h"

class QSettings;

class CQtSettingsStore : public CSettingsStore
{
public:
    CQtSettingsStore();
    // For tests: a store in the given INI file instead of the user's.
    explicit CQtSettingsStore(const std::string& iniPath);
    ~CQtSettingsStore() override;

    int32_t GetInt(std::string_view section, std::string_view name, int32_t def) const override;
    std::string GetString(std::string_view section, std::string_view name,
                          std::string_view def) const override;
    void WriteInt(std::string_view section, std::string_view name, int32_t value) override;
    void WriteString(std::string_view section, std::string_view name, std::string_view value) override;

    QSettings& Settings() { return *Store; }

private:
    std::unique_ptr<QSettings> Store;
};
