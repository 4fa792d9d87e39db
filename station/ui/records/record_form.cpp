#include "records/record_form.h"

#include "platform/prompter.h"
#include "records/record_texts.h"
#include "widgets/accessible_form.h"

#include <QBoxLayout>
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
    labelField(caption, edit);
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

QString elementName(const char *name, int element)
{
    return QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(element);
}

void addButtons(QBoxLayout *row, QWidget *parent, const char *const *captions, const char *name, int count,
    const std::function<void(int)> &clicked, QPushButton **out)
{
    for (int i = 0; i < count; ++i) {
        out[i] = button(QString::fromLatin1(captions[i]), elementName(name, i), parent);
        row->addWidget(out[i]);
        QObject::connect(out[i], &QPushButton::clicked, out[i], [clicked, i] { clicked(i); });
    }
}

void enableProcess(const std::array<QPushButton *, 5> &process, QPushButton *close, bool flag)
{
    // Insert, Delete, Edit, Save, Cancel.
    for (int i = 0; i < 3; ++i)
        process[size_t(i)]->setEnabled(flag);
    close->setEnabled(flag);
    process[3]->setEnabled(!flag);
    process[4]->setEnabled(!flag);
}

void applyNavigation(const std::array<QPushButton *, 4> &buttons, const records::Navigation &state)
{
    buttons[0]->setEnabled(state.first);
    buttons[1]->setEnabled(state.previous);
    buttons[2]->setEnabled(state.next);
    buttons[3]->setEnabled(state.last);
}

bool refuseWhileChanging(Prompter &prompter, const records::RecordTable &table, const QString &title)
{
    if (!table.isChanging())
        return false;
    prompter.inform(QString::fromLatin1(records::kSaveOrCancel), MessageIcon::Exclamation, title);
    return true;
}

void show(Prompter &prompter, const records::Outcome &outcome)
{
    if (outcome.ok())
        return;
    prompter.inform(
        outcome.text, outcome.information ? MessageIcon::Information : MessageIcon::Critical, outcome.title);
}

} // namespace vorlane::record_form
