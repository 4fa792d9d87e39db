#include "support/fake_prompter.h"

namespace vorlane {

MessageAnswer FakePrompter::message(
    const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title)
{
    m_boxes.push_back(Box { text, title, icon, buttons, false });
    if (m_hook)
        m_hook(m_boxes.back());
    if (!m_answers.empty()) {
        const MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Yes;
    case MessageButtons::RetryCancel:
        return MessageAnswer::Retry;
    default:
        return MessageAnswer::Ok;
    }
}

std::optional<QString> FakePrompter::input(const QString &prompt, const QString &title, const QString &)
{
    m_boxes.push_back(Box { prompt, title, MessageIcon::None, MessageButtons::OkCancel, true });
    if (m_hook)
        m_hook(m_boxes.back());
    if (m_inputs.empty())
        return std::nullopt;
    std::optional<QString> answer;
    answer.swap(m_inputs.front());
    m_inputs.pop_front();
    return answer;
}

QStringList FakePrompter::texts() const
{
    QStringList result;
    for (const Box &box : m_boxes)
        result << box.text;
    return result;
}

} // namespace vorlane
