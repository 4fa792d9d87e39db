#include "records/member_records.h"

#include "db/values.h"
#include "records/record_texts.h"

#include <QLoggingCategory>

namespace vorlane::records {

namespace {

Q_LOGGING_CATEGORY(lcMembers, "vorlane.records.members")

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

Outcome refused(const char *title, const char *text, const char *focus)
{
    return { Outcome::Refused, QString::fromLatin1(title), QString::fromLatin1(text),
        QString::fromLatin1(focus) };
}

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
    db::Recordset &rows = m_table.rows();
    if (m_table.isEmpty())
        return false;
    if (indx == 0 || rows.bof())
        rows.moveFirst();
    for (; !rows.eof(); rows.moveNext()) {
        if (login == QLatin1String(kGuestLogin))
            return indx == 2;
        if (rows.field(Login).toString() == login)
            return true;
    }
    return false;
}

Outcome MemberRecords::validatePasswords(const MemberEntry &entry) const
{
    if (entry.password.isEmpty())
        return refused(kErrorTitle, kPasswordBlank, "password");
    if (entry.password != entry.confirm)
        return refused(kAlertTitle, kReconfirm, "confirm");
    return {};
}

Outcome MemberRecords::validateNew(const MemberEntry &entry)
{
    if (entry.login.isEmpty())
        return refused(kErrorTitle, kLoginBlank, "login");
    if (Outcome passwords = validatePasswords(entry); !passwords.ok())
        return passwords;
    // "guest" is refused like a login in use: a second guest row would leave the
    // guest sign-in matching whichever row comes first.
    if (entry.login == QLatin1String(kGuestLogin) || check(entry.login, 0)) {
        Outcome inUse = refused("Vorlane Login Information", "Member with this login already exist", "login");
        inUse.information = true;
        return inUse;
    }
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

Outcome MemberRecords::failed(const QString &description)
{
    qCWarning(lcMembers) << "member records write failed:" << description;
    // The rows in memory may hold what was rolled back: read them again.
    try {
        m_table.rows().cancelUpdate();
        m_table.requery();
    } catch (const db::Error &error) {
        qCWarning(lcMembers) << "member records could not be read again:" << error.description();
    }
    return { Outcome::Failed, QString::fromLatin1(kErrorTitle), description, {} };
}

Outcome MemberRecords::insert(const MemberEntry &entry)
{
    try {
        if (Outcome refusal = validateNew(entry); !refusal.ok())
            return refusal;
        db::Transaction transaction(m_connection);
        db::Recordset &rows = m_table.rows();
        rows.addNew();
        savecurrec(entry);
        rows.update();
        clttrans(QStringLiteral("add"), entry.login);
        transaction.commit();
        m_table.setMode(Mode::Browsing);
        m_table.requery();
        return {};
    } catch (const db::Error &error) {
        return failed(error.description());
    }
}

Outcome MemberRecords::saveEdit(const MemberEntry &entry)
{
    if (Outcome refusal = validatePasswords(entry); !refusal.ok())
        return refusal;
    try {
        if (!m_table.hasCurrent())
            return refused(kErrorTitle, "Cannot Edit Record", "");
        db::Transaction transaction(m_connection);
        savecurrec(entry);
        m_table.rows().update();
        transaction.commit();
        m_table.setMode(Mode::Browsing);
        m_table.requery();
        return {};
    } catch (const db::Error &error) {
        return failed(error.description());
    }
}

Outcome MemberRecords::beginEdit(const QString &login)
{
    try {
        if (check(login, 2)) {
            m_table.setMode(Mode::Editing);
            return {};
        }
        m_table.requery();
    } catch (const db::Error &error) {
        qCWarning(lcMembers) << "finding the member to edit failed:" << error.description();
    }
    return refused(kErrorTitle, "Cannot Edit Record", "");
}

Outcome MemberRecords::beginDelete(const QString &login)
{
    try {
        if (check(login, 1))
            return {};
        m_table.requery();
    } catch (const db::Error &error) {
        qCWarning(lcMembers) << "finding the member to delete failed:" << error.description();
    }
    return refused(kErrorTitle, "Cannot delete", "");
}

Outcome MemberRecords::deleteCurrent(const QString &login)
{
    try {
        db::Transaction transaction(m_connection);
        m_table.rows().deleteCurrent();
        clttrans(QStringLiteral("delete"), login);
        transaction.commit();
        m_table.setMode(Mode::Browsing);
        m_table.requery();
        return {};
    } catch (const db::Error &error) {
        return failed(error.description());
    }
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
