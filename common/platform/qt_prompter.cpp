#include "platform/qt_prompter.h"

#include "widgets/accessible_form.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

#include <cstdio>

namespace vorlane {

namespace {

void printBox(const QString &title, const QString &text)
{
    std::fprintf(stderr, "[%s] %s\n", qPrintable(title),
        qPrintable(QString(text).replace(QLatin1String("\r\n"), QLatin1String(" / "))));
    std::fflush(stderr);
}

} // namespace

// Without a screen nobody can answer a modal box, and it would block the
// program for ever: the box goes to standard error and takes its safe answer.
bool QtPrompter::headless() const
{
    if (m_showWithoutScreen)
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

MessageAnswer QtPrompter::message(
    const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title)
{
    if (headless()) {
        printBox(title, text);
        switch (buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return MessageAnswer::No;
        case MessageButtons::OkCancel:
        case MessageButtons::RetryCancel:
            return MessageAnswer::Cancel;
        case MessageButtons::Ok:
            return MessageAnswer::Ok;
        }
    }
    QMessageBox box;
    box.setWindowTitle(title);
    box.setText(text);
    box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
    centreWhenShown(&box);
    switch (icon) {
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::None:
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MessageButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    default:
        return MessageAnswer::Ok;
    }
}

std::optional<QString> QtPrompter::input(
    const QString &prompt, const QString &title, const QString &defaultText)
{
    if (headless()) {
        printBox(title, prompt);
        return std::nullopt;
    }
    // Like the message boxes: above the lock screen, in the middle of its screen.
    QInputDialog box;
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(defaultText);
    box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
    centreWhenShown(&box);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

} // namespace vorlane
