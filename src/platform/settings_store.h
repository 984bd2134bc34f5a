#pragma once

#include <QString>

namespace quelm {

// Per-user settings store: text values by application, section and key.
// Values round-trip exactly, leading blanks included (" 1200").
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString getSetting(const QString& app, const QString& section, const QString& key,
                               const QString& defaultValue) = 0;
    virtual void saveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& value) = 0;
};

// An INI file per application in a folder (the user's configuration folder in
// the program, a temporary folder in tests). A file that cannot be read as
// settings reads as empty; the first write keeps it as "<file>.damaged" and
// starts a new one.
class IniSettingsStore final : public SettingsStore {
public:
    // folder empty: the user's configuration folder.
    explicit IniSettingsStore(const QString& folder = {});
    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;
    QString filePath(const QString& app) const;

private:
    static void setAsideIfDamaged(const QString& path);
    QString folder_;
};

} // namespace quelm
