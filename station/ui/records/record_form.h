#pragma once

#include "records/record_table.h"

#include <QString>

#include <array>
#include <functional>

class QBoxLayout;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace vorlane {

class Prompter;

/// Pieces the records windows build alike: labelled boxes, buttons, and the
/// boxes an outcome of their core is shown in.
namespace record_form {

/// A box with its label in `row` of `grid`; the label names the box for a screen reader.
/// `name` is the object name, `maxLength` 0 for no limit.
QLineEdit *addField(QGridLayout *grid, int row, const QString &label, const QString &name, int maxLength = 0,
    QLabel **labelOut = nullptr);
/// A password box: "*" for each character, at most 8.
void makePassword(QLineEdit *edit);
QPushButton *button(const QString &text, const QString &name, QWidget *parent);
/// A box of a records window: its label, object name (before the element) and limit.
struct FieldLayout {
    const char *label;
    const char *name;
    int maxLength;
};

/// "txtlog_1": the object name of element `element` of a control array.
QString elementName(const char *name, int element);

/// A row of `count` buttons named "name_0", "name_1"... with `captions`, added to
/// `row` as children of `parent`; a click on button i calls `clicked(i)`. Fills `out` from its start.
void addButtons(QBoxLayout *row, QWidget *parent, const char *const *captions, const char *name, int count,
    const std::function<void(int)> &clicked, QPushButton **out);

/// Insert, Delete, Edit and Close enabled as `flag`; Save and Cancel the other way.
void enableProcess(const std::array<QPushButton *, 5> &process, QPushButton *close, bool flag);

/// Enables First, Previous, Next and Last as a move left them.
void applyNavigation(const std::array<QPushButton *, 4> &buttons, const records::Navigation &state);

/// While adding or editing, leaving the entry tab or the window is refused with
/// "Save or Cancel changes to continue..." under `title`; true when refused.
bool refuseWhileChanging(Prompter &prompter, const records::RecordTable &table, const QString &title);

/// Shows a refusal or a failure of the core; nothing for a Done outcome.
void show(Prompter &prompter, const records::Outcome &outcome);

} // namespace record_form
} // namespace vorlane
