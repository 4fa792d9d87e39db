#include "records/member_records.h"

#include "db/values.h"
#include "records/record_texts.h"

namespace vorlane::records {

namespace {

enum Column {
    Login,
    Password,
    Registered,
    Expires,
    Duration,
    Amount,
    Name,
    Address,
    Phone,
    Email,
    Memo,
    Paid,
    Status
};

// A stored day shown "mm/dd/yy"; text that is no date is shown as it is.
QString shortDate(const QString &stored)
{
    const QDate day = db::parseDate(stored);
    return day.isValid() ? db::formatShortDate(day) : stored;
}

} // namespace

MemberRecords::MemberRecords(db::Connection &connection)
    : m_connection(connection)
{
}

void MemberRecords::open()
{
    m_table.open(m_connection, QStringLiteral("select * from client_master"));
}

void MemberRecords::close()
{
    m_table.close();
}

MemberView MemberRecords::current() const
{
    MemberView view;
    if (!m_table.hasCurrent())
        return view;
    view.login = m_table.text(Login, true);
    view.password = m_table.text(Password, true);
    view.registered = shortDate(m_table.text(Registered, true));
    view.expires = shortDate(m_table.text(Expires, true));
    view.duration = m_table.text(Duration);
    view.amount = m_table.text(Amount);
    view.name = m_table.text(Name);
    view.address = m_table.text(Address);
    view.phone = m_table.text(Phone);
    view.email = m_table.text(Email);
    view.memo = m_table.text(Memo);
    view.paid = m_table.text(Paid);
    return view;
}

QString MemberRecords::durationText(int hours, int minutes)
{
    return QString::number(hours) + (minutes > 9 ? QStringLiteral(".") : QStringLiteral(".0"))
        + QString::number(minutes);
}

DurationSplit MemberRecords::splitDuration(const QString &duration)
{
    DurationSplit split;
    if (duration.isEmpty())
        return split;
    const qsizetype point = duration.indexOf(u'.');
    if (point < 0) {
        split.hours = int(db::toWholeNumber(duration));
        return split;
    }
    // The minutes are the digits after the point read as a number: "5" is five minutes, not fifty.
    split.hours = int(db::toWholeNumber(duration.left(point)));
    split.minutes = int(db::toWholeNumber(duration.mid(point + 1)));
    return split;
}

bool MemberRecords::check(const QString &login, int indx)
{
    if (m_table.isEmpty())
        return false;
    // The guest account counts as found for Edit only: it is never deleted nor created again.
    if (login == QLatin1String(kGuestLogin))
        return indx == 2;
    return m_table.find(login, indx == 0, Login);
}

Outcome MemberRecords::validatePasswords(const MemberEntry &entry) const
{
    if (entry.password.isEmpty())
        return refusal(kErrorTitle, kPasswordBlank, "password");
    if (entry.password != entry.confirm)
        return refusal(kAlertTitle, kReconfirm, "confirm");
    return {};
}

Outcome MemberRecords::validateNew(const MemberEntry &entry)
{
    if (entry.login.isEmpty())
        return refusal(kErrorTitle, kLoginBlank, "login");
    if (Outcome passwords = validatePasswords(entry); !passwords.ok())
        return passwords;
    // "guest" is refused like a login in use: a second guest row would leave the
    // guest sign-in matching whichever row comes first.
    if (entry.login == QLatin1String(kGuestLogin) || check(entry.login, 0))
        return refusal("Vorlane Login Information", "Member with this login already exist", "login", true);
    return {};
}

void MemberRecords::savecurrec(const MemberEntry &entry)
{
    db::Recordset &rows = m_table.rows();
    rows.setField(Login, entry.login);
    rows.setField(Password, entry.confirm);
    const QString registered = entry.registered.trimmed();
    const QDate registeredDay = db::parseDate(registered);
    rows.setField(Registered, registeredDay.isValid() ? db::formatDate(registeredDay) : registered);
    rows.setField(Expires,
        entry.expiryText.trimmed().isEmpty() ? entry.expiryText.trimmed() : db::formatDate(entry.expiry));
    rows.setField(Duration, entry.duration.isEmpty() ? QVariant(0) : QVariant(entry.duration));
    const QString amount = entry.amount.trimmed();
    rows.setField(Amount, amount.isEmpty() ? QVariant(0) : QVariant(amount));
    rows.setField(Name, entry.name);
    rows.setField(Address, entry.address);
    rows.setField(Phone, entry.phone);
    rows.setField(Email, entry.email);
    rows.setField(Memo, entry.memo);
    rows.setField(Paid, entry.paid.trimmed());
    // Also for a member signed in right now: operators use an edit to free a stuck account.
    rows.setField(Status, 0);
}

void MemberRecords::clttrans(const QString &updtmd, const QString &login)
{
    if (updtmd == QLatin1String("add"))
        m_connection.execute(QStringLiteral("insert into client_trans (cl_login) values (?)"), { login });
    else
        m_connection.execute(QStringLiteral("delete from client_trans where cl_login=?"), { login });
}

Outcome MemberRecords::insert(const MemberEntry &entry)
{
    try {
        if (Outcome refused = validateNew(entry); !refused.ok())
            return refused;
    } catch (const db::Error &error) {
        return { Outcome::Failed, QString::fromLatin1(kErrorTitle), error.description(), {} };
    }
    return m_table.write(m_connection, [&] {
        m_table.rows().addNew();
        savecurrec(entry);
        m_table.rows().update();
        clttrans(QStringLiteral("add"), entry.login);
    });
}

Outcome MemberRecords::saveEdit(const MemberEntry &entry)
{
    if (Outcome refused = validatePasswords(entry); !refused.ok())
        return refused;
    if (!m_table.hasCurrent())
        return refusal(kErrorTitle, "Cannot Edit Record");
    return m_table.write(m_connection, [&] {
        savecurrec(entry);
        m_table.rows().update();
    });
}

Outcome MemberRecords::beginEdit(const QString &login)
{
    return m_table.locate(
        [&] { return check(login, 2); }, Mode::Editing, refusal(kErrorTitle, "Cannot Edit Record"));
}

Outcome MemberRecords::beginDelete(const QString &login)
{
    return m_table.locate(
        [&] { return check(login, 1); }, std::nullopt, refusal(kErrorTitle, "Cannot delete"));
}

Outcome MemberRecords::deleteCurrent(const QString &login)
{
    return m_table.write(m_connection, [&] {
        m_table.rows().deleteCurrent();
        clttrans(QStringLiteral("delete"), login);
    });
}

QString MemberRecords::searchText(const QString &login, const QString &name)
{
    return login + QStringLiteral(", ") + name;
}

QStringList MemberRecords::searchEntries()
{
    QStringList entries;
    m_table.requery();
    db::Recordset &rows = m_table.rows();
    if (m_table.isEmpty())
        return entries;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
        entries << searchText(rows.field(Login).toString(), rows.field(Name).toString());
    return entries;
}

bool MemberRecords::selectSearchEntry(const QString &entry)
{
    db::Recordset &rows = m_table.rows();
    if (entry.isEmpty() || m_table.isEmpty())
        return false;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        if (searchText(rows.field(Login).toString(), rows.field(Name).toString()) == entry)
            return true;
    }
    return false;
}

} // namespace vorlane::records
