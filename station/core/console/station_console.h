#pragma once

#include "console/charges.h"
#include "db/recordset.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vorlane {

class StationContext;

/// What the control panel does with the database and the station's files: the
/// station list, the guest summary, the extra charges, the staff account's status,
/// the remote commands' texts and the notes. The window shows and forwards.
class StationConsole {
public:
    /// Cells of one list row, in the list's column order: serial number, computer,
    /// user, date, login time, total time, rate type, status, surfing, printing,
    /// snacks, cold drinks, accessories, others, total amount.
    static constexpr int kColumnCount = 15;
    static constexpr int kStatusColumn = 7;

    explicit StationConsole(StationContext &context);
    ~StationConsole();
    StationConsole(const StationConsole &) = delete;
    StationConsole &operator=(const StationConsole &) = delete;

    /// The rows of machine_master2. A station is "Idle" at status 0, else "Online";
    /// this station shows "Cannot bill" when it found it cannot write the database.
    /// A list that cannot be read ends where it got to; `complete` says whether it did.
    QList<QStringList> stations(bool *complete = nullptr);

    /// Today's guest count and takings (gt_number, gt_charge), when there is a row.
    struct GuestSummary {
        QString count;
        QString cash;
    };
    std::optional<GuestSummary> todaysGuests();

    /// Writes the charges into the row of `computer`; false when there is no such
    /// row. A database failure is thrown (db::Error) for the window to report.
    bool saveCharges(const QString &computer, const StationCharges &charges);

    /// The signed-in administrator's or manager's account is marked in use (status 1)
    /// while the control panel is open, and freed again when it closes.
    void markSignedIn();
    void releaseSignIn();

    /// The datagram text of a remote command chosen in the list ("Send Message",
    /// "Login Guest", "Shutdown"), or `previous` for any other choice.
    static QString commandPayload(const QString &command, const QString &message, const QString &previous);

    /// systemfiles/Notes.txt, created empty when missing.
    QString notesFile() const;
    /// The notes, or nothing when the file cannot be read or is empty.
    std::optional<QString> loadNotes() const;
    bool saveNotes(const QString &text) const;

    /// A database value as the list shows it.
    static QString cellText(const QVariant &value);

private:
    bool isAdministrator() const;

    StationContext &m_context;
    db::Recordset m_signIn;
};

} // namespace vorlane
