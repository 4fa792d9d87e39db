#pragma once

#include <QWidget>

namespace vorlane {

class StationContext;

/// Window "frmmemprof".
class MemberProfile : public QWidget {
    Q_OBJECT
public:
    explicit MemberProfile(StationContext &context, QWidget *parent = nullptr);
    ~MemberProfile() override;

    void load();
    void activate();

private:
    StationContext &m_context;
};

} // namespace vorlane
