// The per-user settings store on an INI file in a temporary folder.

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/fakes.h"
#include "platform/settings_store.h"

using namespace quelm;

namespace {
const QString kApp = QStringLiteral("Quelm");
}

TEST(IniSettingsStore, TextsSurviveARoundTripExactly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString values[] = {
        QStringLiteral(" 1200"),   QStringLiteral("-3"),        QStringLiteral(" 14074.5 "), QStringLiteral(""),
        QStringLiteral("a,b"),     QStringLiteral("1, 2"),      QStringLiteral("@Variant(x)"), QStringLiteral("x;y=z"),
        QStringLiteral("\"q\""),   QStringLiteral("back\\slash"), QStringLiteral("two\nlines"), QStringLiteral("Ä€ü"),
        QStringLiteral("[LAST]"),  QStringLiteral("#not a comment"),
    };
    {
        IniSettingsStore store(dir.path());
        int i = 0;
        for (const QString& v : values)
            store.saveSetting(kApp, QStringLiteral("LAST"), QStringLiteral("K%1").arg(i++), v);
    }
    IniSettingsStore reopened(dir.path()); // read from the file, not from memory
    int i = 0;
    for (const QString& v : values) {
        SCOPED_TRACE(v.toStdString());
        EXPECT_EQ(reopened.getSetting(kApp, QStringLiteral("LAST"), QStringLiteral("K%1").arg(i++),
                                      QStringLiteral("default")),
                  v);
    }
}

TEST(IniSettingsStore, MissingKeysGiveTheDefaultAndSectionsAreApart)
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.path());
    EXPECT_EQ(store.getSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA"), QStringLiteral("14074")),
              "14074");
    store.saveSetting(kApp, QStringLiteral("Slider"), QStringLiteral("AF"), QStringLiteral(" 128"));
    store.saveSetting(kApp, QStringLiteral("Quelm_MEM"), QStringLiteral("AF"), QStringLiteral(" 7"));
    EXPECT_EQ(store.getSetting(kApp, QStringLiteral("Slider"), QStringLiteral("AF"), {}), " 128");
    EXPECT_EQ(store.getSetting(kApp, QStringLiteral("Quelm_MEM"), QStringLiteral("AF"), {}), " 7");
    EXPECT_EQ(store.getSetting(kApp, QStringLiteral("LAST"), QStringLiteral("AF"), QStringLiteral("none")), "none");
    EXPECT_EQ(store.getSetting(QStringLiteral("Other"), QStringLiteral("Slider"), QStringLiteral("AF"),
                               QStringLiteral("none")),
              "none");
    EXPECT_TRUE(QFile::exists(QDir(dir.path()).filePath(QStringLiteral("Quelm.ini"))));
}

TEST(IniSettingsStore, OverwriteKeepsOneValue)
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.path());
    store.saveSetting(kApp, QStringLiteral("LAST"), QStringLiteral("Modo"), QStringLiteral("USB"));
    store.saveSetting(kApp, QStringLiteral("LAST"), QStringLiteral("Modo"), QStringLiteral("CW-R"));
    EXPECT_EQ(IniSettingsStore(dir.path()).getSetting(kApp, QStringLiteral("LAST"), QStringLiteral("Modo"), {}),
              "CW-R");
}

TEST(IniSettingsStore, HandEditedListValueReadsAsItsText)
{
    QTemporaryDir dir;
    QFile f(QDir(dir.path()).filePath(QStringLiteral("Quelm.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Quelm]\nTop=1,2,3\n");
    f.close();
    IniSettingsStore store(dir.path());
    EXPECT_EQ(store.getSetting(kApp, QStringLiteral("Quelm"), QStringLiteral("Top"), {}), "1,2,3");
}

TEST(IniSettingsStore, FolderThatCannotBeMadeIsAClearErrorNotACrash)
{
    // A folder below a plain file cannot exist, also for root (CI runs as root,
    // so permission bits alone would not stop the write).
    QTemporaryDir dir;
    const QString blocker = QDir(dir.path()).filePath(QStringLiteral("file"));
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    IniSettingsStore store(blocker + QStringLiteral("/Quelm"));
    try {
        store.saveSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA"), QStringLiteral(" 1"));
        FAIL() << "no error";
    } catch (const PlatformError& e) {
        EXPECT_TRUE(e.message().contains(store.filePath(kApp))) << e.message().toStdString();
    }
    EXPECT_EQ(store.getSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA"), QStringLiteral("d")), "d");
}

TEST(IniSettingsStore, FileThatCannotBeWrittenIsAClearError)
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.path());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Quelm.ini"))); // in the file's place
    EXPECT_THROW(store.saveSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA"), QStringLiteral(" 1")),
                 PlatformError);
}

TEST(IniSettingsStore, ReadOnlyFolderIsAClearError)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    IniSettingsStore store(dir.path());
    EXPECT_THROW(store.saveSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA"), QStringLiteral(" 1")),
                 PlatformError);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(IniSettingsStore, DefaultFolderIsTheUsersConfigurationFolder)
{
    IniSettingsStore store;
    EXPECT_TRUE(store.filePath(kApp).endsWith(QStringLiteral("/Quelm/Quelm.ini"))) << store.filePath(kApp).toStdString();
}

TEST(MemorySettingsStore, KeepsTextsByApplicationSectionAndKey)
{
    MemorySettingsStore store;
    store.saveSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA"), QStringLiteral(" 1200"));
    EXPECT_EQ(store.getSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA"), {}), " 1200");
    EXPECT_EQ(store.getSetting(kApp, QStringLiteral("Slider"), QStringLiteral("VFOA"), QStringLiteral("d")), "d");
    EXPECT_TRUE(store.contains(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA")));
    EXPECT_FALSE(store.contains(kApp, QStringLiteral("LAST"), QStringLiteral("VFOB")));
    EXPECT_EQ(store.writes(), 1);
}

// A settings file that cannot be read as settings (zeros after a crash) would
// refuse every write, so the state would never be saved again.
TEST(IniSettingsStore, AnUnreadableFileIsKeptAsideAndWritingGoesOn)
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.path());
    QFile damaged(store.filePath(kApp));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(64, '\0'));
    damaged.close();
    EXPECT_EQ(store.getSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA"), QStringLiteral("d")), "d");

    store.saveSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA"), QStringLiteral(" 14074"));
    store.saveSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOB"), QStringLiteral(" 7050"));

    IniSettingsStore reopened(dir.path());
    EXPECT_EQ(reopened.getSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA"), {}), " 14074");
    EXPECT_EQ(reopened.getSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOB"), {}), " 7050");
    QFile kept(store.filePath(kApp) + QStringLiteral(".damaged"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray(64, '\0'));
}
