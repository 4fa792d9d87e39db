#include "platform/qt_prompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace vorlane {
namespace {

/// Acts on the next modal box as soon as it is shown (polling the event loop the box runs).
void whenModalShows(std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}

TEST(QtPrompter, MessageBoxShowsItsTitleTextIconAndReturnsThePressedButton)
{
    QtPrompter prompter(true);
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenModalShows([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->button(QMessageBox::No)->click();
    });
    const MessageAnswer answer = prompter.message(QStringLiteral("Log out now?"), MessageButtons::YesNo,
        MessageIcon::Question, QStringLiteral("Vorlane Alert"));
    EXPECT_EQ(answer, MessageAnswer::No);
    EXPECT_EQ(title, QStringLiteral("Vorlane Alert"));
    EXPECT_EQ(text, QStringLiteral("Log out now?"));
    EXPECT_EQ(icon, QMessageBox::Question);

    whenModalShows(
        [](QWidget *modal) { qobject_cast<QMessageBox *>(modal)->button(QMessageBox::Retry)->click(); });
    EXPECT_EQ(prompter.message(QStringLiteral("x"), MessageButtons::RetryCancel, MessageIcon::Critical,
                  QStringLiteral("t")),
        MessageAnswer::Retry);
}

TEST(QtPrompter, InputBoxReturnsTheTypedTextOrNothingWhenCancelled)
{
    QtPrompter prompter(true);
    QString label;
    whenModalShows([&](QWidget *modal) {
        auto *dialog = qobject_cast<QInputDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        label = dialog->labelText();
        dialog->setTextValue(QStringLiteral("150"));
        dialog->accept();
    });
    EXPECT_EQ(
        prompter.input(QStringLiteral("Enter the amount"), QStringLiteral("Charges")), QStringLiteral("150"));
    EXPECT_EQ(label, QStringLiteral("Enter the amount"));

    whenModalShows([](QWidget *modal) { qobject_cast<QInputDialog *>(modal)->reject(); });
    EXPECT_EQ(
        prompter.input(QStringLiteral("Enter the amount"), QStringLiteral("Charges"), QStringLiteral("5")),
        std::nullopt);
}

TEST(QtPrompter, WithoutAScreenBoxesNeverBlockAndTakeTheSafeAnswer)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    QtPrompter prompter;
    EXPECT_EQ(prompter.message(QStringLiteral("Delete?"), MessageButtons::YesNo, MessageIcon::Question,
                  QStringLiteral("t")),
        MessageAnswer::No);
    EXPECT_EQ(prompter.message(
                  QStringLiteral("Go?"), MessageButtons::OkCancel, MessageIcon::None, QStringLiteral("t")),
        MessageAnswer::Cancel);
    EXPECT_EQ(
        prompter.input(QStringLiteral("Amount"), QStringLiteral("t"), QStringLiteral("5")), std::nullopt);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
} // namespace vorlane
