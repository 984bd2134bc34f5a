#include "platform/file_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quelm {

QStringList DiskFolder::fileNames()
{
    return QDir(path_).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

std::optional<QByteArray> DiskFolder::read(const QString& name, QString* error)
{
    const QString path = QDir(path_).filePath(name);
    // Opening a pipe waits for a writer, and a device may never end: only a
    // plain file (or a link to one) is read.
    if (const QFileInfo info(path); info.exists() && !info.isFile()) {
        if (error)
            *error = QStringLiteral("it is no plain file");
        return std::nullopt;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return std::nullopt;
    }
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error)
            *error = f.errorString();
        return std::nullopt;
    }
    return bytes;
}

bool DiskFolder::replace(const QString& name, const QByteArray& bytes, QString* error)
{
    // QSaveFile writes beside the target, syncs, and renames over it on commit;
    // any failure before that removes the temporary file and keeps the old one.
    QSaveFile f(QDir(path_).filePath(name));
    f.setDirectWriteFallback(false);
    const bool ok = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
    if (!ok) {
        if (error)
            *error = f.errorString();
        f.cancelWriting();
    }
    return ok;
}

} // namespace quelm
