#pragma once

#include "records/password_change.h"

#include <QDialog>
#include <QPointer>

class QLineEdit;
class QPushButton;

namespace vorlane {

class StationContext;

/// The signed-in user's password change: window "frmpaschng" for the
/// administrator and managers (opened from the control panel), window
/// "frmmempaschng" for a member (opened from the member profile, which it
/// shows again when it closes). The old password is checked when the new
/// password box is entered; records::PasswordChange does the reading and writing.
class PasswordWindow : public QDialog {
    Q_OBJECT
public:
    /// `returnTo` is the member profile for a member; unused for staff.
    PasswordWindow(StationContext &context, QWidget *returnTo = nullptr, QWidget *parent = nullptr);
    ~PasswordWindow() override;

    /// Opens the account's row; false (after a box) when it cannot be read.
    bool load();
    /// Disables everything, then performs Change, so the old password can be typed at once.
    void activate();

    bool isMember() const { return m_member; }
    bool started() const { return m_started; }
    bool done() const { return m_done; }

public Q_SLOTS:
    void cmdchng_Click();
    void cmdpassave_Click();
    void cmdcancel3_Click();
    /// Entering the new password box: the old password is checked.
    void txtnpas_GotFocus();
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setBoxesEnabled(bool enabled);
    void clearBoxes();

    StationContext &m_context;
    QPointer<QWidget> m_returnTo;
    bool m_member = false;
    records::PasswordChange m_change;
    bool m_started = false;
    bool m_done = false;
    bool m_closed = false;

    QLineEdit *m_old = nullptr;
    QLineEdit *m_new = nullptr;
    QLineEdit *m_confirm = nullptr;
    QPushButton *m_changeButton = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace vorlane
