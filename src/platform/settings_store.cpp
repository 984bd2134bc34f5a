#include "platform/settings_store.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include "platform/errors.h"

namespace quelm {

IniSettingsStore::IniSettingsStore(const QString& folder) : folder_(folder)
{
    if (folder_.isEmpty())
        folder_ = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Quelm");
}

QString IniSettingsStore::filePath(const QString& app) const
{
    return QDir(folder_).filePath(app + QStringLiteral(".ini"));
}

QString IniSettingsStore::getSetting(const QString& app, const QString& section, const QString& key,
                                     const QString& defaultValue)
{
    isDamaged(filePath(app)); // the first look at a file is the one that tells
    QSettings s(filePath(app), QSettings::IniFormat);
    s.beginGroup(section);
    const QVariant v = s.value(key);
    if (!v.isValid())
        return defaultValue;
    // A hand-edited value with commas and no quotes comes back as a list.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

bool IniSettingsStore::isDamaged(const QString& path)
{
    const auto known = damaged_.find(path);
    if (known != damaged_.end())
        return known->second;
    bool damaged = false;
    if (QFile::exists(path)) {
        QSettings probe(path, QSettings::IniFormat);
        probe.allKeys();
        damaged = probe.status() == QSettings::FormatError;
    }
    damaged_[path] = damaged;
    return damaged;
}

QString IniSettingsStore::unreadableFile(const QString& app)
{
    return isDamaged(filePath(app)) ? filePath(app) : QString();
}

void IniSettingsStore::setAsideIfDamaged(const QString& path)
{
    // A file the settings layer cannot read (cut short, or full of zeros after
    // a crash) would refuse every write from now on, so nothing would ever be
    // saved again. It is kept beside as ".damaged" and a new file started.
    if (!isDamaged(path))
        return;
    const QString kept = path + QStringLiteral(".damaged");
    QFile::remove(kept);
    if (!QFile::rename(path, kept))
        throw PlatformError(QStringLiteral("Cannot write the settings file %1: its contents cannot be read, "
                                           "and it cannot be set aside as %2.")
                                .arg(path, kept));
    damaged_[path] = false;
}

void IniSettingsStore::saveSetting(const QString& app, const QString& section, const QString& key,
                                   const QString& value)
{
    if (!QDir().mkpath(folder_))
        throw PlatformError(QStringLiteral("Cannot write the settings file %1: the folder %2 cannot be created.")
                                .arg(filePath(app), folder_));
    setAsideIfDamaged(filePath(app));
    QSettings s(filePath(app), QSettings::IniFormat);
    s.beginGroup(section);
    s.setValue(key, value);
    s.endGroup();
    s.sync();
    if (s.status() != QSettings::NoError)
        throw PlatformError(QStringLiteral("Cannot write the settings file %1: %2.")
                                .arg(filePath(app), s.status() == QSettings::AccessError
                                                        ? QStringLiteral("it cannot be written")
                                                        : QStringLiteral("its contents cannot be read")));
}

} // namespace quelm
