#include "records/key_filter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace vorlane {

KeyFilter::KeyFilter(const KeyRule &rule, QObject *parent)
    : QObject(parent)
    , m_rule(rule)
{
}

void KeyFilter::install(QLineEdit *edit, const KeyRule &rule)
{
    edit->installEventFilter(new KeyFilter(rule, edit));
}

KeyRule KeyFilter::login()
{
    return { true, QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyz_-."), false, true };
}

KeyRule KeyFilter::password()
{
    return { true, {}, true, true };
}

KeyRule KeyFilter::digits()
{
    return { true, QStringLiteral("0123456789"), false, true };
}

KeyRule KeyFilter::plain()
{
    return {};
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit || event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (!m_rule.enterToNext)
            return false;
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &tab);
        return true;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = key->text();
    if (text.size() != 1 || text.at(0).unicode() <= 26)
        return false;
    const QChar typed = m_rule.lower ? text.at(0).toLower() : text.at(0);
    if (m_rule.refuseBlank && typed == u' ')
        return true;
    if (!m_rule.allowed.isEmpty() && !m_rule.allowed.contains(typed))
        return true;
    if (typed == text.at(0))
        return false;
    if (!edit->isReadOnly())
        edit->insert(QString(typed));
    return true;
}

} // namespace vorlane
