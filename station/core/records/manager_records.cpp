#include "records/manager_records.h"

#include "db/values.h"
#include "records/record_texts.h"

#include <QLoggingCategory>

namespace vorlane::records {

namespace {

Q_LOGGING_CATEGORY(lcManagers, "vorlane.records.managers")

enum Column { Login, Password, Registered, Name, Address, Phone, Email, Memo };

Outcome refused(const char *title, const char *text, const char *focus)
{
    return { Outcome::Refused, QString::fromLatin1(title), QString::fromLatin1(text),
        QString::fromLatin1(focus) };
}

Outcome loginInUse()
{
    Outcome inUse = refused("Caution", "Manager with this login already exist", "login");
    inUse.information = true;
    return inUse;
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
    db::Recordset &rows = m_table.rows();
    if (m_table.isEmpty())
        return false;
    if (fromFirst || rows.bof())
        rows.moveFirst();
    for (; !rows.eof(); rows.moveNext()) {
        if (rows.field(Login).toString() == login)
            return true;
    }
    return false;
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
        return refused(kAlertTitle, kPasswordBlank, "password");
    if (entry.password != entry.confirm)
        return refused(kAlertTitle, kReconfirm, "confirm");
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

Outcome ManagerRecords::failed(const QString &description)
{
    qCWarning(lcManagers) << "manager records write failed:" << description;
    try {
        m_table.rows().cancelUpdate();
        m_table.requery();
    } catch (const db::Error &error) {
        qCWarning(lcManagers) << "manager records could not be read again:" << error.description();
    }
    return { Outcome::Failed, QString::fromLatin1(kErrorTitle), description, {} };
}

Outcome ManagerRecords::insert(const ManagerEntry &entry)
{
    if (entry.login.isEmpty())
        return refused(kAlertTitle, kLoginBlank, "login");
    if (Outcome refusal = validatePasswords(entry); !refusal.ok())
        return refusal;
    try {
        if (check(entry.login, true))
            return loginInUse();
        db::Transaction transaction(m_connection);
        m_table.rows().addNew();
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

Outcome ManagerRecords::saveEdit(const ManagerEntry &entry)
{
    if (Outcome refusal = validatePasswords(entry); !refusal.ok())
        return refusal;
    try {
        if (!m_table.hasCurrent())
            return refused(kAlertTitle, "Cannot Edit Record", "");
        if (entry.login.isEmpty())
            return refused(kAlertTitle, kLoginBlank, "login");
        // Two rows with one login would leave one of the accounts unreachable.
        if (entry.login != m_table.text(Login) && loginTaken(entry.login))
            return loginInUse();
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

Outcome ManagerRecords::beginEdit(const QString &login)
{
    try {
        if (check(login, false)) {
            m_table.setMode(Mode::Editing);
            return {};
        }
        m_table.requery();
    } catch (const db::Error &error) {
        qCWarning(lcManagers) << "finding the manager to edit failed:" << error.description();
    }
    return refused(kAlertTitle, "Cannot Edit Record", "");
}

Outcome ManagerRecords::beginDelete(const QString &login)
{
    try {
        if (check(login, false))
            return {};
        m_table.requery();
    } catch (const db::Error &error) {
        qCWarning(lcManagers) << "finding the manager to delete failed:" << error.description();
    }
    return refused(kAlertTitle, "Cannot delete Record", "");
}

Outcome ManagerRecords::deleteCurrent()
{
    try {
        db::Transaction transaction(m_connection);
        m_table.rows().deleteCurrent();
        transaction.commit();
        m_table.setMode(Mode::Browsing);
        m_table.requery();
        return {};
    } catch (const db::Error &error) {
        return failed(error.description());
    }
}

} // namespace vorlane::records
