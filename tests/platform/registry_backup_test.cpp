#include "platform/registry.h"
#include "registry_test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

using namespace vorlane::test;

class RegistryBackupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        registry.regcreatekey(HKCU, kTimers);
        set(QStringLiteral("UserId"), QStringLiteral("ann"));
        set(QStringLiteral("Elapsed"), QStringLiteral("2 : 0 : 7"));
        set(QStringLiteral("Amount"), QStringLiteral("40"));
        registry.regsetvalue(HKCU, kTimers, QStringLiteral("Status"), 1, REG_DWORD);
        registry.regcreatekey(HKCU, kTimers + QStringLiteral("\\Inner\\Deep"));
        registry.regsetvalue(
            HKCU, kTimers + QStringLiteral("\\Inner"), QStringLiteral("Note"), QStringLiteral("n"), REG_SZ);
    }
    void set(const QString &name, const QString &text)
    {
        registry.regsetvalue(HKCU, kTimers, name, text, REG_SZ);
    }
    QVariant get(const QString &name, const QString &key = kTimers) const
    {
        return registry.regqueryvalue(HKCU, key, name);
    }

    QTemporaryDir dir;
    Registry registry { dir.filePath(QStringLiteral("store")) };
    QString backup = dir.filePath(QStringLiteral("ScTest.reg"));
};

