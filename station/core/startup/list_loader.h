#pragma once

#include <QWidget>

namespace vorlane {

class StationContext;

/// Window "listloader": a hidden helper whose unload loads the remote-command
/// listener. The listener renews itself through it after every datagram, so
/// that each command is served by a freshly bound socket.
class ListLoader : public QWidget {
    Q_OBJECT
public:
    explicit ListLoader(StationContext &context, QWidget *parent = nullptr);
    ~ListLoader() override;

    /// Nothing of note: the window stays hidden.
    void load();
    /// Loads the listener again; a failure is swallowed.
    void unload();

    /// The renewal: loads a loader, unloads the current listener now, and
    /// leaves the loader's unload (which loads a new listener) to the event
    /// loop, so that pending window events run in between. Never throws.
    static void renewListener(StationContext &context);

private:
    StationContext &m_context;
};

} // namespace vorlane
