#pragma once

#include "db/recordset.h"

#include <QString>

#include <functional>
#include <optional>

namespace vorlane::records {

/// What a records window is doing: the buttons and boxes it enables follow it.
enum class Mode { Browsing = 0, Adding = 1, Editing = 2 };

/// The four moves of the browsing tab.
enum class Move { First, Previous, Next, Last };

/// Which of First, Previous, Next and Last may be pressed after a move.
struct Navigation {
    bool first = true;
    bool previous = true;
    bool next = true;
    bool last = true;
};

/// What a Save, an Edit or a Delete came to; `title` and `text` name the box to show.
struct Outcome {
    enum Kind { Done, Refused, Failed } kind = Done;
    QString title;
    QString text;
    /// The entry box that gets the focus after a refusal ("login", "password", "confirm").
    QString focus;
    /// An information box rather than an error box.
    bool information = false;
    bool ok() const { return kind == Done; }
};

/// A refusal of what was typed, shown in an error box (or an information box).
Outcome refusal(const char *title, const char *text, const char *focus = "", bool information = false);

/// One recordset over a whole table, browsed row by row, with the mode of the
/// window that shows it. The member and manager records share this shape.
class RecordTable {
public:
    /// Opens `sql` on `connection`; throws db::Error.
    void open(db::Connection &connection, const QString &sql);
    void close();
    bool isOpen() const { return m_rows.isOpen(); }

    db::Recordset &rows() { return m_rows; }
    /// No row at all: the moves then do nothing.
    bool isEmpty() const;
    /// A row is under the cursor (not before the first or after the last).
    bool hasCurrent() const;

    /// Performs `move` and then `navigate`; an empty table is left alone.
    Navigation move(Move move);
    /// After a move: at either end the cursor comes back onto the end row and the
    /// buttons that lead further out are disabled.
    Navigation navigate();

    /// Reads the rows again; a failure is left to the caller.
    void requery();

    Mode mode() const { return m_mode; }
    void setMode(Mode mode) { m_mode = mode; }
    /// Adding or editing: leaving the entry tab or the window is refused.
    bool isChanging() const { return m_mode != Mode::Browsing; }

    /// Walks to the first row whose column `column` equals `value`, from the first row
    /// (`fromFirst`) or from the current one; the cursor stays on the row found.
    bool find(const QString &value, bool fromFirst, int column = 0);

    /// Edit and Delete look for their row first: found, the mode becomes `foundMode`
    /// (when given); not found, the rows are read again and `notFound` is returned.
    Outcome locate(
        const std::function<bool()> &found, std::optional<Mode> foundMode, const Outcome &notFound);

    /// Runs `write` in one transaction; done, the mode goes back to browsing and the rows
    /// are read again. A database error rolls everything back, reads the rows again and
    /// is returned with its description; the mode stays.
    Outcome write(db::Connection &connection, const std::function<void()> &write);

    /// The text of column `index` of the current row, trimmed or as stored; "" for null.
    QString text(int index, bool trimmed = false) const;

private:
    db::Recordset m_rows;
    Mode m_mode = Mode::Browsing;
};

} // namespace vorlane::records
