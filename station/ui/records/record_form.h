#pragma once

#include "records/record_table.h"

#include <QString>

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
/// Shows a refusal or a failure of the core; nothing for a Done outcome.
void show(Prompter &prompter, const records::Outcome &outcome);

} // namespace record_form
} // namespace vorlane
