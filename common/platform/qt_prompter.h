#pragma once

#include "platform/prompter.h"

namespace vorlane {

/// Message and input boxes shown with QMessageBox and QInputDialog.
class QtPrompter : public Prompter {
public:
    MessageAnswer message(const QString &text, MessageButtons buttons, MessageIcon icon,
                          const QString &title) override;
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &defaultText = {}) override;
};

} // namespace vorlane
