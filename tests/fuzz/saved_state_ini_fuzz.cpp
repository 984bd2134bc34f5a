// The saved-state reader on an arbitrary per-user settings file, read and
// written back through the program's own INI store. Input: one byte for the
// locale, then the file's bytes.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/settings_store.h"
#include "saved_state_check.h"

using namespace quelm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::Input in(data, size);
    fuzzing::pickLocale(in.byte());
    // A folder of its own each time: the settings layer caches files by name.
    static QTemporaryDir root;
    static int run = 0;
    const QString folder = QDir(root.path()).filePath(QString::number(run++));
    fuzzing::check(QDir().mkpath(folder), "no folder for the settings file");
    {
        QFile file(QDir(folder).filePath(QStringLiteral("Quelm.ini")));
        fuzzing::check(file.open(QIODevice::WriteOnly), "the settings file cannot be written");
        file.write(in.rest());
    }
    IniSettingsStore store(folder);
    fuzzing::checkSavedState(store);
    QDir(folder).removeRecursively();
    return 0;
}
