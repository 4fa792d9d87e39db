// hostlens-info: places the control, sets GetInfo and prints what it reports.

#include "hostlens/hostlens.h"

#include <QApplication>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>

namespace {

/// Messages go to the standard error instead of a box: the program also runs without a screen.
class ConsolePlatform : public HostlensPlatform {
public:
    void message(QWidget *, const QString &title, const QString &text, Icon) override
    {
        std::fprintf(stderr, "hostlens-info: %s%s\n",
            title.isEmpty() ? "" : qPrintable(title + QStringLiteral(": ")), qPrintable(text));
        ++failures;
        // The adapter search gives up with this title: no adapter address will come.
        if (title == QLatin1String("ERROR"))
            QCoreApplication::exit(EXIT_FAILURE);
    }
    int failures = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--help" || argument == "-h") {
            std::printf("Usage: hostlens-info\n"
                        "Prints this computer's LAN address, Internet address and network adapter address\n"
                        "as the Hostlens control reports them, one NAME=VALUE a line.\n");
            return 0;
        }
        std::fprintf(stderr, "hostlens-info: unknown argument %s\n", argv[i]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    auto platform = std::make_unique<ConsolePlatform>();
    ConsolePlatform *console = platform.get();
    QWidget host;
    auto *control = new Hostlens(std::move(platform), &host);
    (new QVBoxLayout(&host))->addWidget(control);

    bool noAddress = false;
    QObject::connect(control, &Hostlens::IPAddressDoesNotExist, [&noAddress] { noAddress = true; });
    QObject::connect(control, &Hostlens::MACAddressIs, &app, [&] {
        std::printf("LanIPAddress=%s\nInternetIPAddress=%s\nAdapterAddress=%s\n",
            qPrintable(control->LanIPAddress()), qPrintable(control->InternetIPAddress()),
            qPrintable(control->AdapterAddress()));
        std::fflush(stdout);
        if (noAddress)
            std::fprintf(stderr, "hostlens-info: this computer has no IP address\n");
        QCoreApplication::exit(noAddress || console->failures ? EXIT_FAILURE : EXIT_SUCCESS);
    });
    control->setGetInfo(true);
    return QApplication::exec();
}
