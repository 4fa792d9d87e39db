#pragma once

#include "config/restrictions.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QLabel;

namespace vorlane {

class StationContext;

/// Windows "Remover1" ("Vorlane - System Security Options") and "remover2"
/// ("Vorlane - Internet Explorer Security Options"): one check box per policy;
/// Apply stores them and, on a GNOME desktop, sets the matching lockdown settings.
class RestrictionsWindow : public QDialog {
    Q_OBJECT
public:
    enum class Kind { System, Explorer };

    RestrictionsWindow(StationContext &context, Kind kind, QWidget *parent = nullptr);
    ~RestrictionsWindow() override;

    /// Ticks every box whose policy is stored on; the others keep their state.
    void activate();

public Q_SLOTS:
    void Command2_Click(); // Apply

private:
    StationContext &m_context;
    std::span<const Restriction> m_restrictions;
    QList<QCheckBox *> m_boxes;
    QLabel *m_note = nullptr;
};

} // namespace vorlane
