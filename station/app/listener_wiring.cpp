#include "listener_wiring.h"

#include "platform/attempt.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"
#include "startup/station_session.h"
#include "usage/listener.h"

namespace vorlane {

void connectListener(Listener &listener, StationContext &context)
{
    QObject::connect(&listener, &Listener::messageRequested, &listener,
        [&context] { attempt([&] { context.navigator().showMessageWindow(); }); });
    // The session checks the guest's sign-in as the lock screen's would, and the lock
    // screen follows its answer; under staff the control panel closes first.
    StationSession &session = context.session();
    QObject::connect(&listener, &Listener::guestSignInRequested, &session, &StationSession::signInGuest);
    QObject::connect(&listener, &Listener::shutdownRequested, &session, &StationSession::shutdown);
}

} // namespace vorlane
