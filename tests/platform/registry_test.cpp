#include "platform/registry.h"
#include "registry_test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace vorlane {
namespace {

using namespace vorlane::test;

class RegistryTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString store() const { return dir.filePath(QStringLiteral("store")); }
    Registry registry { dir.filePath(QStringLiteral("store")) };
};

TEST_F(RegistryTest, TextAndNumbersReadBackExactlyAsWrittenAfterAReload)
{
    ASSERT_EQ(registry.regcreatekey(HKCU, kTimers), kRegOk);
    const QStringList texts
        = { QStringLiteral("1 : 5 : 30"), QString(), QStringLiteral("say \"hi\" to C:\\dir\\"),
              QStringLiteral("two\nlines\r\n"), QStringLiteral("caf\u00e9 \u20ac"),
              QStringLiteral(" padded "), QStringLiteral("[not a key]"), QStringLiteral("\"=\"") };
    for (int i = 0; i < texts.size(); ++i)
        ASSERT_EQ(
            registry.regsetvalue(HKCU, kTimers, QStringLiteral("T%1").arg(i), texts[i], REG_SZ), kRegOk);
    const std::vector<std::pair<QVariant, quint32>> numbers = { { 0, 0u }, { 30, 30u }, { -1, 0xffffffffu },
        { QVariant::fromValue<quint32>(0xfffffffeu), 0xfffffffeu }, { QStringLiteral("45"), 45u },
        { true, 1u }, { QVariant(), 0u }, { 2.6, 3u } };
    for (size_t i = 0; i < numbers.size(); ++i)
        ASSERT_EQ(
            registry.regsetvalue(HKCU, kTimers, QStringLiteral("N%1").arg(i), numbers[i].first, REG_DWORD),
            kRegOk);
    // A number given where text is expected is stored as its text.
    ASSERT_EQ(registry.regsetvalue(HKCU, kTimers, QStringLiteral("Amount"), 125, REG_SZ), kRegOk);

    Registry reopened(store()); // reads only what the file holds
    for (int i = 0; i < texts.size(); ++i) {
        const QVariant v = reopened.regqueryvalue(HKCU, kTimers, QStringLiteral("T%1").arg(i));
        EXPECT_EQ(v.typeId(), QMetaType::QString) << i;
        EXPECT_EQ(v.toString(), texts[i]) << i;
    }
    for (size_t i = 0; i < numbers.size(); ++i) {
        const QVariant v = reopened.regqueryvalue(HKCU, kTimers, QStringLiteral("N%1").arg(i));
        EXPECT_EQ(v.typeId(), QMetaType::UInt) << i;
        EXPECT_EQ(v.value<quint32>(), numbers[i].second) << i;
    }
    EXPECT_EQ(
        reopened.regqueryvalue(HKCU, kTimers, QStringLiteral("Amount")), QVariant(QStringLiteral("125")));

    RegKey key;
    ASSERT_TRUE(reopened.openKey(HKCU, kTimers, &key));
    int type = 99;
    reopened.regquerytyped(key, QStringLiteral("T0"), &type);
    EXPECT_EQ(type, REG_SZ);
    reopened.regquerytyped(key, QStringLiteral("N1"), &type);
    EXPECT_EQ(type, REG_DWORD);
}

TEST_F(RegistryTest, TheFileIsTheFamiliarExportFormat)
{
    registry.regcreatekey(HKCU, kTimers);
    registry.regsetvalue(HKCU, kTimers, QStringLiteral("Elapsed"), QStringLiteral("a\\b \"c\""), REG_SZ);
    registry.regsetvalue(HKCU, kTimers, QStringLiteral("Status"), 30, REG_DWORD);
    EXPECT_EQ(readAll(registry.storeFile(HKCU)),
        QByteArray("Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_CURRENT_USER\\Software]\n\n"
                   "[HKEY_CURRENT_USER\\Software\\Vorlane]\n\n"
                   "[HKEY_CURRENT_USER\\Software\\Vorlane\\Timers]\n"
                   "\"Elapsed\"=\"a\\\\b \\\"c\\\"\"\n"
                   "\"Status\"=dword:0000001e\n\n"));
    EXPECT_TRUE(registry.storeFile(HKCU).endsWith(QStringLiteral("/HKEY_CURRENT_USER.reg")));
    EXPECT_TRUE(
        registry.storeFile(RegRoot::LocalMachine).endsWith(QStringLiteral("/HKEY_LOCAL_MACHINE.reg")));
}

