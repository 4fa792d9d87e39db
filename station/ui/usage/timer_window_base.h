#pragma once

#include "startup/timer_record.h"
#include "usage/usage_log.h"
#include "widgets/text_button.h"

#include <QLabel>
#include <QPoint>
#include <QWidget>

class QCheckBox;
class QGridLayout;
class QListWidget;
class QListWidgetItem;
class QSystemTrayIcon;
class QTimer;
class QVBoxLayout;

namespace vorlane {

class StationContext;

/// What differs between the member's and the guest's timer window.
struct TimerWindowTexts {
    QString windowName; // objectName of the window
    QString logoutName; // objectName of the "Logout" button
    QString onTopText; // text of Check1
    QString listTip; // tip of List1
};

/// The window mechanics that the member timer and the guest timer share: the
/// borderless window dragged by `Image1`, minimising to the tray icon and restoring
/// from it, "On Top" (`Check1` with `Timer2`), the message indicator `Label5`, the
/// Quick Launch list `List1`, "About Vorlane", the refusal of every close request
/// that is not the logout, the usage log and the timer record's per-second save.
///
/// A subclass adds its detail rows, connects `Timer1` and its logout button, and
/// provides the parts of the usage log line and of the record that differ.
class TimerWindowBase : public QWidget {
    Q_OBJECT
public:
    /// The product's web site, opened by "About Vorlane".
    static constexpr const char *kProductWebSite = "https://www.vorlane.example/";
    /// `Timer2` keeps the window top-most; it ticks at the pace of the old timer resolution.
    static constexpr int kTopMostInterval = 15;

    ~TimerWindowBase() override;

    bool isLoggingOut() const { return m_loggingOut; }
    bool savedCleanly() const { return m_savedCleanly; }
    bool isTopMost() const;
    bool trayIconShown() const { return m_trayShown; }
    QString trayTip() const { return m_trayTip; }
    /// The tray tip as the notification area takes it: at most 63 characters.
    static QString limitTrayTip(const QString &tip);

public Q_SLOTS:
    /// Makes the window top-most (each `Timer2` tick).
    void Timer2_Timer();
    /// "On Top" ticked or cleared.
    void Check1_Click();
    /// Minimises the window (the tray icon appears).
    void Label3_Click();
    /// A close request: refused unless logging out.
    void Label2_Click();
    /// Shows the message window with the pending administrator message.
    void Label5_Click();
    /// Opens the product's web site.
    void aboutvl_Click();
    /// Refills the Quick Launch list from the program list file.
    void List1_GotFocus();
    /// Starts the clicked program.
    void List1_Click(QListWidgetItem *item);
    /// A double-click on the tray icon: shows and restores the window.
    void trayIconDoubleClicked();

protected:
    TimerWindowBase(StationContext &context, const TimerWindowTexts &texts, QWidget *parent = nullptr);

    /// Which part of the usage log line `savetimer` writes.
    enum class SaveMode { Start = 1, Running = 2, End = 3 };

    /// Adds a caption and its field to the details, in order.
    void addDetailRow(const QString &caption, QWidget *field);

    /// The usage log part of the current mode, then `Elapsed` and `Amount` into the
    /// timer record and the record's backup save. Failures are quiet.
    void savetimer();
    /// The date of the usage log line.
    virtual QString usageLogDate() const = 0;
    /// The amount at the end of the usage log line ("" for members).
    virtual QString usageLogAmount() const = 0;
    /// The `Amount` the record keeps while running.
    virtual QString recordAmount() const = 0;

    /// Opens the usage log in the station's system folder.
    bool openUsageLog();
    /// Shows `Label5` while an administrator message is pending.
    void showMessageIndicatorIfPending();
    /// The tray icon's tip (cut to 63 characters).
    void setTrayTip(const QString &tip);
    /// The end of a period: releases the log, clears the pending administrator message,
    /// removes the tray icon and closes the window (a logout must be under way).
    void unloadWindow();
    /// Takes the icon out of the notification area (a window that unloads itself).
    void removeTrayIcon() { showTrayIcon(false); }

    /// Whether a close request may close the window; only a logout may.
    virtual bool acceptCloseRequest() { return m_loggingOut; }

    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    StationContext &m_context;
    TimerRecord m_record;
    UsageLog m_log;
    SaveMode m_mode = SaveMode::Start;
    bool m_loggingOut = false;
    bool m_savedCleanly = true;

    QLabel *m_lbltimer = nullptr; // login time
    QLabel *m_lbltimer2 = nullptr; // elapsed time
    QLabel *m_lbltimer3 = nullptr; // logout time
    QCheckBox *m_check1 = nullptr;
    QTimer *m_timer1 = nullptr;
    QTimer *m_timer2 = nullptr;
    QListWidget *m_list1 = nullptr;
    TextButton *m_logout = nullptr;
    TextButton *m_label3 = nullptr;
    TextButton *m_label2 = nullptr;
    TextButton *m_label5 = nullptr;
    TextButton *m_aboutvl = nullptr;
    QLabel *m_image1 = nullptr;

private:
    void setTopMost(bool on);
    void showTrayIcon(bool show);

    QGridLayout *m_details = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    QString m_trayTip;
    bool m_trayShown = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

} // namespace vorlane
