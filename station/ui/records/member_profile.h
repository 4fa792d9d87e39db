#pragma once

#include "records/member_account.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace vorlane {

class StationContext;

/// Window "frmmemprof" ("Slot Information"): the step between a member's
/// sign-in and the member timer. Shows the account; "Ok" marks it in use and
/// starts the member timer, "Exit" frees it and returns to the lock screen.
class MemberProfile : public QWidget {
    Q_OBJECT
public:
    explicit MemberProfile(StationContext &context, QWidget *parent = nullptr);
    ~MemberProfile() override;

    /// Opens the account and usage rows of the signed-in member.
    void load();
    /// Fills the labels and focuses "Ok".
    void activate();

    /// The amount still to pay: amount charged minus amount paid (may be negative).
    qint64 amountLeft() const { return m_amountLeft; }

    /// "3.05 hrs." for 3 hours 5 minutes: whole hours, a point, two-digit minutes.
    static QString usageText(qint64 hours, qint64 minutes);

public Q_SLOTS:
    void Command1_Click();
    void Command2_Click();
    /// "Change Password": the member password window takes this window's place until it closes.
    void Label4_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool setStatus(int status);

    StationContext &m_context;
    MemberAccount m_account;
    qint64 m_amountLeft = 0;
    bool m_continue = false;
    bool m_closed = false;

    QLabel *m_login = nullptr;
    QLabel *m_totalTime = nullptr;
    QLabel *m_timeUsed = nullptr;
    QLabel *m_amount = nullptr;
    QLabel *m_registered = nullptr;
    QLabel *m_expiry = nullptr;
    QPushButton *m_changePassword = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_exit = nullptr;
};

} // namespace vorlane
