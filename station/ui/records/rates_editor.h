#pragma once

#include "records/rate_tables.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vorlane {

class StationContext;

/// Window "frmrates" ("Vorlane - Rate Definition Module"): the four guest prices
/// of each station class. Opened from the control panel's "Define Ra&tes".
class RatesEditor : public QDialog {
    Q_OBJECT
public:
    explicit RatesEditor(StationContext &context, QWidget *parent = nullptr);
    ~RatesEditor() override;

    /// Selects option 0 (Slot I) and shows its prices.
    void load();
    /// The class shown (0 to 2).
    int option() const { return m_option; }

public Q_SLOTS:
    /// Shows the prices of class `option`; an empty table leaves the boxes as they are.
    void Option1_Click(int option);
    /// Save: checks the four boxes, asks before overwriting, writes the price row.
    void cmdsave_Click();

private:
    StationContext &m_context;
    int m_option = 0;
    QRadioButton *m_options[kRateClassCount] = {};
    QGroupBox *m_frame = nullptr;
    QLineEdit *m_prices[4] = {};
};

} // namespace vorlane
