#pragma once

#include "records/member_records.h"

#include <QWidget>

#include <array>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace vorlane {

class StationContext;

/// Window "frmcrtclt2" ("Vorlane - Member Management Module"): members created,
/// browsed, edited and deleted by the administrator or a manager. The work on
/// the tables is done by records::MemberRecords; this window shows its rows and
/// forwards what the operator did.
///
/// Paired boxes carry their element in the object name: "txtlog_0" on the view
/// tab, "txtlog_1" on the update tab; likewise "cmdprocess_0" to "cmdprocess_4"
/// and "cmdscroll_0" to "cmdscroll_3".
class MemberRecordsWindow : public QWidget {
    Q_OBJECT
public:
    enum Field {
        Login,
        Password,
        Confirm,
        Registered,
        Expires,
        Duration,
        Amount,
        Paid,
        Name,
        Address,
        Phone,
        Email,
        Memo,
        FieldCount
    };
    enum Process { Insert, Delete, Edit, Save, Cancel };

    explicit MemberRecordsWindow(StationContext &context, QWidget *parent = nullptr);
    ~MemberRecordsWindow() override;

    /// Opens the members table; false (after a box) when it cannot be read.
    bool load();
    /// Today's date into the update tab's registration and expiry boxes.
    void activate();

    records::MemberRecords &records() { return m_records; }
    records::Mode mode() const { return m_records.table().mode(); }
    QLineEdit *box(Field field, int element) const { return m_boxes[element][field]; }

    void showdata();
    void ClearCtrls();
    void enbdisctrl(bool flag);
    void enbdistxt(bool disable);

public Q_SLOTS:
    void cmdprocess_Click(int index);
    void cmdscroll_Click(int index);
    void cmdsm_Click();
    void Combo1_Click(int index);
    void cmdclose_Click();
    void SSTab1_Click(int tab);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildViewTab();
    QWidget *buildUpdateTab();
    void copyToUpdateTab();
    void updateDuration();
    void showConfirm(bool visible);
    void focusOn(const QString &which);
    records::MemberEntry entry() const;
    void save();
    void remove();
    void edit();
    void insert();
    void cancel();

    StationContext &m_context;
    records::MemberRecords m_records;
    bool m_closed = false;

    std::array<std::array<QLineEdit *, FieldCount>, 2> m_boxes {};
    QTabWidget *m_tabs = nullptr;
    QDateEdit *m_expiry = nullptr;
    QSpinBox *m_hours = nullptr;
    QSpinBox *m_minutes = nullptr;
    QLabel *m_confirmLabel = nullptr;
    QLabel *m_passwordHint = nullptr;
    std::array<QPushButton *, 5> m_process {};
    std::array<QPushButton *, 4> m_scroll {};
    QPushButton *m_search = nullptr;
    QPushButton *m_close = nullptr;
    QGroupBox *m_searchFrame = nullptr;
    QComboBox *m_combo = nullptr;
};

} // namespace vorlane