TEST_F(RegistryTest, OtherTypesStoreNothingAndReadAsMinusOne)
{
    registry.regcreatekey(HKCU, kTimers);
    EXPECT_NE(registry.regsetvalue(HKCU, kTimers, QStringLiteral("Blob"), QStringLiteral("x"), 3), kRegOk);
    EXPECT_NE(registry.regsetvalue(HKCU, kTimers, QStringLiteral("Expand"), QStringLiteral("x"), 2), kRegOk);
    EXPECT_FALSE(registry.regqueryvalue(HKCU, kTimers, QStringLiteral("Blob")).isValid());
    // Text that is not a number is refused rather than stored as some number.
    EXPECT_NE(registry.regsetvalue(HKCU, kTimers, QStringLiteral("Status"), QStringLiteral("abc"), REG_DWORD),
        kRegOk);
    EXPECT_NE(registry.regsetvalue(HKCU, kTimers, QStringLiteral("Status"), 5000000000LL, REG_DWORD), kRegOk);
    EXPECT_FALSE(registry.regqueryvalue(HKCU, kTimers, QStringLiteral("Status")).isValid());

    // Values of other types put there by hand are reported as such, and survive our rewrites.
    writeAll(registry.storeFile(HKCU),
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Vorlane\\Timers]\n"
        "\"Blob\"=hex:01,02,ff\n"
        "\"Path\"=hex(2):25,00,00,00\n");
    RegKey key;
    ASSERT_TRUE(registry.openKey(HKCU, kTimers, &key));
    int type = 0;
    EXPECT_FALSE(registry.regquerytyped(key, QStringLiteral("Blob"), &type).isValid());
    EXPECT_EQ(type, -1);
    EXPECT_FALSE(registry.regquerytyped(key, QStringLiteral("Missing"), &type).isValid());
    EXPECT_EQ(type, 0);
    ASSERT_EQ(registry.regsetvalue(HKCU, kTimers, QStringLiteral("Status"), 1, REG_DWORD), kRegOk);
    const QByteArray after = readAll(registry.storeFile(HKCU));
    EXPECT_TRUE(after.contains("\"Blob\"=hex:01,02,ff\n")) << after.constData();
    EXPECT_TRUE(after.contains("\"Path\"=hex(2):25,00,00,00\n")) << after.constData();
}

TEST_F(RegistryTest, NamesAreNotCaseSensitiveAndKeepTheirFirstSpelling)
{
    registry.regcreatekey(HKCU, kTimers);
    registry.regsetvalue(HKCU, kTimers, QStringLiteral("Continue"), 1, REG_DWORD);
    EXPECT_EQ(
        registry.regqueryvalue(HKCU, kTimers, QStringLiteral("continue")), QVariant::fromValue<quint32>(1));
    EXPECT_EQ(
        registry.regqueryvalue(HKCU, QStringLiteral("SOFTWARE\\vorlane\\timers"), QStringLiteral("CONTINUE")),
        QVariant::fromValue<quint32>(1));

    registry.regsetvalue(
        HKCU, QStringLiteral("software\\VORLANE\\Timers"), QStringLiteral("CONTINUE"), 0, REG_DWORD);
    registry.regcreatekey(HKCU, QStringLiteral("SOFTWARE\\VORLANE\\TIMERS"));
    EXPECT_EQ(
        registry.regqueryvalue(HKCU, kTimers, QStringLiteral("Continue")), QVariant::fromValue<quint32>(0));
    const QByteArray file = readAll(registry.storeFile(HKCU));
    EXPECT_EQ(file.count("\"Continue\""), 1) << file.constData();
    EXPECT_FALSE(file.contains("CONTINUE"));
    EXPECT_FALSE(file.contains("TIMERS"));

    // Changing the type of a value replaces it.
    registry.regsetvalue(HKCU, kTimers, QStringLiteral("continue"), QStringLiteral("yes"), REG_SZ);
    EXPECT_EQ(
        registry.regqueryvalue(HKCU, kTimers, QStringLiteral("Continue")), QVariant(QStringLiteral("yes")));

    EXPECT_EQ(registry.regdeletevalue(HKCU, kTimers, QStringLiteral("CONTINUE")), kRegOk);
    EXPECT_FALSE(registry.regqueryvalue(HKCU, kTimers, QStringLiteral("Continue")).isValid());
}

