#pragma once

#include <QWidget>

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

private:
    StationContext &m_context;
};

} // namespace vorlane
