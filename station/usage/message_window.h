#pragma once

#include <QWidget>

namespace vorlane {

class StationContext;

/// Window "message".
class MessageWindow : public QWidget {
    Q_OBJECT
public:
    explicit MessageWindow(StationContext &context, QWidget *parent = nullptr);
    ~MessageWindow() override;

    /// Shows the pending administrator message; closes itself after 5000 ms.
    void load();

private:
    StationContext &m_context;
};

} // namespace vorlane
