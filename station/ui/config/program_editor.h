#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace vorlane {

class StationContext;

/// Window "frmaddrmvprg" ("Vorlane - Add/Delete Programs"): adds programs to the
/// timers' Quick Launch list (programs.log) and deletes them from it.
class ProgramEditor : public QDialog {
    Q_OBJECT
public:
    /// Asks for a program file, starting in `folder`; "" when cancelled.
    using FileChooser = std::function<QString(QWidget *parent, const QString &folder)>;

    explicit ProgramEditor(StationContext &context, QWidget *parent = nullptr);
    ~ProgramEditor() override;

    /// Replaces the platform's file dialog (tests).
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    /// Focuses the program name.
    void activate();

public Q_SLOTS:
    void cmdbrowse_Click();
    void cmdsave_Click();
    void cmdcancel_Click();
    void cmddel_Click();
    /// Refills `Combo1` with the names in the list, as it does when it gets the focus.
    void fillNames();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void clearEntry();

    StationContext &m_context;
    FileChooser m_chooseFile;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_location = nullptr;
    QPushButton *m_browse = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_refresh = nullptr;
    QComboBox *m_names = nullptr;
    QPushButton *m_delete = nullptr;
};

} // namespace vorlane