TEST_F(RegistryTest, AMissingKeyFailsWritesQuietlyAndReadsEmpty)
{
    // Nothing stored at all: no folder, no file.
    EXPECT_NE(registry.regsetvalue(HKCU, kTimers, QStringLiteral("Status"), 1, REG_DWORD), kRegOk);
    EXPECT_FALSE(QDir(store()).exists());
    EXPECT_FALSE(registry.regqueryvalue(HKCU, kTimers, QStringLiteral("Status")).isValid());
    EXPECT_FALSE(registry.keyExists(HKCU, kTimers));

    // A sibling key exists, the timer key does not: a write creates nothing.
    registry.regcreatekey(HKCU, QStringLiteral("Software\\Vorlane\\Server"));
    const QByteArray before = readAll(registry.storeFile(HKCU));
    EXPECT_EQ(registry.regsetvalue(HKCU, kTimers, QStringLiteral("Status"), 1, REG_DWORD), kRegNotFound);
    EXPECT_EQ(registry.regdeletevalue(HKCU, kTimers, QStringLiteral("Status")), kRegNotFound);
    EXPECT_EQ(readAll(registry.storeFile(HKCU)), before);
    EXPECT_FALSE(registry.keyExists(HKCU, kTimers));
    RegKey key;
    EXPECT_FALSE(registry.openKey(HKCU, kTimers, &key));

    // The key exists, the value does not.
    registry.regcreatekey(HKCU, kTimers);
    EXPECT_FALSE(registry.regqueryvalue(HKCU, kTimers, QStringLiteral("TimeLimit")).isValid());
    EXPECT_EQ(registry.regdeletevalue(HKCU, kTimers, QStringLiteral("TimeLimit")), kRegNotFound);
    // The roots are separate stores.
    EXPECT_FALSE(registry.keyExists(RegRoot::LocalMachine, kTimers));
}

TEST_F(RegistryTest, KeysAreCreatedWithTheirParentsAndDeletedWithTheirSubKeys)
{
    ASSERT_EQ(registry.regcreatekey(HKCU, QStringLiteral("\\Software\\Vorlane\\Timers\\")), kRegOk);
    EXPECT_TRUE(registry.keyExists(HKCU, QStringLiteral("Software\\Vorlane")));
    EXPECT_TRUE(registry.keyExists(HKCU, kTimers));
    registry.regcreatekey(HKCU, kTimers + QStringLiteral("\\Inner"));
    registry.regcreatekey(HKCU, QStringLiteral("Software\\Vorlane\\Timers2"));
    registry.regcreatekey(HKCU, QStringLiteral("Software\\Vorlane\\Timers 3"));
    registry.regsetvalue(
        HKCU, QStringLiteral("Software\\Vorlane\\Timers2"), QStringLiteral("Kept"), 1, REG_DWORD);

    EXPECT_EQ(registry.regdeletekey(HKCU, kTimers), kRegOk);
    EXPECT_FALSE(registry.keyExists(HKCU, kTimers));
    EXPECT_FALSE(registry.keyExists(HKCU, kTimers + QStringLiteral("\\Inner")));
    // Keys whose names merely begin the same way are not sub-keys.
    EXPECT_TRUE(registry.keyExists(HKCU, QStringLiteral("Software\\Vorlane\\Timers2")));
    EXPECT_TRUE(registry.keyExists(HKCU, QStringLiteral("Software\\Vorlane\\Timers 3")));
    EXPECT_EQ(
        registry.regqueryvalue(HKCU, QStringLiteral("Software\\Vorlane\\Timers2"), QStringLiteral("Kept")),
        QVariant::fromValue<quint32>(1));
    EXPECT_EQ(registry.regdeletekey(HKCU, kTimers), kRegNotFound);
    EXPECT_NE(registry.regdeletekey(HKCU, QString()), kRegOk);
    // A key created empty still exists after a reload.
    EXPECT_TRUE(Registry(store()).keyExists(HKCU, QStringLiteral("Software\\Vorlane\\Timers 3")));
}

