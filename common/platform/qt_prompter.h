#pragma once

#include "platform/prompter.h"

namespace vorlane {

/// Message and input boxes shown with QMessageBox and QInputDialog.
///
/// Without a screen (the offscreen or minimal platform) nobody could answer a
/// box, so by default it is written to standard error and takes its safe answer
/// (No, Cancel, Ok; an input box is cancelled).
class QtPrompter : public Prompter {
public:
    /// `showWithoutScreen` shows the boxes even then (for tests that answer them).
    explicit QtPrompter(bool showWithoutScreen = false)
        : m_showWithoutScreen(showWithoutScreen)
    {
    }

    MessageAnswer message(
        const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title) override;
    std::optional<QString> input(
        const QString &prompt, const QString &title, const QString &defaultText = {}) override;

private:
    bool headless() const;

    bool m_showWithoutScreen = false;
};

} // namespace vorlane
