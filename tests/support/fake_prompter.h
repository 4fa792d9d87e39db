#pragma once

#include "platform/prompter.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace vorlane {

/// A scripted prompter for tests: records every box and returns the planned answers.
class FakePrompter : public Prompter {
public:
    struct Box {
        QString text;
        QString title;
        MessageIcon icon = MessageIcon::None;
        MessageButtons buttons = MessageButtons::Ok;
        bool isInput = false;
    };

    MessageAnswer message(
        const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title) override;
    std::optional<QString> input(
        const QString &prompt, const QString &title, const QString &defaultText = {}) override;

    /// Answers for the next message boxes, in order; default Ok (Yes for Yes/No boxes).
    void planAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    /// Answers for the next input boxes, in order; nullopt is Cancel. Default: Cancel.
    void planInput(std::optional<QString> answer) { m_inputs.push_back(std::move(answer)); }
    /// Called when a box is shown (after recording it), for tests that act inside a modal box.
    void onBox(std::function<void(const Box &)> hook) { m_hook = std::move(hook); }

    const std::vector<Box> &boxes() const { return m_boxes; }
    QStringList texts() const;
    const Box &last() const { return m_boxes.back(); }
    void clear() { m_boxes.clear(); }

private:
    std::vector<Box> m_boxes;
    std::deque<MessageAnswer> m_answers;
    std::deque<std::optional<QString>> m_inputs;
    std::function<void(const Box &)> m_hook;
};

} // namespace vorlane
