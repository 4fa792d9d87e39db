#include "records/manager_records.h"

#include "db/values.h"
#include "records/record_texts.h"

namespace vorlane::records {

namespace {

enum Column { Login, Password, Registered, Name, Address, Phone, Email, Memo };

Outcome loginInUse()
{
    return refusal("Caution", "Manager with this login already exist", "login", true);
}

} // namespace

ManagerRecords::ManagerRecords(db::Connection &connection)
    : m_connection(connection)
{
}

void ManagerRecords::open()
{
    m_table.open(m_connection, QStringLiteral("select * from manager_master"));
}

void ManagerRecords::close()
{
    m_table.close();
}

ManagerView ManagerRecords::current() const
{
    ManagerView view;
    if (!m_table.hasCurrent())
        return view;
    view.login = m_table.text(Login);
    view.password = m_table.text(Password);
    const QString registered = m_table.text(Registered, true);
    const QDate day = db::parseDate(registered);
    view.registered = day.isValid() ? db::formatShortDate(day) : registered;
    view.name = m_table.text(Name);
    view.address = m_table.text(Address);
    view.phone = m_table.text(Phone);
    view.email = m_table.text(Email);
    view.memo = m_table.text(Memo);
    return view;
}

bool ManagerRecords::check(const QString &login, bool fromFirst)
{
    return m_table.find(login, fromFirst, Login);
}

bool ManagerRecords::loginTaken(const QString &login)
{
    db::Recordset found(
        m_connection, QStringLiteral("select mg_login from manager_master where mg_login=?"), { login });
    return !found.eof();
}

Outcome ManagerRecords::validatePasswords(const ManagerEntry &entry) const
{
    if (entry.password.isEmpty())
        return refusal(kAlertTitle, kPasswordBlank, "password");
    if (entry.password != entry.confirm)
        return refusal(kAlertTitle, kReconfirm, "confirm");
    return {};
}

void ManagerRecords::savecurrec(const ManagerEntry &entry)
{
    db::Recordset &rows = m_table.rows();
    rows.setField(Login, entry.login);
    rows.setField(Password, entry.confirm);
    // Managers' registration days keep a two-digit year, as they always have.
    const QDate day = db::parseDate(entry.registered.trimmed());
    rows.setField(Registered, day.isValid() ? db::formatShortDate(day) : entry.registered);
    const std::pair<int, const QString *> optional[] = { { Name, &entry.name }, { Address, &entry.address },
        { Phone, &entry.phone }, { Email, &entry.email }, { Memo, &entry.memo } };
    for (const auto &[column, text] : optional) {
        if (!text->isEmpty())
            rows.setField(column, *text);
    }
}

Outcome ManagerRecords::insert(const ManagerEntry &entry)
{
    if (entry.login.isEmpty())
        return refusal(kAlertTitle, kLoginBlank, "login");
    if (Outcome refused = validatePasswords(entry); !refused.ok())
        return refused;
    try {
        if (check(entry.login, true))
            return loginInUse();
    } catch (const db::Error &error) {
        return { Outcome::Failed, QString::fromLatin1(kErrorTitle), error.description(), {} };
    }
    return m_table.write(m_connection, [&] {
        m_table.rows().addNew();
        savecurrec(entry);
        m_table.rows().update();
    });
}

Outcome ManagerRecords::saveEdit(const ManagerEntry &entry)
{
    if (Outcome refused = validatePasswords(entry); !refused.ok())
        return refused;
    if (!m_table.hasCurrent())
        return refusal(kAlertTitle, "Cannot Edit Record");
    if (entry.login.isEmpty())
        return refusal(kAlertTitle, kLoginBlank, "login");
    try {
        // Two rows with one login would leave one of the accounts unreachable.
        if (entry.login != m_table.text(Login) && loginTaken(entry.login))
            return loginInUse();
    } catch (const db::Error &error) {
        return { Outcome::Failed, QString::fromLatin1(kErrorTitle), error.description(), {} };
    }
    return m_table.write(m_connection, [&] {
        savecurrec(entry);
        m_table.rows().update();
    });
}

Outcome ManagerRecords::beginEdit(const QString &login)
{
    return m_table.locate(
        [&] { return check(login, false); }, Mode::Editing, refusal(kAlertTitle, "Cannot Edit Record"));
}

Outcome ManagerRecords::beginDelete(const QString &login)
{
    return m_table.locate(
        [&] { return check(login, false); }, std::nullopt, refusal(kAlertTitle, "Cannot delete Record"));
}

Outcome ManagerRecords::deleteCurrent()
{
    return m_table.write(m_connection, [&] { m_table.rows().deleteCurrent(); });
}

} // namespace vorlane::records
