#pragma once

#include <QWidget>

namespace vorlane {

class StationContext;

/// Window "frmadmnctr".
class ControlPanel : public QWidget {
    Q_OBJECT
public:
    explicit ControlPanel(StationContext &context, QWidget *parent = nullptr);
    ~ControlPanel() override;

    void load();
    void activate();
    /// Closes the control panel and the station program.
    void mnuClose_Click();

private:
    StationContext &m_context;
};

} // namespace vorlane
