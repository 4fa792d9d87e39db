#pragma once

#include <QWidget>

namespace vorlane {

class StationContext;

/// Window "Title".
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(StationContext &context, QWidget *parent = nullptr);
    ~SplashWindow() override;

    /// Shows the splash; after 3000 ms it closes and emits finished().
    void start();

Q_SIGNALS:
    void finished();

private:
    StationContext &m_context;
};

} // namespace vorlane
