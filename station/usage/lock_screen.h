#pragma once

#include <QWidget>

class QLineEdit;
class QRadioButton;

namespace vorlane {

class StationContext;

/// Window "frmstart".
class LockScreen : public QWidget {
    Q_OBJECT
public:
    explicit LockScreen(StationContext &context, QWidget *parent = nullptr);
    ~LockScreen() override;

    /// Once per run: station address, timer-record restore, checktimer, addmachine.
    void load();
    /// Every showing: clears and locks (the activation steps).
    void activate();
    /// Shell released, delmachine, connection closed unless reconnecting, listener unloaded.
    void unload();
    /// The sign-in (also pressed by the remote guest sign-in).
    void cmdsubt_Click();

    /// The sign-in kind buttons: 0 "Administrator", 1 "Manager", 2 "User".
    QRadioButton *optchoice(int index) const;
    QLineEdit *txtlog() const;
    QLineEdit *txtpas() const;

private:
    StationContext &m_context;
};

} // namespace vorlane
