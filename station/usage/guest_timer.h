#pragma once

#include <QWidget>

namespace vorlane {

class StationContext;

/// Window "frmtimer2".
class GuestTimer : public QWidget {
    Q_OBJECT
public:
    explicit GuestTimer(StationContext &context, QWidget *parent = nullptr);
    ~GuestTimer() override;

    void load();
    void activate();

private:
    StationContext &m_context;
};

} // namespace vorlane
