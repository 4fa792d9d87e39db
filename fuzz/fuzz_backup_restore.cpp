// The backup file reader and the checked restore: whatever a backup file holds, a
// restore either puts a sound system database in place or leaves the one there as it
// was, and leaves no temporary file behind.
//
// The first byte chooses what the rest is: even, a backup file as it lies on disk (the
// gzip layer and its checks under test); odd, the database inside a backup, which this
// target compresses itself (the database check under test), after checking that the
// compressor gives those bytes back unchanged.
#include "backup_manager.h"
#include "db/connection.h"
#include "db/schema.h"
#include "fuzz_support.h"
#include "platform/compressor.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace vorlane;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray digest(const QString &path)
{
    return QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256);
}

// A scratch folder: the backup file, the compressor's round trip, and the target
// folder holding a live database from the first run on.
struct Scratch {
    // In memory where the system offers it: every restore syncs the database to disk.
    QTemporaryDir dir { QDir(QStringLiteral("/dev/shm")).exists()
            ? QStringLiteral("/dev/shm/vorlane-fuzz-restore-XXXXXX")
            : QDir::temp().filePath(QStringLiteral("vorlane-fuzz-restore-XXXXXX")) };
    QString backup = dir.filePath(QStringLiteral("day.Bkp"));
    QString image = dir.filePath(QStringLiteral("image.mdb"));
    QString roundTrip = dir.filePath(QStringLiteral("round-trip.mdb"));
    QString target = dir.filePath(QStringLiteral("systemfiles"));
    QString live = target + QLatin1Char('/') + QLatin1String(db::kDatabaseFileName);

    Scratch()
    {
        QDir().mkpath(target);
        db::createDatabase(live, { QStringLiteral("admin"), QStringLiteral("guestpw") });
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Scratch scratch;
    if (size == 0)
        return 0;
    const QByteArray content = fuzz::bytes(data + 1, size - 1);
    if ((data[0] & 1) == 0) {
        if (!writeAll(scratch.backup, content))
            return 0;
    } else {
        if (!writeAll(scratch.image, content))
            return 0;
        Compressor compressor;
        compressor.setLevel(1);
        compressor.setSource(scratch.image);
        compressor.setDestination(scratch.backup);
        if (!compressor.compress())
            fuzz::fail("compressing failed", compressor.errorString());
        compressor.setSource(scratch.backup);
        compressor.setDestination(scratch.roundTrip);
        if (!compressor.decompress())
            fuzz::fail("a file just compressed is refused", compressor.errorString());
        if (readAll(scratch.roundTrip) != content)
            fuzz::fail("decompressing does not give the compressed bytes back", scratch.roundTrip);
    }

    const QByteArray before = digest(scratch.live);
    int lastPercent = -1;
    bool ordered = true;
    const QString error = restoreBackup(scratch.backup, scratch.target, [&](int percent) {
        ordered = ordered && percent >= lastPercent && percent >= 0 && percent <= 100;
        lastPercent = percent;
    });
    if (!ordered)
        fuzz::fail("the progress went backwards or out of range", QString::number(lastPercent));
    if (error.isEmpty()) {
        if (lastPercent != 100)
            fuzz::fail("a restore succeeded without reaching 100 %", QString::number(lastPercent));
        try {
            db::Connection check;
            check.open(scratch.live);
            if (const QString problem = db::systemDatabaseProblem(check); !problem.isEmpty())
                fuzz::fail("a restore succeeded with an unusable database", problem);
        } catch (const db::Error &e) {
            fuzz::fail("a restore succeeded with a database that does not open", e.description());
        }
    } else {
        if (lastPercent == 100)
            fuzz::fail("a failed restore reported 100 %", error);
        if (digest(scratch.live) != before)
            fuzz::fail("a failed restore changed the target", error);
    }
    const QStringList left = QDir(scratch.target).entryList(QDir::Files | QDir::Hidden);
    if (left != QStringList { QLatin1String(db::kDatabaseFileName) })
        fuzz::fail("the restore left files behind", left.join(u' '));
    return 0;
}
