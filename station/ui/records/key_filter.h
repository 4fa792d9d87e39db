#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

namespace vorlane {

/// How a records or password box treats each key as it is typed.
struct KeyRule {
    bool lower = false; // letters become lower case first
    QString allowed; // printable characters the box takes ("" takes all)
    bool refuseBlank = false; // a blank is dropped
    bool enterToNext = true; // Enter is swallowed and the focus moves on
};

/// Filters the keys typed into line edits: lowering, dropping characters a box
/// does not allow, and Enter moving to the next field. Characters below code 27
/// (editing keys, Backspace, Tab) always pass.
class KeyFilter : public QObject {
    Q_OBJECT
public:
    /// Installs a filter owned by `edit`.
    static void install(QLineEdit *edit, const KeyRule &rule);

    /// The rule of the login boxes: lower case, digits, "_", "-" and ".".
    static KeyRule login();
    /// The rule of the password boxes: lower case, no blank.
    static KeyRule password();
    /// Digits only (amounts).
    static KeyRule digits();
    /// Only Enter moves on; everything typed stays as it is.
    static KeyRule plain();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    KeyFilter(const KeyRule &rule, QObject *parent);

    KeyRule m_rule;
};

} // namespace vorlane
