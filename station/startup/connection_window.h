#pragma once

#include <QWidget>

namespace vorlane {

class StationContext;

/// Window "frmconnection".
class ConnectionWindow : public QWidget {
    Q_OBJECT
public:
    explicit ConnectionWindow(StationContext &context, QWidget *parent = nullptr);
    ~ConnectionWindow() override;

    /// The activation: find the server name, send the discovery request.
    void activate();

private:
    StationContext &m_context;
};

} // namespace vorlane
