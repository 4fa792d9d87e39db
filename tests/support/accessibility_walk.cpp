#include "support/accessibility_walk.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QWidget>

namespace vorlane::test {

namespace {

bool isButton(QAccessible::Role role)
{
    return role == QAccessible::Button || role == QAccessible::CheckBox || role == QAccessible::RadioButton;
}

// Controls a person operates, so a screen reader must be able to say which one it is.
bool needsName(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Table:
        return true;
    default:
        return false;
    }
}

// Their inner parts (rows, the line edit of a spin box, the header) are the control's own.
bool ownsItsParts(QAccessible::Role role)
{
    return role == QAccessible::List || role == QAccessible::Tree || role == QAccessible::Table
        || role == QAccessible::ComboBox || role == QAccessible::SpinBox;
}

void walk(QAccessibleInterface *node, QStringList &faults, int &controls)
{
    if (!node || !node->isValid() || node->state().invisible)
        return;
    const QAccessible::Role role = node->role();
    const auto *widget = qobject_cast<const QWidget *>(node->object());
    const QString who = widget && !widget->objectName().isEmpty()
        ? widget->objectName()
        : QStringLiteral("<%1>").arg(
            widget ? QString::fromLatin1(widget->metaObject()->className()) : QString());

    controls += needsName(role) ? 1 : 0;
    if (needsName(role) && node->text(QAccessible::Name).trimmed().isEmpty())
        faults << who + QStringLiteral(": no accessible name");
    if (isButton(role) && !node->state().disabled) {
        const QAccessibleActionInterface *actions = node->actionInterface();
        const QStringList names = actions ? actions->actionNames() : QStringList();
        if (!names.contains(QAccessibleActionInterface::pressAction())
            && !names.contains(QAccessibleActionInterface::toggleAction()))
            faults << who + QStringLiteral(": a button without a press action");
        if (widget && !(widget->focusPolicy() & Qt::TabFocus))
            faults << who + QStringLiteral(": a button without a Tab stop");
    }
    if (const auto *label = qobject_cast<const QLabel *>(widget); label && label->isEnabled()
        && label->testAttribute(Qt::WA_SetCursor) && label->cursor().shape() == Qt::PointingHandCursor
        && !label->openExternalLinks() && !(label->textInteractionFlags() & Qt::LinksAccessibleByKeyboard))
        faults << who + QStringLiteral(": a clickable text without an action");

    if (ownsItsParts(role))
        return;
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), faults, controls);
}

} // namespace

QStringList accessibilityFaults(QWidget *window, int *controls)
{
    QStringList faults;
    int checked = 0;
    walk(QAccessible::queryAccessibleInterface(window), faults, checked);
    if (controls)
        *controls = checked;
    return faults;
}

} // namespace vorlane::test
