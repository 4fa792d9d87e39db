#include "platform/qt_prompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

#include <cstdio>

namespace vorlane {

namespace {

// Without a screen nobody can answer a modal box, and it would block the
// program for ever: the box goes to standard error and takes its safe answer.
bool headless()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void printBox(const QString &title, const QString &text)
{
    std::fprintf(stderr, "[%s] %s\n", qPrintable(title), qPrintable(QString(text).replace(QLatin1String("\r\n"), QLatin1String(" / "))));
    std::fflush(stderr);
}

} // namespace

MessageAnswer QtPrompter::message(const QString &text, MessageButtons buttons, MessageIcon icon,
                                  const QString &title)
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
    switch (icon) {
    case MessageIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::None: break;
    }
    switch (buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MessageButtons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Retry: return MessageAnswer::Retry;
    default: return MessageAnswer::Ok;
    }
}

std::optional<QString> QtPrompter::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    if (headless()) {
        printBox(title, prompt);
        return std::nullopt;
    }
    bool ok = false;
    const QString text = QInputDialog::getText(nullptr, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace vorlane
