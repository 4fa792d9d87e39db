#include "records/record_form.h"

#include "platform/prompter.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vorlane::record_form {

QLineEdit *addField(
    QGridLayout *grid, int row, const QString &label, const QString &name, int maxLength, QLabel **labelOut)
{
    QWidget *parent = grid->parentWidget();
    auto *caption = new QLabel(label, parent);
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    caption->setBuddy(edit);
    edit->setAccessibleName(QString(label).remove(u'&').trimmed());
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    if (labelOut)
        *labelOut = caption;
    return edit;
}

void makePassword(QLineEdit *edit)
{
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(8);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}

QPushButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *push = new QPushButton(text, parent);
    push->setObjectName(name);
    push->setAutoDefault(false);
    return push;
}

void show(Prompter &prompter, const records::Outcome &outcome)
{
    if (outcome.ok())
        return;
    prompter.inform(
        outcome.text, outcome.information ? MessageIcon::Information : MessageIcon::Critical, outcome.title);
}

} // namespace vorlane::record_form
