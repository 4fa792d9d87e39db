#pragma once

#include "records/record_table.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace vorlane::records {

/// The account every guest signs in with: editable, never created or deleted here.
inline constexpr const char *kGuestLogin = "guest";

/// A member as the browsing tab shows it.
struct MemberView {
    QString login;
    QString password;
    QString registered; // "mm/dd/yy"
    QString expires; // "mm/dd/yy"
    QString duration;
    QString amount;
    QString name;
    QString address;
    QString phone;
    QString email;
    QString memo;
    QString paid;
};

/// A member as typed on the entry tab.
struct MemberEntry {
    QString login;
    QString password;
    QString confirm;
    QString registered; // the registration box's text
    QString expiryText; // the expiry box's text; empty writes an empty expiry
    QDate expiry; // the date picker's value
    QString duration;
    QString amount;
    QString paid;
    QString name;
    QString address;
    QString phone;
    QString email;
    QString memo;
};

/// Hours and minutes of an allowance as the two spinners hold them.
struct DurationSplit {
    std::optional<int> hours; // unset: the hours spinner keeps its value
    std::optional<int> minutes; // unset: the minutes spinner keeps its value
};

/// The members table (client_master) and each member's usage row (client_trans),
/// as the member records window works on them: browsing, search, creation,
/// editing and deletion. Every write is one transaction, so that a member never
/// exists without its usage row nor a usage row without its member.
class MemberRecords {
public:
    explicit MemberRecords(db::Connection &connection);

    /// Opens "select * from client_master"; throws db::Error.
    void open();
    void close();
    RecordTable &table() { return m_table; }
    const RecordTable &table() const { return m_table; }

    /// The current row as the browsing tab shows it (empty when there is none).
    MemberView current() const;

    /// "3.07" for 3 hours 7 minutes: whole hours, a point, two-digit minutes.
    static QString durationText(int hours, int minutes);
    /// The spinners' values for a stored allowance: "3.45" gives 3 and 45, "3.5" gives 3 and 5.
    static DurationSplit splitDuration(const QString &duration);

    /// Finds the row whose login is `login`, walking from the first row (`indx` 0, insertion)
    /// or from the current row (1 Delete, 2 Edit); the cursor stays on the row found.
    /// "guest" counts as found for Edit only.
    bool check(const QString &login, int indx);

    /// Validates and inserts a new member with its usage row.
    Outcome insert(const MemberEntry &entry);
    /// Validates and writes the entry into the current row (its login is never changed).
    Outcome saveEdit(const MemberEntry &entry);
    /// The current row's member is found again and can be edited.
    Outcome beginEdit(const QString &login);
    /// The row of `login` is found and may be deleted (never "guest").
    Outcome beginDelete(const QString &login);
    /// Deletes the current row and every usage row of `login`.
    Outcome deleteCurrent(const QString &login);

    /// "login, name" of every member, in the table's order, after a fresh read.
    QStringList searchEntries();
    /// Moves to the row whose "login, name" equals `entry`; false when none does.
    bool selectSearchEntry(const QString &entry);

    static QString searchText(const QString &login, const QString &name);

private:
    Outcome validateNew(const MemberEntry &entry);
    Outcome validatePasswords(const MemberEntry &entry) const;
    void savecurrec(const MemberEntry &entry);
    void clttrans(const QString &updtmd, const QString &login);

    db::Connection &m_connection;
    RecordTable m_table;
};

} // namespace vorlane::records
