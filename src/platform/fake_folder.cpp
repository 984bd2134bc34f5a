#include "platform/fake_folder.h"

namespace quelm {

QStringList FakeFolder::fileNames()
{
    QStringList names;
    for (const auto& [name, bytes] : files)
        names << name;
    return names;
}

std::optional<QByteArray> FakeFolder::read(const QString& name, QString* error)
{
    const auto it = files.find(name);
    if (it == files.end() || unreadable.contains(name)) {
        if (error)
            *error = it == files.end() ? QStringLiteral("No such file or directory") : QStringLiteral("Permission denied");
        return std::nullopt;
    }
    return it->second;
}

bool FakeFolder::replace(const QString& name, const QByteArray& bytes, QString* error)
{
    ++replaces;
    if (readOnly) {
        if (error)
            *error = QStringLiteral("Permission denied");
        return false;
    }
    if (failBeforeRename.contains(name)) {
        if (error)
            *error = QStringLiteral("No space left on device");
        return false;
    }
    files[name] = bytes;
    return true;
}

} // namespace quelm
