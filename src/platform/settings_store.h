#pragma once

#include <map>

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
    // The file behind an application's settings when it is there but cannot be
    // read as settings (all its values then read as their defaults); empty when
    // it reads well, is absent, or the store keeps no file.
    virtual QString unreadableFile(const QString& /*app*/) { return {}; }
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
    QString unreadableFile(const QString& app) override;
    QString filePath(const QString& app) const;

private:
    bool isDamaged(const QString& path);
    void setAsideIfDamaged(const QString& path);
    QString folder_;
    // Whether each file could be read the first time this store touched it.
    // Asked once: later the settings layer answers from its cache of the parsed
    // file and no longer reports a damaged one.
    std::map<QString, bool> damaged_;
};

} // namespace quelm
