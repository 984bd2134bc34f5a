#pragma once

// A program folder in memory, for the tests: files by name, and the failures
// a real folder can have.

#include <map>

#include <QSet>

#include "platform/file_folder.h"

namespace quelm {

class FakeFolder final : public FileFolder {
public:
    QStringList fileNames() override;
    std::optional<QByteArray> read(const QString& name, QString* error) override;
    bool replace(const QString& name, const QByteArray& bytes, QString* error) override;
    QString path() const override { return QStringLiteral("/program"); }

    std::map<QString, QByteArray> files;
    // Every replace fails as in a folder the user may not write to.
    bool readOnly = false;
    // Replacing these names fails once the temporary file is written, before
    // the rename (a full disk, a crash): the old file must stay.
    QSet<QString> failBeforeRename;
    // Reading these names fails.
    QSet<QString> unreadable;
    int replaces = 0;
};

} // namespace quelm
