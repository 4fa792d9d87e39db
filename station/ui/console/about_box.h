#pragma once

#include <QDialog>

namespace vorlane {

class StationContext;

/// Window "frmAbout": version, legal notice and the system-information button.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(StationContext &context, QWidget *parent = nullptr);

public Q_SLOTS:
    /// Starts the system-information tool named in the registry.
    void cmdSysInfo_Click();

private:
    StationContext &m_context;
};

} // namespace vorlane
