#include "startup/station_setup.h"

#include "platform/registry.h"
#include "platform/shared_files.h"
#include "platform/system.h"
#include "startup/database_location.h"
#include "startup/station_context.h"

#include <QDir>

namespace vorlane {

namespace {

const QStringList kOptions = { QStringLiteral("--server"), QStringLiteral("--rate-class"),
    QStringLiteral("--time-limit"), QStringLiteral("--continue"), QStringLiteral("--database-user"),
    QStringLiteral("--database-password") };

const QStringList kRateClasses
    = { QStringLiteral("Slot I"), QStringLiteral("Slot II"), QStringLiteral("Slot III") };

/// A whole decimal number within [low, high], digits only.
std::optional<int> wholeNumber(const QString &text, int low, int high)
{
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const int value = text.toInt();
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

QString describeValue(const QVariant &value)
{
    return value.isValid() ? value.toString() : QStringLiteral("(not set)");
}

} // namespace

QString StationSetup::usage()
{
    return QStringLiteral(
        "usage: vorlane --setup [--server NAME] [--rate-class \"Slot I\"|\"Slot II\"|\"Slot III\"]\n"
        "                       [--time-limit N] [--continue 0|1]\n"
        "                       [--database-user U] [--database-password P]\n");
}

std::optional<StationSetupOptions> StationSetup::parse(const QStringList &arguments, QString *error)
{
    StationSetupOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString option = arguments.at(i);
        if (!kOptions.contains(option)) {
            *error = QStringLiteral("unknown option \"%1\"").arg(option);
            return std::nullopt;
        }
        if (i + 1 >= arguments.size() || arguments.at(i + 1).startsWith(QLatin1String("--"))) {
            *error = QStringLiteral("%1 needs a value").arg(option);
            return std::nullopt;
        }
        if (!setOption(options, option, arguments.at(++i), error))
            return std::nullopt;
    }
    return options;
}

bool StationSetup::setOption(
    StationSetupOptions &options, const QString &option, const QString &value, QString *error)
{
    if (option == QLatin1String("--server")) {
        if (value.trimmed().isEmpty()) {
            *error = QStringLiteral("--server needs the name of the server computer");
            return false;
        }
        options.server = value;
    } else if (option == QLatin1String("--rate-class")) {
        // The guest timer chooses its price table by this exact text.
        if (!kRateClasses.contains(value)) {
            *error
                = QStringLiteral("--rate-class must be \"Slot I\", \"Slot II\" or \"Slot III\", not \"%1\"")
                      .arg(value);
            return false;
        }
        options.rateClass = value;
    } else if (option == QLatin1String("--time-limit")) {
        // Compared with the minutes of the running hour, so only 0..59 can ever be reached.
        options.timeLimit = wholeNumber(value, 0, 59);
        if (!options.timeLimit) {
            *error = QStringLiteral("--time-limit must be a whole number of minutes from 0 to 59, not \"%1\"")
                         .arg(value);
            return false;
        }
    } else if (option == QLatin1String("--continue")) {
        options.continueFlag = wholeNumber(value, 0, 1);
        if (!options.continueFlag) {
            *error = QStringLiteral("--continue must be 0 or 1, not \"%1\"").arg(value);
            return false;
        }
    } else if (option == QLatin1String("--database-user") || option == QLatin1String("--database-password")) {
        // Used only when the server keeps its database on PostgreSQL; passed to libpq as they are.
        if (value.isEmpty() || value.contains(QChar(0))) {
            *error = QStringLiteral("%1 needs a value").arg(option);
            return false;
        }
        (option == QLatin1String("--database-user") ? options.databaseUser : options.databasePassword)
            = value;
    } else {
        *error = QStringLiteral("unknown option \"%1\"").arg(option);
        return false;
    }
    return true;
}

QStringList StationSetup::optionNames()
{
    return kOptions;
}

bool StationSetup::apply(
    Registry &registry, System &system, const StationSetupOptions &options, QString *error)
{
    const QString serverKey = QString::fromLatin1(kServerKey);
    const QString timersKey = QString::fromLatin1(kTimersKey);
    QDir().mkpath(registry.storeFolder());
    for (const char *key : { kServerKey, kTimersKey, kSettingsKey }) {
        if (registry.regcreatekey(RegRoot::CurrentUser, QString::fromLatin1(key)) != 0) {
            *error = QStringLiteral("cannot create the registry key %1 in %2")
                         .arg(QString::fromLatin1(key), registry.storeFolder());
            return false;
        }
    }

    struct Write {
        QString key;
        QString name;
        QVariant value;
        int type;
    };
    QList<Write> writes;
    if (options.server) {
        writes.append({ serverKey, QStringLiteral("VLServer"), *options.server, REG_SZ });
        writes.append({ serverKey, QStringLiteral("VLSSpec"), 1u, REG_DWORD });
    }
    if (options.rateClass)
        writes.append({ timersKey, QStringLiteral("RateType"), *options.rateClass, REG_SZ });
    if (options.timeLimit)
        writes.append(
            { timersKey, QStringLiteral("TimeLimit"), QString::number(*options.timeLimit), REG_SZ });
    if (options.continueFlag)
        writes.append({ timersKey, QStringLiteral("Continue"), uint(*options.continueFlag), REG_DWORD });
    if (options.databaseUser)
        writes.append({ serverKey, QString::fromLatin1(kDatabaseUserValue), *options.databaseUser, REG_SZ });
    if (options.databasePassword)
        writes.append(
            { serverKey, QString::fromLatin1(kDatabasePasswordValue), *options.databasePassword, REG_SZ });
    for (const Write &write : writes) {
        if (registry.regsetvalue(RegRoot::CurrentUser, write.key, write.name, write.value, write.type) != 0) {
            *error = QStringLiteral("cannot write %1 into %2").arg(write.name, write.key);
            return false;
        }
    }

    const QString systemFiles = QDir(system.programFolder()).filePath(QStringLiteral("systemfiles"));
    if (!makeSharedFolder(systemFiles)) {
        *error = QStringLiteral("cannot create the folder %1").arg(systemFiles);
        return false;
    }
    return true;
}

QStringList StationSetup::describe(const Registry &registry, const System &system)
{
    const QString serverKey = QString::fromLatin1(kServerKey);
    const QString timersKey = QString::fromLatin1(kTimersKey);
    const auto value = [&registry](const QString &key, const char *name) {
        return describeValue(registry.regqueryvalue(RegRoot::CurrentUser, key, QString::fromLatin1(name)));
    };
    return {
        QStringLiteral("registry:    %1").arg(registry.storeFolder()),
        QStringLiteral("VLServer:    %1").arg(value(serverKey, "VLServer")),
        QStringLiteral("VLSSpec:     %1").arg(value(serverKey, "VLSSpec")),
        QStringLiteral("RateType:    %1").arg(value(timersKey, "RateType")),
        QStringLiteral("TimeLimit:   %1").arg(value(timersKey, "TimeLimit")),
        QStringLiteral("Continue:    %1").arg(value(timersKey, "Continue")),
        QStringLiteral("DBUser:      %1").arg(value(serverKey, kDatabaseUserValue)),
        // The password is never shown: only whether one is kept.
        QStringLiteral("DBPassword:  %1")
            .arg(
                registry.regqueryvalue(
                            RegRoot::CurrentUser, serverKey, QString::fromLatin1(kDatabasePasswordValue))
                        .isValid()
                    ? QStringLiteral("(set)")
                    : QStringLiteral("(not set)")),
        QStringLiteral("systemfiles: %1")
            .arg(QDir(system.programFolder()).filePath(QStringLiteral("systemfiles"))),
    };
}

} // namespace vorlane
