#pragma once

#include "records/record_table.h"

namespace vorlane::records {

/// A manager as the browsing tab shows it.
struct ManagerView {
    QString login;
    QString password;
    QString registered; // "mm/dd/yy"
    QString name;
    QString address;
    QString phone;
    QString email;
    QString memo;
};

/// A manager as typed on the entry tab.
struct ManagerEntry {
    QString login;
    QString password;
    QString confirm;
    QString registered; // the date box's text
    QString name;
    QString address;
    QString phone;
    QString email;
    QString memo;
};

/// The managers table (manager_master) as the manager records window works on it.
/// Unlike members, a manager has no usage row, no special login, and an empty
/// name, address, phone, e-mail or memo leaves the stored value as it was.
class ManagerRecords {
public:
    explicit ManagerRecords(db::Connection &connection);

    /// Opens "select * from manager_master"; throws db::Error.
    void open();
    void close();
    RecordTable &table() { return m_table; }
    const RecordTable &table() const { return m_table; }

    ManagerView current() const;

    /// Finds the row whose login is `login`, from the first row (`fromFirst`, insertion)
    /// or from the current row (Edit, Delete); the cursor stays on the row found.
    bool check(const QString &login, bool fromFirst);

    Outcome insert(const ManagerEntry &entry);
    /// Writes the entry into the current row; a login changed to one another
    /// manager has is refused like a new login in use.
    Outcome saveEdit(const ManagerEntry &entry);
    Outcome beginEdit(const QString &login);
    Outcome beginDelete(const QString &login);
    Outcome deleteCurrent();

private:
    Outcome validatePasswords(const ManagerEntry &entry) const;
    bool loginTaken(const QString &login);
    void savecurrec(const ManagerEntry &entry);

    db::Connection &m_connection;
    RecordTable m_table;
};

} // namespace vorlane::records
