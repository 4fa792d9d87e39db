// What a station's listener does with any datagram from a trusted sender: the
// first byte says who is signed in at the station, the rest is the datagram. A
// message is shown with the text after its code, a guest is signed in only at a
// free station, a shutdown happens only while nobody, the administrator or a
// manager is signed in, and anything else does nothing.
#include "console/remote_command.h"
#include "fuzz_support.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "startup/station_context.h"
#include "startup/station_session.h"
#include "usage/listener.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>

using namespace vorlane;

namespace {

/// The listener shows no box; one that did would block the station.
class RefusingPrompter : public Prompter {
public:
    MessageAnswer message(const QString &text, MessageButtons, MessageIcon, const QString &) override
    {
        fuzz::fail("the listener showed a message box", text);
    }
    std::optional<QString> input(const QString &prompt, const QString &, const QString &) override
    {
        fuzz::fail("the listener asked for input", prompt);
    }
};

struct Station {
    Station()
    {
        static int argc = 1;
        static char name[] = "fuzz_listener_dispatch";
        static char *argv[] = { name, nullptr };
        app = std::make_unique<QCoreApplication>(argc, argv);
        registry = std::make_unique<Registry>(folder.filePath(QStringLiteral("registry")));
        system = std::make_unique<System>(SystemSettings::simulated(
            QStringLiteral("STATION1"), folder.filePath(QStringLiteral("system")), folder.path()));
        context = std::make_unique<StationContext>(*registry, *system, prompter, clock);
        listener = std::make_unique<Listener>(*context);
        QObject::connect(listener.get(), &Listener::messageRequested, [this](const QString &text) {
            ++messages;
            shown = text;
        });
        QObject::connect(listener.get(), &Listener::guestSignInRequested, [this] { ++guests; });
        QObject::connect(listener.get(), &Listener::shutdownRequested, [this] { ++shutdowns; });
    }

    std::unique_ptr<QCoreApplication> app;
    QTemporaryDir folder;
    RefusingPrompter prompter;
    Clock clock;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<System> system;
    std::unique_ptr<StationContext> context;
    std::unique_ptr<Listener> listener;
    int messages = 0;
    int guests = 0;
    int shutdowns = 0;
    QString shown;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Station station;
    if (size == 0)
        return 0;
    static const char *const kinds[] = { "", kKindAdministrator, kKindManager, kKindMember, kKindGuest };
    const QString kind = QString::fromLatin1(kinds[data[0] % 5]);
    station.context->session().setSignedIn(kind, kind.isEmpty() ? QString() : QStringLiteral("someone"));
    station.messages = station.guests = station.shutdowns = 0;
    station.shown.clear();

    const QString command = remote_command::decode(fuzz::bytes(data + 1, size - 1));
    station.listener->dispatch(command);

    const QChar code = command.isEmpty() ? QChar() : command.at(0);
    const bool message = code == remote_command::kMessage;
    const bool guest = code == remote_command::kGuestSignIn && kind.isEmpty();
    const bool shutdown = code == remote_command::kShutdown
        && (kind.isEmpty() || kind == QLatin1String(kKindAdministrator)
            || kind == QLatin1String(kKindManager));
    if (station.messages != (message ? 1 : 0) || station.guests != (guest ? 1 : 0)
        || station.shutdowns != (shutdown ? 1 : 0))
        fuzz::fail("a command did other than its code says", command);
    if (message
        && (station.shown != command.mid(1) || station.context->state().pendingMessage != station.shown))
        fuzz::fail("a message is shown or kept otherwise than it came", command);
    return 0;
}
