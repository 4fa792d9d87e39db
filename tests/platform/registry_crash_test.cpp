// A station can die at any instant of its once-a-second registry work. These
// tests kill a writing process with SIGKILL at random moments and check that
// what it leaves behind always loads.

#include "platform/registry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

namespace vorlane {
namespace {

const QString kTimers = QStringLiteral("Software\\Vorlane\\Timers");
const QString kCheck = QStringLiteral("Software\\Check");
constexpr RegRoot HKCU = RegRoot::CurrentUser;

/// The child: one timer second after another, forever, each marked with `round`
/// and a running count so that the parent can tell it is under way.
[[noreturn]] void writeForever(
    const QString &store, const QString &backup, int round, bool batched, Registry::Durability durability)
{
    Registry registry(store);
    registry.setDurability(durability);
    for (quint32 second = 0;; ++second) {
        if (batched)
            registry.beginBatch();
        const QString text = QStringLiteral("%1 : %2 : %3").arg(round).arg(second / 60).arg(second % 60);
        registry.regsetvalue(HKCU, kTimers, QStringLiteral("Elapsed"), text, REG_SZ);
        registry.regsetvalue(
            HKCU, kTimers, QStringLiteral("Amount"), QString(int(second % 50) + 1, u'9'), REG_SZ);
        registry.regsetvalue(HKCU, kTimers, QStringLiteral("UserId"), QStringLiteral("guest"), REG_SZ);
        registry.regsetvalue(HKCU, kTimers, QStringLiteral("Status"), 1, REG_DWORD);
        registry.regsetvalue(HKCU, kTimers, QStringLiteral("Round"), round, REG_DWORD);
        registry.regsetvalue(HKCU, kTimers, QStringLiteral("Second"), second, REG_DWORD);
        registry.SaveKeyToFile(HKCU, kTimers, backup);
        if (batched)
            registry.endBatch();
    }
}

/// Waits (bounded) until the child has stored a second of this round.
bool childIsWriting(Registry &reader, int round)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 20000) {
        const QVariant seen = reader.regqueryvalue(HKCU, kTimers, QStringLiteral("Round"));
        if (seen.isValid() && seen.value<quint32>() == quint32(round))
            return true;
        ::usleep(200);
    }
    return false;
}

TEST(RegistryCrash, AWriterKilledAtRandomMomentsAlwaysLeavesFilesThatLoad)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("store"));
    const QString backup = dir.filePath(QStringLiteral("ScTest.reg"));
    Registry reader(store);
    ASSERT_EQ(reader.regcreatekey(HKCU, kTimers), kRegOk);
    ASSERT_EQ(reader.regsetvalue(HKCU, kTimers, QStringLiteral("RateType"), QStringLiteral("Slot I"), REG_SZ),
        kRegOk);
    ASSERT_TRUE(
        reader.SaveKeyToFile(HKCU, kTimers, backup)); // a backup exists from the start, as on a station
    Registry checker(dir.filePath(QStringLiteral("check")));
    ASSERT_EQ(checker.regcreatekey(HKCU, kCheck), kRegOk);

    const unsigned seed = std::random_device {}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    constexpr int kRounds = 120;
    for (int round = 1; round <= kRounds; ++round) {
        // Alternate the ways of writing, so that kills land in each of them.
        const bool batched = round % 2 == 0;
        const Registry::Durability durability = round % 3 == 0 ? Registry::Durability::NoFlush
            : round % 3 == 1                                   ? Registry::Durability::Whole
                                                               : Registry::Durability::Durable;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            writeForever(store, backup, round, batched, durability);

        const bool writing = childIsWriting(reader, round);
        if (writing)
            ::usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(writing) << "the writer of round " << round << " never got going";
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << round;

        ASSERT_TRUE(reader.storeLoads(HKCU)) << "round " << round;
        const QVariant elapsed = reader.regqueryvalue(HKCU, kTimers, QStringLiteral("Elapsed"));
        ASSERT_EQ(elapsed.typeId(), QMetaType::QString) << round;
        ASSERT_TRUE(elapsed.toString().startsWith(QString::number(round) + QStringLiteral(" : "))) << round;
        ASSERT_EQ(reader.regqueryvalue(HKCU, kTimers, QStringLiteral("RateType")),
            QVariant(QStringLiteral("Slot I")));
        ASSERT_EQ(
            reader.regqueryvalue(HKCU, kTimers, QStringLiteral("Status")), QVariant::fromValue<quint32>(1));

        // The backup loads too, and holds a whole second.
        ASSERT_TRUE(checker.RestoreKeyFromFile(HKCU, kCheck, backup)) << "round " << round;
        ASSERT_EQ(checker.regqueryvalue(HKCU, kCheck, QStringLiteral("RateType")),
            QVariant(QStringLiteral("Slot I")));
    }

    // A kill between making a temporary file and renaming it may leave that file
    // behind; it is hidden and never taken for the store.
    for (const QString &name : QDir(store).entryList(QDir::Files | QDir::Hidden))
        EXPECT_TRUE(name == QLatin1String("HKEY_CURRENT_USER.reg") || name.startsWith(u'.'))
            << name.toStdString();
}

} // namespace
} // namespace vorlane
