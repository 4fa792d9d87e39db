#pragma once

#include <QString>

#include <optional>

namespace vorlane {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

/// Message boxes and input boxes. Every box the system shows goes through here,
/// so tests can answer them without a window blocking.
class Prompter {
public:
    virtual ~Prompter() = default;
    /// A modal message box; returns the button pressed.
    virtual MessageAnswer message(
        const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title)
        = 0;
    /// An input box; nullopt when cancelled.
    virtual std::optional<QString> input(
        const QString &prompt, const QString &title, const QString &defaultText = {})
        = 0;

    MessageAnswer inform(const QString &text, MessageIcon icon, const QString &title)
    {
        return message(text, MessageButtons::Ok, icon, title);
    }
};

} // namespace vorlane
