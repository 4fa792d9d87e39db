#include "init_database.h"

#include "db/connection.h"
#include "db/schema.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace vorlane {

namespace {

constexpr int kPasswordLength = 8; // the sign-in boxes hold at most eight characters

QString usage()
{
    return QStringLiteral(
        "usage: vorlane-server --init-database FOLDER [--admin-password P] [--guest-password P]\n"
        "                      [--database postgresql://HOST[:PORT]/NAME]\n"
        "Creates FOLDER/systemfiles/%1, or with --database the tables in that PostgreSQL\n"
        "database (recorded in FOLDER/systemfiles/%2); a password not given is generated\n"
        "and printed. The server's user and password come from libpq's environment or\n"
        "password file, never from the address.\n")
        .arg(QLatin1String(db::kDatabaseFileName), QLatin1String(db::kServerDatabaseNote));
}

QString generatePassword()
{
    // Lower-case letters and digits: typeable in every password box, also in the
    // windows that lower what is typed. Look-alikes (0/o, 1/l) are left out.
    static const QString alphabet = QStringLiteral("abcdefghijkmnpqrstuvwxyz23456789");
    QString password;
    for (int i = 0; i < kPasswordLength; ++i)
        password += alphabet.at(int(QRandomGenerator::system()->bounded(quint32(alphabet.size()))));
    return password;
}

/// Empty when `password` can be typed at the sign-in screen; otherwise the reason.
QString passwordProblem(const QString &password)
{
    if (password.isEmpty())
        return QStringLiteral("is empty");
    if (password.size() > kPasswordLength)
        return QStringLiteral("is longer than %1 characters").arg(kPasswordLength);
    if (password.front().isSpace() || password.back().isSpace())
        return QStringLiteral("begins or ends with a blank");
    for (const QChar c : password) {
        if (!c.isPrint())
            return QStringLiteral("holds a character that cannot be typed");
    }
    return {};
}

} // namespace

int runInitDatabase(const QStringList &arguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto fail = [&err](const QString &message, int status) {
        err << "vorlane-server: " << message << '\n';
        if (status == 2)
            err << usage();
        err.flush();
        return status;
    };

    QStringList args = arguments;
    if (args.isEmpty() || args.first() != QLatin1String("--init-database"))
        return fail(QStringLiteral("expected --init-database"), 2);
    args.removeFirst();

    QString folder;
    QString adminPassword;
    QString guestPassword;
    bool adminGiven = false;
    bool guestGiven = false;
    std::optional<QString> server;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--database")) {
            if (server)
                return fail(QStringLiteral("--database given twice"), 2);
            if (i + 1 >= args.size())
                return fail(QStringLiteral("--database needs a value"), 2);
            server = db::normalServerLocation(args.at(++i));
            if (!server)
                return fail(QStringLiteral("--database must be postgresql://HOST[:PORT]/NAME, without a "
                                           "user, a password or options"),
                    2);
        } else if (arg == QLatin1String("--admin-password") || arg == QLatin1String("--guest-password")) {
            const bool admin = arg == QLatin1String("--admin-password");
            if ((admin && adminGiven) || (!admin && guestGiven))
                return fail(QStringLiteral("%1 given twice").arg(arg), 2);
            if (i + 1 >= args.size())
                return fail(QStringLiteral("%1 needs a value").arg(arg), 2);
            const QString value = args.at(++i);
            if (const QString problem = passwordProblem(value); !problem.isEmpty())
                return fail(QStringLiteral(
                                "the password given with %1 %2 (1 to %3 characters, no blank at either end)")
                                .arg(arg, problem)
                                .arg(kPasswordLength),
                    2);
            (admin ? adminPassword : guestPassword) = value;
            (admin ? adminGiven : guestGiven) = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return fail(QStringLiteral("unknown option %1").arg(arg), 2);
        } else if (folder.isEmpty()) {
            folder = arg;
        } else {
            return fail(QStringLiteral("only one FOLDER may be given (also got '%1')").arg(arg), 2);
        }
    }
    if (folder.isEmpty())
        return fail(QStringLiteral("FOLDER is missing"), 2);

    const QFileInfo folderInfo(folder);
    if (folderInfo.exists() && !folderInfo.isDir())
        return fail(QStringLiteral("'%1' is not a folder").arg(folder), 1);

    const QDir systemFiles(QDir(folderInfo.absoluteFilePath()).filePath(QStringLiteral("systemfiles")));
    const QString note = systemFiles.filePath(QLatin1String(db::kServerDatabaseNote));
    const QString file = server ? *server : systemFiles.filePath(QLatin1String(db::kDatabaseFileName));
    // One installation, one database: neither a file nor a recorded server database is replaced.
    for (const QString &existing : { systemFiles.filePath(QLatin1String(db::kDatabaseFileName)), note }) {
        if (QFileInfo::exists(existing))
            return fail(
                QStringLiteral("a database already exists at %1; nothing was changed").arg(existing), 1);
    }

    if (!adminGiven)
        adminPassword = generatePassword();
    if (!guestGiven)
        guestPassword = generatePassword();

    try {
        db::createDatabase(file, db::NewDatabase { adminPassword, guestPassword });
    } catch (const db::Error &e) {
        return fail(QStringLiteral("cannot create the database: %1").arg(e.description()), 1);
    }
    if (server) {
        // The server folder records which database it uses; the note is written whole or not at all.
        QSaveFile record(note);
        const QByteArray line = server->toUtf8() + '\n';
        if (!QDir().mkpath(systemFiles.path()) || !record.open(QIODevice::WriteOnly)
            || record.write(line) != line.size() || !record.commit())
            return fail(QStringLiteral("the database was created at %1, but %2 could not be written: %3")
                            .arg(file, note, record.errorString()),
                1);
    }

    out << "Created " << file << '\n';
    out << "Administrator login: administrator\n";
    out << "Administrator password: " << (adminGiven ? QStringLiteral("(as given)") : adminPassword) << '\n';
    out << "Guest password: " << (guestGiven ? QStringLiteral("(as given)") : guestPassword) << '\n';
    if (!adminGiven || !guestGiven)
        out << "Generated passwords are shown only this once; note them now.\n";
    out.flush();
    return 0;
}

} // namespace vorlane
