// Runs a fuzz target over files without libFuzzer: every file named, and every
// file in every folder named, once each. The ordinary test suite replays the
// corpora this way under any compiler, so a kept finding stays fixed.

#include <cstdint>
#include <cstdio>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));
// Ends what LLVMFuzzerInitialize started, where a target has such things.
extern "C" void QuelmFuzzTeardown() __attribute__((weak));

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(path).isDir()) {
            const QDir dir(path);
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
                files << dir.filePath(name);
        } else {
            files << path;
        }
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "replay: no input files\n");
        return 1;
    }
    for (const QString& path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "replay: cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = f.readAll();
        std::fprintf(stderr, "replay: %s (%lld bytes)\n", qPrintable(path), static_cast<long long>(bytes.size()));
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               static_cast<std::size_t>(bytes.size()));
    }
    if (QuelmFuzzTeardown)
        QuelmFuzzTeardown();
    std::printf("replay: %lld inputs, no finding\n", static_cast<long long>(files.size()));
    return 0;
}
