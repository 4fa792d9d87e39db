#pragma once

#include <QWidget>

namespace vorlane {

class StationContext;

/// Window "listener".
class Listener : public QWidget {
    Q_OBJECT
public:
    explicit Listener(StationContext &context, QWidget *parent = nullptr);
    ~Listener() override;

    /// Binds the remote-command socket.
    void load();
    void unload();

private:
    StationContext &m_context;
};

} // namespace vorlane