TEST_F(RegistryBackupTest, RestoreBringsBackExactlyTheSavedKey)
{
    ASSERT_TRUE(registry.SaveKeyToFile(HKCU, kTimers, backup));
    const QByteArray saved = readAll(backup);
    EXPECT_TRUE(saved.startsWith(
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Vorlane\\Timers]\n"))
        << saved.constData();
    EXPECT_TRUE(saved.contains("[HKEY_CURRENT_USER\\Software\\Vorlane\\Timers\\Inner\\Deep]"));
    EXPECT_FALSE(saved.contains("[HKEY_CURRENT_USER\\Software]"));

    // Changed behind the program's back: values changed, added and deleted, sub-keys too.
    set(QStringLiteral("Elapsed"), QStringLiteral("9 : 9 : 9"));
    set(QStringLiteral("Extra"), QStringLiteral("x"));
    registry.regdeletevalue(HKCU, kTimers, QStringLiteral("UserId"));
    registry.regdeletekey(HKCU, kTimers + QStringLiteral("\\Inner"));
    registry.regcreatekey(HKCU, kTimers + QStringLiteral("\\Stray"));
    registry.regcreatekey(HKCU, QStringLiteral("Software\\Vorlane\\Server"));

    ASSERT_TRUE(registry.RestoreKeyFromFile(HKCU, kTimers, backup));
    EXPECT_EQ(get(QStringLiteral("Elapsed")), QVariant(QStringLiteral("2 : 0 : 7")));
    EXPECT_EQ(get(QStringLiteral("UserId")), QVariant(QStringLiteral("ann")));
    EXPECT_EQ(get(QStringLiteral("Status")), QVariant::fromValue<quint32>(1));
    EXPECT_FALSE(get(QStringLiteral("Extra")).isValid());
    EXPECT_EQ(
        get(QStringLiteral("Note"), kTimers + QStringLiteral("\\Inner")), QVariant(QStringLiteral("n")));
    EXPECT_TRUE(registry.keyExists(HKCU, kTimers + QStringLiteral("\\Inner\\Deep")));
    EXPECT_FALSE(registry.keyExists(HKCU, kTimers + QStringLiteral("\\Stray")));
    // Keys beside the restored one are untouched.
    EXPECT_TRUE(registry.keyExists(HKCU, QStringLiteral("Software\\Vorlane\\Server")));
}

TEST_F(RegistryBackupTest, ASavedKeyRestoresUnderAnotherNameAndKeepsThatName)
{
    ASSERT_TRUE(registry.SaveKeyToFile(HKCU, kTimers, backup));
    registry.regcreatekey(HKCU, QStringLiteral("Software\\Copy"));
    ASSERT_TRUE(registry.RestoreKeyFromFile(HKCU, QStringLiteral("software\\copy"), backup));
    EXPECT_EQ(
        get(QStringLiteral("Amount"), QStringLiteral("Software\\Copy")), QVariant(QStringLiteral("40")));
    EXPECT_TRUE(registry.keyExists(HKCU, QStringLiteral("Software\\Copy\\Inner\\Deep")));
    EXPECT_TRUE(readAll(registry.storeFile(HKCU)).contains("[HKEY_CURRENT_USER\\Software\\Copy\\Inner]"));
}

TEST_F(RegistryBackupTest, SaveReplacesAnExistingFile)
{
    writeAll(backup, QByteArray(5000, 'z'));
    ASSERT_TRUE(registry.SaveKeyToFile(HKCU, kTimers, backup));
    const QByteArray saved = readAll(backup);
    EXPECT_FALSE(saved.contains('z'));
    EXPECT_TRUE(saved.contains("\"Elapsed\"=\"2 : 0 : 7\""));

    // A missing key saves nothing and leaves the old backup in place.
    EXPECT_FALSE(registry.SaveKeyToFile(HKCU, QStringLiteral("Software\\Nothing"), backup));
    EXPECT_EQ(readAll(backup), saved);
    // A file where no file can be made.
    EXPECT_FALSE(
        registry.SaveKeyToFile(HKCU, kTimers, dir.filePath(QStringLiteral("no/such/folder/ScTest.reg"))));
}

TEST_F(RegistryBackupTest, RestoreIntoADeletedKeyDoesNothing)
{
    ASSERT_TRUE(registry.SaveKeyToFile(HKCU, kTimers, backup));
    registry.regdeletekey(HKCU, kTimers);
    const QByteArray before = readAll(registry.storeFile(HKCU));
    EXPECT_FALSE(registry.RestoreKeyFromFile(HKCU, kTimers, backup));
    EXPECT_FALSE(registry.keyExists(HKCU, kTimers));
    EXPECT_EQ(readAll(registry.storeFile(HKCU)), before);
}

TEST_F(RegistryBackupTest, AMissingOrDamagedFileChangesNothing)
{
    ASSERT_TRUE(registry.SaveKeyToFile(HKCU, kTimers, backup));
    const QByteArray saved = readAll(backup);
    set(QStringLiteral("Elapsed"), QStringLiteral("3 : 0 : 0"));
    const QByteArray store = readAll(registry.storeFile(HKCU));

    EXPECT_FALSE(registry.RestoreKeyFromFile(HKCU, kTimers, dir.filePath(QStringLiteral("absent.reg"))));
    const QString torn = dir.filePath(QStringLiteral("torn.reg"));
    // Cut anywhere inside a line, the file is refused as a whole.
    for (qsizetype length = 0; length < saved.size(); ++length) {
        if (length > 0 && saved.at(length - 1) == '\n')
            continue;
        writeAll(torn, saved.left(length));
        EXPECT_FALSE(registry.RestoreKeyFromFile(HKCU, kTimers, torn)) << length;
    }
    for (const QByteArray &bad :
        { QByteArray("garbage\n"), QByteArray("Windows Registry Editor Version 5.00\n\n\"Orphan\"=\"x\"\n"),
            QByteArray("Windows Registry Editor Version 5.00\n\n[-HKEY_CURRENT_USER\\X]\n"),
            QByteArray("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n"
                       "[HKEY_CURRENT_USER\\B]\n"),
            QByteArray("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n"
                       "\"N\"=dword:123456789\n"),
            QByteArray("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n"
                       "\"N\"=hex:1,zz\n") }) {
        writeAll(torn, bad);
        EXPECT_FALSE(registry.RestoreKeyFromFile(HKCU, kTimers, torn)) << bad.constData();
    }
    EXPECT_EQ(readAll(registry.storeFile(HKCU)), store);
}

} // namespace
} // namespace vorlane