TEST_F(RegistryTest, EveryOperationSeesWhatAnotherWriterStored)
{
    Registry other(store());
    registry.regcreatekey(HKCU, kTimers);
    EXPECT_TRUE(other.keyExists(HKCU, kTimers));
    // Same length, same second: a reader that trusted the file's size or time would miss these.
    for (int i = 0; i < 20; ++i) {
        other.regsetvalue(
            HKCU, kTimers, QStringLiteral("Elapsed"), QStringLiteral("0 : 0 : %1").arg(i % 10), REG_SZ);
        ASSERT_EQ(registry.regqueryvalue(HKCU, kTimers, QStringLiteral("Elapsed")).toString(),
            QStringLiteral("0 : 0 : %1").arg(i % 10));
        registry.regsetvalue(HKCU, kTimers, QStringLiteral("Amount"), QString::number(i % 10), REG_SZ);
        ASSERT_EQ(
            other.regqueryvalue(HKCU, kTimers, QStringLiteral("Amount")).toString(), QString::number(i % 10));
    }
    // A value written by one is not lost by the other's next write.
    EXPECT_EQ(other.regqueryvalue(HKCU, kTimers, QStringLiteral("Elapsed")).toString(),
        QStringLiteral("0 : 0 : 9"));
}

TEST_F(RegistryTest, WritersInParallelLoseNothing)
{
    registry.regcreatekey(HKCU, kTimers);
    constexpr int kWriters = 4;
    constexpr int kEach = 40;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([this, w] {
            Registry own(store());
            for (int i = 0; i < kEach; ++i)
                own.regsetvalue(HKCU, kTimers, QStringLiteral("W%1_%2").arg(w).arg(i), i, REG_DWORD);
        });
    }
    for (std::thread &t : writers)
        t.join();
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kEach; ++i)
            ASSERT_EQ(registry.regqueryvalue(HKCU, kTimers, QStringLiteral("W%1_%2").arg(w).arg(i)),
                QVariant::fromValue<quint32>(quint32(i)))
                << w << " " << i;
    }
}

TEST_F(RegistryTest, AFileThatDoesNotLoadIsNeverOverwritten)
{
    registry.regcreatekey(HKCU, kTimers);
    registry.regsetvalue(HKCU, kTimers, QStringLiteral("UserId"), QStringLiteral("ann"), REG_SZ);
    const QByteArray damaged = "Windows Registry Editor Version "
                               "5.00\n\n[HKEY_CURRENT_USER\\Software\\Vorlane\\Timers]\n\"UserId\"=\"an";
    writeAll(registry.storeFile(HKCU), damaged);

    EXPECT_FALSE(registry.storeLoads(HKCU));
    EXPECT_FALSE(registry.regqueryvalue(HKCU, kTimers, QStringLiteral("UserId")).isValid());
    EXPECT_EQ(registry.regcreatekey(HKCU, kTimers), kRegCorrupt);
    EXPECT_NE(
        registry.regsetvalue(HKCU, kTimers, QStringLiteral("UserId"), QStringLiteral("bob"), REG_SZ), kRegOk);
    EXPECT_EQ(readAll(registry.storeFile(HKCU)), damaged);
    // The other root is unaffected.
    EXPECT_EQ(registry.regcreatekey(RegRoot::LocalMachine, kTimers), kRegOk);

    // An empty file holds nothing to lose: it is an empty root.
    writeAll(registry.storeFile(HKCU), QByteArray());
    EXPECT_TRUE(registry.storeLoads(HKCU));
    EXPECT_EQ(registry.regcreatekey(HKCU, kTimers), kRegOk);
}

TEST_F(RegistryTest, HandWrittenFilesInTheExportFormatLoad)
{
    QDir().mkpath(store());
    // CRLF line ends, comments, a key without its parents' sections, binary data over
    // several lines, the unnamed value, hex text, a deleted value and a deleted key.
    writeAll(registry.storeFile(HKCU),
        "\xef\xbb\xbfWindows Registry Editor Version 5.00\r\n\r\n"
        "; set up by hand\r\n"
        "[HKEY_CURRENT_USER\\Software\\Vorlane\\Timers]\r\n"
        "\"RateType\"=\"Slot II\"\r\n"
        "@=\"default\"\r\n"
        "\"Continue\" = dword:1\r\n"
        "\"Long\"=hex:00,01,02,\\\r\n"
        "  03,04\r\n"
        "\"Note\"=hex(1):68,00,69,00,00,00\r\n"
        "\"Gone\"=\"x\"\r\n"
        "\"Gone\"=-\r\n"
        "[HKEY_CURRENT_USER\\Software\\Old]\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Old]\r\n");
    ASSERT_TRUE(registry.storeLoads(HKCU));
    EXPECT_TRUE(registry.keyExists(HKCU, QStringLiteral("Software\\Vorlane")));
    EXPECT_EQ(registry.regqueryvalue(HKCU, kTimers, QStringLiteral("RateType")),
        QVariant(QStringLiteral("Slot II")));
    EXPECT_EQ(registry.regqueryvalue(HKCU, kTimers, QString()), QVariant(QStringLiteral("default")));
    EXPECT_EQ(
        registry.regqueryvalue(HKCU, kTimers, QStringLiteral("continue")), QVariant::fromValue<quint32>(1));
    EXPECT_EQ(registry.regqueryvalue(HKCU, kTimers, QStringLiteral("Note")), QVariant(QStringLiteral("hi")));
    EXPECT_FALSE(registry.regqueryvalue(HKCU, kTimers, QStringLiteral("Gone")).isValid());
    EXPECT_FALSE(registry.keyExists(HKCU, QStringLiteral("Software\\Old")));

    // A section of the other root does not belong in this file.
    writeAll(registry.storeFile(HKCU),
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software]\n\n");
    EXPECT_FALSE(registry.storeLoads(HKCU));
}

