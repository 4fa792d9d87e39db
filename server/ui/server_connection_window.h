#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QStatusBar;

namespace vorlane {

namespace db {
class Connection;
}
class ServerContext;

/// Window "frmConnection" (caption "Vorlane Server"): opens the system
/// database by its local path while showing its progress.
class ServerConnectionWindow : public QWidget {
    Q_OBJECT
public:
    explicit ServerConnectionWindow(ServerContext &context, QWidget *parent = nullptr);
    ~ServerConnectionWindow() override;

    /// Shows the window modally and opens the database. Returns true when the
    /// connection is open; false after the error was shown: the program must end.
    bool run();

    /// The pauses that let the operator read the progress (1000 ms and 2000 ms).
    void setWaits(int initializingMs, int initializedMs);

    /// Text of the status bar's first panel.
    QString statusText() const;

    /// Keeps only the frame and the visible controls drawn.
    void shapeWindow();

private:
    bool openDatabase();
    /// Brings a database of an earlier schema version up to date (logged, never fatal).
    static void upgradeSchema(db::Connection &connection);
    void setStatus(const QString &text);
    void wait(int milliseconds);

    ServerContext &m_context;
    QStatusBar *m_statusBar;
    QLabel *m_panel;
    QLabel *m_picture;
    int m_initializingMs = 1000;
    int m_initializedMs = 2000;
};

} // namespace vorlane
