#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QTimer;

namespace vorlane {

class StationContext;

/// Window "Title": the splash with which the station program starts. It shows
/// the version and the legal notice for 3000 ms with the busy pointer, then
/// closes; its closing hands over to the connection window (finished()).
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(StationContext &context, QWidget *parent = nullptr);
    ~SplashWindow() override;

    /// load(), show(), activate().
    void start();
    /// Fills the version and legal-notice labels.
    void load();
    /// The busy pointer and `Timer1`.
    void activate();

    /// "major.minor" of this program.
    static QString versionText();
    /// The legal notice shown in `lblcopy`.
    static QString legalNotice();

public Q_SLOTS:
    /// The 3000 ms tick: stops `Timer1`, restores the pointer, closes the splash.
    void Timer1_Timer();

Q_SIGNALS:
    /// The splash was closed: the connection window takes over. Emitted once.
    void finished();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void restorePointer();

    StationContext &m_context;
    QLabel *m_lblversion;
    QLabel *m_lblcopy;
    QListWidget *m_processList;
    QTimer *m_timer1;
    QTimer *m_timer2;
    bool m_busyPointer = false;
    bool m_finished = false;
};

} // namespace vorlane
