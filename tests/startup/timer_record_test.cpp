#include "platform/registry.h"
#include "startup/station_context.h"
#include "startup/timer_record.h"
#include "support/station_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <random>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vorlane {
namespace {

const QString kKey = QString::fromLatin1(kTimersKey);

/// A registry store with the timer key set up, as a provisioned station has it.
struct TimerStore {
    test::TestFolders folders;
    QString backupFile = QDir(folders.systemFolder()).filePath(QStringLiteral("ScTest.reg"));

    explicit TimerStore(bool withKey = true)
    {
        if (withKey)
            Registry(folders.registryFolder()).regcreatekey(RegRoot::CurrentUser, kKey);
    }
};

TEST(TimerRecordElapsed, TextHasNoLeadingZerosAndSplitsBack)
{
    EXPECT_EQ(TimerRecord::elapsedText(2, 0, 7), QStringLiteral("2 : 0 : 7"));
    EXPECT_EQ(TimerRecord::elapsedText(0, 0, 0), QStringLiteral("0 : 0 : 0"));
    EXPECT_EQ(TimerRecord::elapsedText(12, 5, 30), QStringLiteral("12 : 5 : 30"));

    int h = -1, m = -1, s = -1;
    TimerRecord::splitElapsed(QStringLiteral("2 : 0 : 7"), &h, &m, &s);
    EXPECT_EQ(std::tuple(h, m, s), std::tuple(2, 0, 7));
    TimerRecord::splitElapsed(QStringLiteral("14:59:01"), &h, &m, &s);
    EXPECT_EQ(std::tuple(h, m, s), std::tuple(14, 59, 1));
    // Hand-edited or damaged records must not stop a timer: junk reads as 0.
    TimerRecord::splitElapsed(QString(), &h, &m, &s);
    EXPECT_EQ(std::tuple(h, m, s), std::tuple(0, 0, 0));
    TimerRecord::splitElapsed(QStringLiteral("x : 3y : "), &h, &m, &s);
    EXPECT_EQ(std::tuple(h, m, s), std::tuple(0, 3, 0));
    TimerRecord::splitElapsed(QStringLiteral("5"), &h, &m, &s);
    EXPECT_EQ(std::tuple(h, m, s), std::tuple(5, 0, 0));
    TimerRecord::splitElapsed(QStringLiteral("99999999999 : 1 : 1"), &h, &m, nullptr);
    EXPECT_EQ(std::tuple(h, m), std::tuple(0, 1));
}

TEST(TimerRecordValues, KeepTheirRegistryTypesAndReadBackExactly)
{
    TimerStore store;
    Registry registry(store.folders.registryFolder());
    TimerRecord record(registry, store.backupFile);

    record.setUserId(QStringLiteral("jdoe"));
    record.setDate(QStringLiteral("3/7/2026"));
    record.setLoginTime(QStringLiteral("9:05:00 AM"));
    record.setLogoutTime(QString());
    record.setElapsed(TimerRecord::elapsedText(2, 0, 7));
    record.setAmount(QStringLiteral("35"));
    record.setStatus(1);
    record.setTimeLimit(QStringLiteral("45"));
    record.setRemind(QStringLiteral("1"));
    record.setContinue(1);

    EXPECT_EQ(record.userId(), QStringLiteral("jdoe"));
    EXPECT_EQ(record.date(), QStringLiteral("3/7/2026"));
    EXPECT_EQ(record.loginTime(), QStringLiteral("9:05:00 AM"));
    EXPECT_EQ(record.logoutTime(), QString());
    EXPECT_EQ(record.elapsed(), QStringLiteral("2 : 0 : 7"));
    EXPECT_EQ(record.amount(), QStringLiteral("35"));
    EXPECT_EQ(record.status(), 1);
    EXPECT_EQ(record.timeLimit(), 45);
    EXPECT_EQ(record.remind(), QStringLiteral("1"));
    EXPECT_EQ(record.continueFlag(), 1);
    EXPECT_EQ(record.rateType(), QString());

    RegKey key;
    ASSERT_TRUE(registry.openKey(RegRoot::CurrentUser, kKey, &key));
    for (const char *name :
        { "UserId", "Date", "LoginTime", "LogoutTime", "Elapsed", "Amount", "TimeLimit", "Remind" }) {
        int type = 0;
        registry.regquerytyped(key, QString::fromLatin1(name), &type);
        EXPECT_EQ(type, REG_SZ) << name;
    }
    for (const char *name : { "Status", "Continue" }) {
        int type = 0;
        registry.regquerytyped(key, QString::fromLatin1(name), &type);
        EXPECT_EQ(type, REG_DWORD) << name;
    }

    // The guest timer's logout resets what the station's provisioning may have set.
    record.setContinue(0);
    record.setTimeLimit(QStringLiteral("0"));
    record.setStatus(0);
    EXPECT_EQ(record.continueFlag(), 0);
    EXPECT_EQ(record.timeLimit(), 0);
    EXPECT_EQ(record.status(), 0);
}

TEST(TimerRecordValues, NeverSetOrUnreadableNumbersReadAsZero)
{
    TimerStore store;
    Registry registry(store.folders.registryFolder());
    TimerRecord record(registry, store.backupFile);

    EXPECT_EQ(record.status(), 0);
    EXPECT_EQ(record.timeLimit(), 0);
    EXPECT_EQ(record.continueFlag(), 0);
    EXPECT_EQ(record.userId(), QString());
    EXPECT_EQ(record.elapsed(), QString());

    // Values set by hand when the station is provisioned.
    registry.regsetvalue(
        RegRoot::CurrentUser, kKey, QStringLiteral("TimeLimit"), QStringLiteral("soon"), REG_SZ);
    EXPECT_EQ(record.timeLimit(), 0);
    registry.regsetvalue(
        RegRoot::CurrentUser, kKey, QStringLiteral("TimeLimit"), QStringLiteral(" 30 "), REG_SZ);
    EXPECT_EQ(record.timeLimit(), 30);
    registry.regsetvalue(RegRoot::CurrentUser, kKey, QStringLiteral("Continue"), QStringLiteral("1"), REG_SZ);
    EXPECT_EQ(record.continueFlag(), 1);
    registry.regsetvalue(RegRoot::CurrentUser, kKey, QStringLiteral("Status"), QStringLiteral("1"), REG_SZ);
    EXPECT_EQ(record.status(), 1);
}

TEST(TimerRecordMissingKey, WritesFailQuietlyAndRestoreDoesNotRecreateIt)
{
    TimerStore store;
    {
        Registry registry(store.folders.registryFolder());
        TimerRecord record(registry, store.backupFile);
        record.setStatus(1);
        record.setUserId(QStringLiteral("guest"));
        record.saveBackup();
        ASSERT_TRUE(QFile::exists(store.backupFile));
        registry.regdeletekey(RegRoot::CurrentUser, kKey);
    }

    Registry registry(store.folders.registryFolder());
    TimerRecord record(registry, store.backupFile);
    record.restoreBackup();
    EXPECT_FALSE(registry.keyExists(RegRoot::CurrentUser, kKey));
    record.setElapsed(QStringLiteral("0 : 0 : 1"));
    record.setStatus(1);
    EXPECT_FALSE(registry.keyExists(RegRoot::CurrentUser, kKey));
    EXPECT_EQ(record.status(), 0);
    EXPECT_EQ(record.userId(), QString());
    EXPECT_EQ(record.elapsed(), QString());
}

TEST(TimerRecordBackup, ValuesChangedBehindTheProgramsBackComeBackAtNextStart)
{
    TimerStore store;
    {
        Registry registry(store.folders.registryFolder());
        TimerRecord record(registry, store.backupFile);
        // Without a backup file the start leaves the record as it is.
        record.setUserId(QStringLiteral("jdoe"));
        record.restoreBackup();
        EXPECT_EQ(record.userId(), QStringLiteral("jdoe"));

        record.setStatus(1);
        record.setElapsed(QStringLiteral("1 : 5 : 30"));
        record.setAmount(QStringLiteral("40"));
        record.saveBackup();

        registry.regsetvalue(RegRoot::CurrentUser, kKey, QStringLiteral("Status"), 0u, REG_DWORD);
        registry.regsetvalue(
            RegRoot::CurrentUser, kKey, QStringLiteral("Elapsed"), QStringLiteral("0 : 0 : 1"), REG_SZ);
        registry.regdeletevalue(RegRoot::CurrentUser, kKey, QStringLiteral("Amount"));
        registry.regsetvalue(
            RegRoot::CurrentUser, kKey, QStringLiteral("Intruder"), QStringLiteral("x"), REG_SZ);
    }

    Registry registry(store.folders.registryFolder());
    TimerRecord record(registry, store.backupFile);
    record.restoreBackup();
    EXPECT_EQ(record.status(), 1);
    EXPECT_EQ(record.userId(), QStringLiteral("jdoe"));
    EXPECT_EQ(record.elapsed(), QStringLiteral("1 : 5 : 30"));
    EXPECT_EQ(record.amount(), QStringLiteral("40"));
    EXPECT_FALSE(registry.regqueryvalue(RegRoot::CurrentUser, kKey, QStringLiteral("Intruder")).isValid());
}

// The elapsed text of the n-th second of a period.
QString tickText(int n)
{
    return TimerRecord::elapsedText(n / 3600, n / 60 % 60, n % 60);
}

// The writer writes Elapsed, then Amount (5 per second), then saves the key: a
// record read at any moment may hold the amount of the previous second, never
// anything else. Returns the second the record holds.
int expectIntactOpenRecord(TimerRecord &record, int round, const char *when)
{
    SCOPED_TRACE(testing::Message() << "round " << round << ", " << when);
    EXPECT_EQ(record.status(), 1);
    EXPECT_EQ(record.userId(), QStringLiteral("guest"));
    EXPECT_EQ(record.date(), QStringLiteral("3/7/2026"));
    EXPECT_EQ(record.loginTime(), QStringLiteral("9:05:00 AM"));
    EXPECT_EQ(record.logoutTime(), QString());
    EXPECT_EQ(record.rateType(), QStringLiteral("Slot II"));
    int h = 0, m = 0, s = 0;
    TimerRecord::splitElapsed(record.elapsed(), &h, &m, &s);
    const int tick = h * 3600 + m * 60 + s;
    EXPECT_EQ(record.elapsed(), tickText(tick));
    const int amount = record.amount().toInt();
    EXPECT_TRUE(amount == 5 * tick || amount == 5 * (tick - 1))
        << "elapsed " << record.elapsed().toStdString() << ", amount " << record.amount().toStdString();
    return tick;
}

void writeSecond(TimerRecord &record, int tick)
{
    record.setElapsed(tickText(tick));
    record.setAmount(QString::number(5 * tick));
    record.saveBackup();
}

// Ticks from `firstTick` on until killed; tells the parent once the first second is written.
[[noreturn]] void runWriter(
    const QString &registryFolder, const QString &backupFile, int firstTick, int readyFd)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    Registry registry(registryFolder);
    TimerRecord record(registry, backupFile);
    for (int tick = firstTick;; ++tick) {
        writeSecond(record, tick);
        if (tick == firstTick) {
            const char ready = 'r';
            if (write(readyFd, &ready, 1) != 1)
                _exit(2);
        }
    }
}

