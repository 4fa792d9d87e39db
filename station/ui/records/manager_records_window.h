#pragma once

#include "records/manager_records.h"

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vorlane {

class StationContext;

/// Window "frmcrtmgr2" ("Vorlane - Manager Management Module"): the managers,
/// kept by the administrator. Same shape as the member records window (two
/// tabs of paired boxes "txtlog_0"/"txtlog_1", modes, navigation); the work on
/// the table is done by records::ManagerRecords.
class ManagerRecordsWindow : public QWidget {
    Q_OBJECT
public:
    enum Field { Login, Password, Confirm, Registered, Name, Address, Phone, Email, Memo, FieldCount };
    enum Process { Insert, Delete, Edit, Save, Cancel };

    explicit ManagerRecordsWindow(StationContext &context, QWidget *parent = nullptr);
    ~ManagerRecordsWindow() override;

    /// Opens the managers table; false (after a box) when it cannot be read.
    bool load();

    records::Mode mode() const { return m_records.table().mode(); }
    QLineEdit *box(Field field, int element) const { return m_boxes[element][field]; }

    void showdata();
    void ClearCtrls();
    void enbdisctrl(bool flag);
    void enbdistxt(bool stat);

public Q_SLOTS:
    void cmdprocess_Click(int index);
    void cmdscroll_Click(int index);
    void cmdclose_Click();
    void SSTab1_Click(int tab);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildTab(int element);
    void showConfirm(bool visible);
    records::ManagerEntry entry() const;
    void insert();
    void edit();
    void save();
    void remove();
    void backToBrowsing();

    StationContext &m_context;
    records::ManagerRecords m_records;
    bool m_closed = false;

    std::array<std::array<QLineEdit *, FieldCount>, 2> m_boxes {};
    QTabWidget *m_tabs = nullptr;
    QLabel *m_confirmLabel = nullptr;
    std::array<QPushButton *, 5> m_process {};
    std::array<QPushButton *, 4> m_scroll {};
    QPushButton *m_close = nullptr;
};

} // namespace vorlane
