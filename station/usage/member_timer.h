#pragma once

#include <QWidget>

namespace vorlane {

class StationContext;

/// Window "frmtimer".
class MemberTimer : public QWidget {
    Q_OBJECT
public:
    explicit MemberTimer(StationContext &context, QWidget *parent = nullptr);
    ~MemberTimer() override;

    void load();
    void activate();

private:
    StationContext &m_context;
};

} // namespace vorlane