TEST_F(RegistryTest, ABatchWritesOnceAndShowsItsWritesAtOnce)
{
    registry.regcreatekey(HKCU, kTimers);
    const QString file = registry.storeFile(HKCU);
    const QString backup = dir.filePath(QStringLiteral("ScTest.reg"));
    {
        RegistryBatch batch(registry);
        registry.regsetvalue(HKCU, kTimers, QStringLiteral("Elapsed"), QStringLiteral("0 : 0 : 1"), REG_SZ);
        EXPECT_EQ(registry.regsetvalue(HKCU, kTimers, QStringLiteral("Amount"), QStringLiteral("5"), REG_SZ),
            kRegOk);
        EXPECT_EQ(registry.regsetvalue(
                      HKCU, QStringLiteral("Software\\Missing"), QStringLiteral("X"), 1, REG_DWORD),
            kRegNotFound);
        EXPECT_EQ(
            registry.regqueryvalue(HKCU, kTimers, QStringLiteral("Amount")), QVariant(QStringLiteral("5")));
        // Another reader still sees the file as it was.
        EXPECT_FALSE(Registry(store()).regqueryvalue(HKCU, kTimers, QStringLiteral("Elapsed")).isValid());
        EXPECT_TRUE(registry.SaveKeyToFile(HKCU, kTimers, backup));
        {
            RegistryBatch inner(registry);
            registry.regsetvalue(HKCU, kTimers, QStringLiteral("Status"), 1, REG_DWORD);
        }
        EXPECT_FALSE(Registry(store()).regqueryvalue(HKCU, kTimers, QStringLiteral("Status")).isValid());
        // What another process writes meanwhile is kept.
        Registry(store()).regsetvalue(
            HKCU, kTimers, QStringLiteral("RateType"), QStringLiteral("Slot III"), REG_SZ);
    }
    Registry after(store());
    EXPECT_EQ(
        after.regqueryvalue(HKCU, kTimers, QStringLiteral("Elapsed")), QVariant(QStringLiteral("0 : 0 : 1")));
    EXPECT_EQ(after.regqueryvalue(HKCU, kTimers, QStringLiteral("Status")), QVariant::fromValue<quint32>(1));
    EXPECT_EQ(
        after.regqueryvalue(HKCU, kTimers, QStringLiteral("RateType")), QVariant(QStringLiteral("Slot III")));
    EXPECT_FALSE(after.keyExists(HKCU, QStringLiteral("Software\\Missing")));
    // The save inside the batch held the batch's values.
    EXPECT_TRUE(readAll(backup).contains("\"Amount\"=\"5\""));
}

TEST(RegistryDefaults, StoreFolderFollowsTheEnvironment)
{
    const QByteArray savedRegistry = qgetenv("VORLANE_REGISTRY_DIR");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("VORLANE_REGISTRY_DIR", "/srv/reg");
    EXPECT_EQ(Registry::defaultStoreFolder(), QStringLiteral("/srv/reg"));
    qunsetenv("VORLANE_REGISTRY_DIR");
    qputenv("XDG_CONFIG_HOME", "/home/x/.cfg");
    EXPECT_EQ(Registry::defaultStoreFolder(), QStringLiteral("/home/x/.cfg/vorlane"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(Registry::defaultStoreFolder(), QDir::homePath() + QStringLiteral("/.config/vorlane"));
    if (!savedRegistry.isNull())
        qputenv("VORLANE_REGISTRY_DIR", savedRegistry);
    if (!savedConfig.isNull())
        qputenv("XDG_CONFIG_HOME", savedConfig);
}

} // namespace
} // namespace vorlane
