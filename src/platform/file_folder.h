#pragma once

// The program folder as the memory editor keeps its bank files there: list,
// read whole, replace whole. Replacing never leaves a half-written file: the
// new contents go to a temporary file beside the old one, which is renamed over
// it only once complete and flushed to disk.

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quelm {

class FileFolder {
public:
    virtual ~FileFolder() = default;
    // The names (without the folder) of the plain files in the folder, in no order.
    virtual QStringList fileNames() = 0;
    // The whole file; nullopt with the reason when it cannot be read.
    virtual std::optional<QByteArray> read(const QString& name, QString* error) = 0;
    // Replaces the file (or creates it) with `bytes`. False with the reason
    // when it cannot; the file is then as it was before.
    virtual bool replace(const QString& name, const QByteArray& bytes, QString* error) = 0;
    // Where the folder is, for messages.
    virtual QString path() const = 0;
};

class DiskFolder final : public FileFolder {
public:
    explicit DiskFolder(QString path) : path_(std::move(path)) {}
    QStringList fileNames() override;
    std::optional<QByteArray> read(const QString& name, QString* error) override;
    bool replace(const QString& name, const QByteArray& bytes, QString* error) override;
    QString path() const override { return path_; }

private:
    QString path_;
};

} // namespace quelm
