#pragma once

#include "usage/sign_in_lookup.h"
#include "usage/station_bookkeeping.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace vorlane {

class StationContext;

/// Window "frmstart" ("Login Mode"): the station's resting state. While it is
/// shown the station is locked: the window covers the screen, stays above every
/// other window and holds the keyboard; a sign-in hands the station over to the
/// control panel, the member profile or the guest timer.
///
/// Control arrays carry their index in the object name: "optchoice_0" to
/// "optchoice_2", "info_0" to "info_3", "Label3_0" and "Label3_1".
class LockScreen : public QWidget {
    Q_OBJECT
public:
    explicit LockScreen(StationContext &context, QWidget *parent = nullptr);
    ~LockScreen() override;

    /// Once per run: station address, timer-record restore, checktimer, addmachine.
    /// A station that could not register (the database busy with the other stations
    /// starting, say) tries again every few seconds until the first sign-in.
    void load();
    /// Every few seconds until the station is registered: `addmachine` once more.
    static constexpr int kRegisterRetryMs = 3000;
    /// Every showing: clears and locks (the activation steps).
    void activate();
    /// Shell released, delmachine, connection closed, listener unloaded.
    void unload();
    /// The sign-in (also pressed by the remote guest sign-in): forwards the kind,
    /// login and password to `StationSession::signIn`, which does the check.
    void cmdsubt_Click();

    /// The sign-in kind buttons: 0 "Administrator", 1 "Manager", 2 "User".
    QRadioButton *optchoice(int index) const;
    QLineEdit *txtlog() const;
    QLineEdit *txtpas() const;

    /// Bookkeeping on the station's rows (checktimer, saverecord, addmachine, delmachine).
    StationBookkeeping &bookkeeping() { return m_bookkeeping; }
    /// Whether the window is kept above all others (dropped while handed over or behind a box).
    bool isTopMost() const { return m_topMost; }
    /// Whether the 50 ms tick runs.
    bool isTicking() const;

public Q_SLOTS:
    /// Registers the station when it is not yet and nobody has signed in since the
    /// load (a later row would carry an older last usage than the database's).
    void retryRegistration();
    /// The 50 ms tick: blinks "Your time slot has expired" and keeps the window on top.
    void stimer1_Timer();
    /// Choosing a sign-in kind: both boxes emptied and enabled, `txtlog` focused.
    void optchoice_Click(int index);
    /// Both boxes emptied and disabled, no kind chosen.
    void cmdcan_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    enum Kind { Administrator = 0, Manager = 1, User = 2 };

    void buildWindow();
    void showlastusage(QLabel *date, QLabel *usage, QLabel *charges, QLabel *user);
    void clearChoice();
    int chosenKind() const;
    void setTopMost(bool on);
    bool ownWindowOnTop() const;
    void holdKeyboard();
    void letKeyboardGo();
    void refuse(const QString &text, QLineEdit *focus);
    /// Follows the session's signedIn: hands the station to the next window.
    void accept(sign_in::Kind kind, const QString &login);
    /// Follows the session's databaseLost: back to the connection window.
    void reconnect();
    /// The status line follows the pending bill and the station's billing problem.
    void showBillingStatus();

    StationContext &m_context;
    StationBookkeeping m_bookkeeping;
    QTimer *m_registerRetry = nullptr;
    bool m_topMost = false;
    bool m_keyboardHeld = false;

    std::array<QRadioButton *, 3> m_optchoice {};
    QButtonGroup *m_choices = nullptr;
    QLineEdit *m_txtlog = nullptr;
    QLineEdit *m_txtpas = nullptr;
    QPushButton *m_cmdsubt = nullptr;
    QPushButton *m_cmdcan = nullptr;
    std::array<QLabel *, 4> m_info {};
    QLabel *m_label4 = nullptr;
    QLabel *m_label5 = nullptr;
    std::array<QLabel *, 2> m_label3 {};
    QLabel *m_status = nullptr;
    QTimer *m_stimer1 = nullptr;
};

} // namespace vorlane
