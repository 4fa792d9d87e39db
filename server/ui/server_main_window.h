#pragma once

#include <QWidget>

class QLabel;
class QListWidget;

namespace vorlane {

class ServerContext;
class TextButton;

/// Window "frmMain" (caption "Vorlane Server"): releases accounts left in the
/// signed-in state ("activation") and shuts the server down.
///
/// Its commands are texts `Label1` to `Label5`, buttons that look like links; `Combo1` lists the
/// members whose status was 1 at the last fill, several selectable at once.
class ServerMainWindow : public QWidget {
    Q_OBJECT
public:
    explicit ServerMainWindow(ServerContext &context, QWidget *parent = nullptr);
    ~ServerMainWindow() override;

    /// Fills the member list.
    void load();
    /// Window activation: the caption and `Label1` name the signed-in account.
    void activate();
    /// Closes the window without the shutdown question (used by the shutdown itself).
    void unload();

    /// Enables "Database Backup/Restore" once a backup window is there to open.
    void setBackupAvailable(bool available);

public Q_SLOTS:
    /// "Activate <name>": resets the signed-in account's status from 1 to 0.
    void Label1_Click();
    /// "Shutdown Server": closes this window, which asks first.
    void Label2_Click();
    /// "Activate Member(s)": resets the status of every selected member.
    void Label3_Click();
    /// "Refresh": fills the member list again.
    void Label4_Click();
    /// "Database Backup/Restore".
    void Label5_Click();
    /// Empties `Combo1` and lists the members whose status is 1.
    void fillMembers();
    /// The ledger check of today and yesterday in `lblLedger`: green when the ledger,
    /// its chain and the day's totals agree, the differences in red when not.
    void showLedgerCheck();

Q_SIGNALS:
    /// The operator confirmed "Shutdown Server".
    void shutdownConfirmed();
    /// "Database Backup/Restore" was clicked.
    void backupRequested();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    TextButton *addCommand(const QString &name, const QString &text);

    ServerContext &m_context;
    TextButton *m_label1;
    TextButton *m_label5;
    QLabel *m_ledger;
    QListWidget *m_members;
    bool m_unloading = false;
};

} // namespace vorlane
