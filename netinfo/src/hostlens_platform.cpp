#include "hostlens/hostlens_platform.h"

#include <QDialog>
#include <QEventLoop>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QPointer>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

/// A kind of link the search never reports: the Windows adapters of this kind call
/// themselves "WAN Miniport", so their description carries "WAN" here too.
bool isWanLink(const QNetworkInterface &interface)
{
    switch (interface.type()) {
    case QNetworkInterface::Ppp:
    case QNetworkInterface::Slip:
    case QNetworkInterface::Ieee80216:
        return true;
    default:
        break;
    }
    static const char *const wanPrefixes[]
        = { "ppp", "wwan", "tun", "tap", "wg", "gre", "gretap", "sit", "ipip", "ip6tnl", "vti", "ip_vti" };
    const QString name = interface.name();
    for (const char *prefix : wanPrefixes) {
        if (name.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

QString describe(const QNetworkInterface &interface)
{
    if (interface.type() == QNetworkInterface::Loopback)
        return interface.name() + QStringLiteral(" (loopback)");
    if (isWanLink(interface))
        return interface.name() + QStringLiteral(" (WAN link)");
    if (interface.type() == QNetworkInterface::Wifi)
        return interface.name() + QStringLiteral(" (wireless LAN)");
    return interface.name() + QStringLiteral(" (LAN)");
}

QByteArray hardwareBytes(const QNetworkInterface &interface)
{
    QString text = interface.hardwareAddress();
    text.remove(QLatin1Char(':'));
    return QByteArray::fromHex(text.toLatin1());
}

} // namespace

HostlensPlatform::~HostlensPlatform() = default;

int HostlensPlatform::startSockets()
{
    return 0x0101;
}

int HostlensPlatform::cleanupSockets()
{
    return 0;
}

bool HostlensPlatform::hostName(QString *name, int *error)
{
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0) {
        *error = errno;
        return false;
    }
    *name = QString::fromLocal8Bit(buffer);
    return true;
}

bool HostlensPlatform::resolveIPv4(const QString &name, QStringList *addresses)
{
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM; // one entry per address, not one per socket type
    addrinfo *found = nullptr;
    if (::getaddrinfo(name.toLocal8Bit().constData(), nullptr, &hints, &found) != 0)
        return false;
    for (const addrinfo *entry = found; entry; entry = entry->ai_next) {
        const auto *address = reinterpret_cast<const sockaddr_in *>(entry->ai_addr);
        char text[INET_ADDRSTRLEN] = {};
        if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text))
            addresses->append(QString::fromLatin1(text));
    }
    ::freeaddrinfo(found);
    return true;
}

QStringList HostlensPlatform::interfaceIPv4()
{
    QStringList addresses;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        if (!(interface.flags() & QNetworkInterface::IsUp) || interface.type() == QNetworkInterface::Loopback)
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback())
                addresses.append(ip.toString());
        }
    }
    return addresses;
}

QByteArray HostlensPlatform::firstAdapterAddress()
{
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        if (!(interface.flags() & QNetworkInterface::IsUp) || interface.type() == QNetworkInterface::Loopback
            || isWanLink(interface))
            continue;
        const QByteArray bytes = hardwareBytes(interface);
        if (bytes.size() == 6 && bytes.count('\0') != 6)
            return bytes;
    }
    return {};
}

void HostlensPlatform::enumerateAdapters(
    QObject *receiver, std::function<void(const HostlensAdapter &)> found)
{
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        HostlensAdapter adapter { interface.name(), describe(interface), hardwareBytes(interface) };
        QTimer::singleShot(0, receiver, [found, adapter] { found(adapter); });
    }
}

void HostlensPlatform::message(QWidget *parent, const QString &title, const QString &text, Icon icon)
{
    QMessageBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::Information, title, text,
        QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

void HostlensPlatform::runModal(QDialog &dialog)
{
    dialog.exec();
}

void HostlensPlatform::letEventsRun(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
