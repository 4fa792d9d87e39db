#include "console/station_console.h"

#include "config/station_text.h"
#include "console/remote_command.h"
#include "db/values.h"
#include "platform/log.h"
#include "startup/station_context.h"

#include <QDir>

namespace vorlane {

namespace {

// Field of "Select * from machine_master2" shown in each list column after the serial number.
constexpr int kFieldOfColumn[StationConsole::kColumnCount]
    = { -1, 4, 1, 8, 2, 7, 9, 5, 6, 10, 11, 12, 13, 14, 15 };
constexpr int kComputerColumn = 1;

} // namespace

StationConsole::StationConsole(StationContext &context)
    : m_context(context)
{
}

StationConsole::~StationConsole() = default;

QString StationConsole::cellText(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

QList<QStringList> StationConsole::stations(bool *complete)
{
    QList<QStringList> list;
    if (complete)
        *complete = false;
    const StationState &state = m_context.state();
    try {
        db::Recordset rows(m_context.connection(), QStringLiteral("Select * from machine_master2"));
        for (qint64 serial = 1; !rows.eof(); rows.moveNext(), ++serial) {
            QStringList cells;
            cells.reserve(kColumnCount);
            cells << QString::number(serial);
            for (int column = 1; column < kColumnCount; ++column) {
                const int field = kFieldOfColumn[column];
                if (field >= rows.fieldCount()) {
                    cells << QString();
                    continue;
                }
                const QVariant value = rows.field(field);
                if (column == kStatusColumn) {
                    bool ok = false;
                    const double status = db::toDouble(value, &ok);
                    // This station found at registration that it cannot write the database.
                    if (!state.billingProblem.isEmpty()
                        && cells.at(kComputerColumn).trimmed() == state.computerName)
                        cells << QStringLiteral("Cannot bill");
                    else
                        cells << (ok && status == 0 ? QStringLiteral("Idle") : QStringLiteral("Online"));
                } else {
                    cells << cellText(value);
                }
            }
            list << cells;
        }
        if (complete)
            *complete = true;
    } catch (const db::Error &error) {
        // A list that cannot be read stays as far as it got; "Refresh" tries again.
        qCWarning(
            lcConsole, "the station list stops after %lld rows: %s", qlonglong(list.size()), error.what());
    }
    return list;
}

std::optional<StationConsole::GuestSummary> StationConsole::todaysGuests()
{
    try {
        db::Recordset today(m_context.connection(),
            QStringLiteral("select gt_number,gt_charge from guest_trans where rtrim(gt_date)=DateValue(?)"),
            { db::formatDate(m_context.clock().today()) });
        if (!today.eof())
            return GuestSummary { cellText(today.field(0)), cellText(today.field(1)) };
    } catch (const db::Error &error) {
        qCWarning(lcConsole, "the guest summary cannot be read: %s", error.what());
    }
    return std::nullopt;
}

bool StationConsole::saveCharges(const QString &computer, const StationCharges &charges)
{
    QVariantList amounts;
    for (const double amount : charges.amounts)
        amounts << amount;
    amounts << charges.total;
    db::Recordset row(m_context.connection(),
        QStringLiteral(
            "Select printing,snacks,cold,acce,others,total from machine_master2 where machinename=?"),
        { computer });
    if (row.eof())
        return false;
    for (int i = 0; i < amounts.size(); ++i)
        row.setField(i, amounts.at(i));
    row.update();
    return true;
}

bool StationConsole::isAdministrator() const
{
    return m_context.state().signInKind == QLatin1String(kKindAdministrator);
}

void StationConsole::markSignedIn()
{
    try {
        if (isAdministrator())
            m_signIn.open(m_context.connection(), QStringLiteral("Select ad_status from Admnlog_master"));
        else
            m_signIn.open(m_context.connection(),
                QStringLiteral("Select mg_status from manager_master where mg_login=?"),
                { m_context.state().signedInLogin });
        if (!m_signIn.eof()) {
            m_signIn.setField(0, 1);
            m_signIn.update();
        }
    } catch (const db::Error &error) {
        // The status stays as it was; the control panel opens all the same.
        qCWarning(lcConsole, "the staff account is not marked in use: %s", error.what());
    }
}

void StationConsole::releaseSignIn()
{
    try {
        if (m_signIn.isOpen() && !m_signIn.eof()) {
            m_signIn.setField(0, 0);
            m_signIn.update();
        }
    } catch (const db::Error &error) {
        // The server's activation frees an account left marked in use.
        qCWarning(lcConsole, "the staff account stays marked in use: %s", error.what());
    }
    m_signIn.close();
}

QString StationConsole::commandPayload(
    const QString &command, const QString &message, const QString &previous)
{
    if (command == QLatin1String("Send Message"))
        return remote_command::messagePayload(message);
    if (command == QLatin1String("Login Guest"))
        return remote_command::guestSignInPayload();
    if (command == QLatin1String("Shutdown"))
        return remote_command::shutdownPayload();
    return previous;
}

QString StationConsole::notesFile() const
{
    return QDir(m_context.systemFilesFolder()).filePath(QStringLiteral("Notes.txt"));
}

std::optional<QString> StationConsole::loadNotes() const
{
    const QString file = notesFile();
    if (!ensureStationTextFile(file))
        return std::nullopt;
    bool ok = false;
    const QString text = readStationText(file, &ok);
    if (!ok || text.isEmpty())
        return std::nullopt;
    return text;
}

bool StationConsole::saveNotes(const QString &text) const
{
    return writeStationText(notesFile(), text);
}

} // namespace vorlane
