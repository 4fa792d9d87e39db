#pragma once

#include <QDialog>

/// The control's about box: its name, the library's version and an OK button.
class AboutForm : public QDialog {
    Q_OBJECT
public:
    explicit AboutForm(QWidget *parent = nullptr);
};
