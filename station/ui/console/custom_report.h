#pragma once

#include <QDialog>

class QDateEdit;
class QPushButton;

namespace vorlane {

class StationContext;

/// Window "frmgstcst" ("Custom Report"): asks for the range of days of the
/// guests' transaction report. Both pickers start at today.
class CustomReport : public QDialog {
    Q_OBJECT
public:
    /// `reportKind` is what the control panel asked for; "guest" is the only kind it sets.
    CustomReport(StationContext &context, const QString &reportKind, QWidget *parent = nullptr);

    /// The calendar colours of both pickers, and a fresh requested mark, each time the window comes to the
    /// front.
    void activate();

    /// The range as short-date texts, as the report's statement receives them.
    QString fromDate() const { return m_from; }
    QString tillDate() const { return m_till; }

public Q_SLOTS:
    void Command1_Click(); // Ok
    void Command2_Click(); // Cancel

Q_SIGNALS:
    /// Ok was pressed for the guest report: open it for this range.
    void reportRequested(const QString &from, const QString &till);
    /// The window closed without asking for a report: the control panel comes back.
    void closedWithoutReport();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    StationContext &m_context;
    QString m_kind;
    QString m_from;
    QString m_till;
    bool m_requested = false;
    QDateEdit *m_fromPicker = nullptr;
    QDateEdit *m_tillPicker = nullptr;
};

} // namespace vorlane
