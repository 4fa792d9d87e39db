#include "listener_wiring.h"

#include "console/control_panel.h"
#include "platform/attempt.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"
#include "usage/listener.h"
#include "usage/lock_screen.h"

#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>

namespace vorlane {

namespace {

/// The lock screen is filled in and its sign-in pressed, as a user would.
void signGuestIn(StationContext &context)
{
    LockScreen *lock = nullptr;
    attempt([&] { lock = context.navigator().lockScreen(); });
    if (!lock)
        return;
    const QPointer<LockScreen> screen(lock);
    attempt([&] {
        // Clicked, not merely checked, so that the lock screen's handler for a
        // chosen kind runs as for a user.
        if (QRadioButton *user = screen ? screen->optchoice(2) : nullptr) {
            user->click();
            if (!user->isChecked())
                user->setChecked(true);
        }
    });
    attempt([&] {
        if (QLineEdit *login = screen ? screen->txtlog() : nullptr)
            login->setText(QStringLiteral("guest"));
    });
    attempt([&] {
        const QString password = Listener::guestPassword(context.connection());
        if (QLineEdit *box = screen ? screen->txtpas() : nullptr)
            box->setText(password);
    });
    attempt([&] {
        if (screen)
            screen->cmdsubt_Click();
    });
}

void shutDown(StationContext &context)
{
    // Staff at the station: their control panel closes first (and with it the
    // program); otherwise the lock screen goes, which also ends the program.
    const bool staff = !context.state().signInKind.isEmpty();
    attempt([&] {
        if (staff) {
            if (ControlPanel *panel = context.navigator().controlPanel())
                panel->mnuClose_Click();
        } else {
            context.navigator().unloadLockScreen();
        }
    });
    // From version 5 on the shutdown is forced, so running programs cannot hold it up.
    attempt([&] { context.system().ShutdownComputer(context.system().versionNumber() >= 5); });
}

} // namespace

void connectListener(Listener &listener, StationContext &context)
{
    QObject::connect(&listener, &Listener::messageRequested, &listener,
        [&context] { attempt([&] { context.navigator().showMessageWindow(); }); });
    QObject::connect(
        &listener, &Listener::guestSignInRequested, &listener, [&context] { signGuestIn(context); });
    QObject::connect(&listener, &Listener::shutdownRequested, &listener, [&context] { shutDown(context); });
}

} // namespace vorlane
