#pragma once

#include "db/recordset.h"

#include <QObject>

class QTimer;

namespace vorlane {

class ServerContext;

/// The time publisher; its object is named "frmSettime" (caption "Server Time
/// Setter") after the window it used to be. Keeps the
/// one row of `server_now` equal to the server's UTC clock, so that stations
/// can set their clocks from it when they connect.
///
/// Ticks every 10 s from load; a tick that fails is skipped silently and the
/// next one tries again.
class TimePublisher : public QObject {
    Q_OBJECT
public:
    explicit TimePublisher(ServerContext &context, QObject *parent = nullptr);
    ~TimePublisher() override;

    /// Opens the recordset on `server_now`, starts `Timer1` and runs one tick at once.
    void load();
    /// Stops the timer and closes the recordset.
    void unload();

    QTimer *timer() const { return m_timer; }
    /// Ticks that wrote the clock (failed ticks are not counted).
    int ticksWritten() const { return m_ticksWritten; }

public Q_SLOTS:
    /// One tick: add the row when the table is empty, then write the eight UTC fields.
    void tick();

private:
    void openRecordset();

    ServerContext &m_context;
    QTimer *m_timer;
    db::Recordset m_recordset;
    int m_ticksWritten = 0;
};

} // namespace vorlane