TEST(TimerRecordCrash, OpenRecordSurvivesAKillOfTheWriterAtAnyMoment)
{
    TimerStore store;
    const int rounds = qEnvironmentVariableIsSet("VORLANE_CRASH_ROUNDS")
        ? qEnvironmentVariableIntValue("VORLANE_CRASH_ROUNDS")
        : 100;
    const unsigned seed = std::random_device {}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);

    qint64 secondMicroseconds = 0;
    {
        // What a guest timer writes when it loads. Writing one second also tells how
        // long a second's writes take here, so that the kills spread over whole seconds.
        Registry registry(store.folders.registryFolder());
        registry.regsetvalue(
            RegRoot::CurrentUser, kKey, QStringLiteral("RateType"), QStringLiteral("Slot II"), REG_SZ);
        TimerRecord record(registry, store.backupFile);
        QElapsedTimer timer;
        timer.start();
        writeSecond(record, 0);
        secondMicroseconds = std::max<qint64>(timer.nsecsElapsed() / 1000, 100);
        record.setStatus(1);
        record.setUserId(QStringLiteral("guest"));
        record.setDate(QStringLiteral("3/7/2026"));
        record.setLogoutTime(QString());
        record.setLoginTime(QStringLiteral("9:05:00 AM"));
    }
    std::uniform_int_distribution<qint64> pauseMicroseconds(0, 2 * secondMicroseconds);

    int nextTick = 1;
    for (int round = 0; round < rounds; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            runWriter(store.folders.registryFolder(), store.backupFile, nextTick, ready[1]);
        }
        close(ready[1]);
        char byte = 0;
        const bool started = read(ready[0], &byte, 1) == 1;
        close(ready[0]);
        usleep(useconds_t(pauseMicroseconds(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(started) << "the writer died before its first second";
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        // The record as the next start finds it, then after its restore from the backup file.
        Registry registry(store.folders.registryFolder());
        TimerRecord record(registry, store.backupFile);
        const int written = expectIntactOpenRecord(record, round, "in the registry");
        EXPECT_GE(written, nextTick);
        record.restoreBackup();
        const int restored = expectIntactOpenRecord(record, round, "restored from the backup file");
        EXPECT_TRUE(restored == written || restored == written - 1) << restored << " after " << written;
        EXPECT_GE(restored, nextTick);
        if (testing::Test::HasFailure())
            break;
        nextTick = restored + 1;
    }
}

} // namespace
} // namespace vorlane
