#pragma once

#include <QColor>
#include <QWidget>

class QGroupBox;
class QLabel;
class QTextEdit;
class QTimer;

namespace vorlane {

class StationContext;

/// Window "message" ("Vorlane Messenger Service"): shows the pending
/// administrator message above every other window and closes itself after
/// 5000 ms. Closing it leaves the pending message alone.
class MessageWindow : public QWidget {
    Q_OBJECT
public:
    /// The message text's colour, &H995030 (a Windows colour value: blue, green, red from the top byte).
    static QColor messageColour();

    explicit MessageWindow(StationContext &context, QWidget *parent = nullptr);
    ~MessageWindow() override;

    /// Top-most from version 4.1 on, takes the pending administrator message
    /// and starts `Timer1`.
    void load();

    QTextEdit *Label1() const { return m_text; }
    QTimer *Timer1() const { return m_timer; }

public Q_SLOTS:
    /// The first tick closes the window.
    void Timer1_Timer();

private:
    StationContext &m_context;
    QGroupBox *m_frame = nullptr;
    QLabel *m_heading = nullptr;
    QTextEdit *m_text = nullptr;
    QTimer *m_timer = nullptr;
};

} // namespace vorlane
