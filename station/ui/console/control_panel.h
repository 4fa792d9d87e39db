#pragma once

#include "console/station_console.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace vorlane {

class RemoteCommandSender;
class StationContext;

/// The station as the control panel sees it: one row of machine_master2.
struct StationSelection {
    QString computer;
    QString user;
    QString date;
    QString loginTime;
    QString totalTime;
    QString rateType;
    QString status;
    QString surfing;
};

/// Window "frmadmnctr" ("Vorlane Control Panel - [login]"): the station list,
/// remote commands, extra charges, the guest summary and the notes, opened when
/// the administrator or a manager signs in at a station.
class ControlPanel : public QMainWindow {
    Q_OBJECT
public:
    /// Columns of the station list `lv`, the cells of `StationConsole::stations`.
    enum Column {
        SerialColumn,
        ComputerColumn,
        UserColumn,
        DateColumn,
        LoginTimeColumn,
        TotalTimeColumn,
        RateTypeColumn,
        StatusColumn,
        SurfingColumn,
        PrintingColumn,
        SnacksColumn,
        ColdColumn,
        AccessoriesColumn,
        OthersColumn,
        TotalColumn,
        ColumnCount
    };
    static_assert(
        ColumnCount == StationConsole::kColumnCount && StatusColumn == StationConsole::kStatusColumn);

    explicit ControlPanel(StationContext &context, QWidget *parent = nullptr);
    ~ControlPanel() override;

    /// Once per opening: list, command socket, sign-in status kept at 1.
    void load();
    /// Every time the window comes to the front: caption, summary tick, notes.
    void activate();
    /// Closes the control panel and the station program.
    void mnuClose_Click();

    /// Reloads the station list from machine_master2, then the guest summary.
    void refresh();

    const StationSelection &selection() const { return m_selection; }
    QString selectedCommand() const { return m_command; }
    /// The datagram text Apply built last.
    QString commandPayload() const { return m_payload; }
    RemoteCommandSender *sender() const { return m_sender; }

    /// The total as the charges box writes it: the number's decimal text,
    /// preceded by one blank when it is not negative.
    static QString totalText(double total);

public Q_SLOTS:
    void Command1_Click(); // Refresh
    void Command2_Click(); // Apply
    void Command3_Click(); // Cancel
    void Command4_Click(); // notes Save
    void cmdSave_Click(); // charges Save
    void lv_ItemClick(QTreeWidgetItem *item);
    void List1_Click(QListWidgetItem *item);
    void mnuSummary_Click();
    void mnuExit_Click();
    void mnuMember_Click();
    void mnuManagers_Click();
    void mnuPassword_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void applySummary(bool show);
    void buildMenus();
    void buildStatusBar();
    QWidget *buildCharges();
    void fillCharges(QTreeWidgetItem *item);
    void recalculateTotal();
    void fillSummary();
    void loadNotes();
    void clearSelection();
    bool isAdministrator() const;
    void openDateTimeSettings();
    /// Shows a window opened from the menus, hiding the control panel first when
    /// `hidePanel`; when that window closes the control panel comes back to the
    /// front and runs its activation.
    void openWindow(QWidget *window, bool hidePanel = true);
    /// Hides the control panel while `window` is open; the window itself decides where to go when it closes
    /// (the control panel, or the lock screen after a password change).
    void openSubWindow(QWidget *window);

    StationContext &m_context;
    RemoteCommandSender *m_sender = nullptr;
    StationConsole m_console;
    bool m_closeProgram = false;
    bool m_unloaded = false;
    StationSelection m_selection;
    QString m_command;
    QString m_payload;

    QTreeWidget *m_list = nullptr;
    QGroupBox *m_summaryFrame = nullptr;
    QLabel *m_guestCount = nullptr;
    QLabel *m_guestCash = nullptr;
    QGroupBox *m_remoteFrame = nullptr;
    QListWidget *m_commands = nullptr;
    QLineEdit *m_message = nullptr;
    QLineEdit *m_surfing = nullptr;
    QLineEdit *m_printing = nullptr;
    QLineEdit *m_snacks = nullptr;
    QLineEdit *m_cold = nullptr;
    QLineEdit *m_accessories = nullptr;
    QLineEdit *m_others = nullptr;
    QLineEdit *m_total = nullptr;
    QTextEdit *m_notes = nullptr;
    QAction *m_summaryAction = nullptr;
    QAction *m_managersAction = nullptr;
    QAction *m_ratesAction = nullptr;
    QList<QPointer<QWidget>> m_subWindows;
};

} // namespace vorlane
