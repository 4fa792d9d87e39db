#include "hostlens/hostlens.h"

#include "about_form.h"

#include <QHostAddress>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QResizeEvent>
#include <QTimer>

namespace {

constexpr int side = 36;
constexpr int macTimeoutTicks = 15;

const char *const getInfoKey = "GetInfo";
const char *const lanKey = "LanIPAddress";
const char *const internetKey = "InternetIPAddress";
const char *const adapterKey = "AdapterAddress";

/// Six bytes as "0A-1B-2C-3D-4E-5F": two upper-case digits each, joined by dashes.
QString formatAdapterAddress(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex('-').toUpper());
}

bool isLoopback(const QString &address)
{
    return QHostAddress(address).isLoopback();
}

} // namespace

Hostlens::Hostlens(QWidget *parent)
    : Hostlens(std::make_unique<HostlensPlatform>(), parent)
{
}

Hostlens::Hostlens(std::unique_ptr<HostlensPlatform> platform, QWidget *parent)
    : QWidget(parent)
    , m_platform(platform ? std::move(platform) : std::make_unique<HostlensPlatform>())
    , m_workingTimer(new QTimer(this))
    , m_macTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("Hostlens"));
    setAccessibleName(QStringLiteral("Hostlens"));
    setAccessibleDescription(QStringLiteral("Network-interface information"));
    setFixedSize(side, side);

    m_workingTimer->setObjectName(QStringLiteral("WorkingTimer"));
    m_workingTimer->setInterval(1000);
    connect(m_workingTimer, &QTimer::timeout, this, &Hostlens::WorkingTimer_Timer);
    m_macTimer->setObjectName(QStringLiteral("MacTimer"));
    m_macTimer->setInterval(1000);
    connect(m_macTimer, &QTimer::timeout, this, &Hostlens::MacTimer_Timer);
}

Hostlens::~Hostlens() = default;

QString Hostlens::libraryVersion()
{
    return QStringLiteral(HOSTLENS_VERSION_TEXT);
}

void Hostlens::ShowAboutBox()
{
    AboutForm about(this);
    m_platform->runModal(about);
}

void Hostlens::setGetInfo(bool getInfo)
{
    m_getInfo = getInfo;
    if (!getInfo)
        return;
    m_getInfo = false;
    Q_EMIT GetInfoChanged(m_getInfo);
    m_workingTimer->start();
    m_missingCardMessage
        = QStringLiteral("You must install a Network Interface Card to continue with the installation.");
    GetIPAddress();
}

void Hostlens::setLanIPAddress(const QString &)
{
    Q_EMIT LanIPAddressChanged(m_lanIPAddress);
}

void Hostlens::setInternetIPAddress(const QString &)
{
    Q_EMIT InternetIPAddressChanged(m_internetIPAddress);
}

void Hostlens::setAdapterAddress(const QString &)
{
    Q_EMIT AdapterAddressChanged(m_adapterAddress);
}

void Hostlens::socketStartup()
{
    const int granted = m_platform->startSockets();
    if (granted == 0) {
        m_platform->message(
            this, QString(), QStringLiteral("Winsock.dll Error."), HostlensPlatform::Icon::Information);
        return;
    }
    const int major = granted & 0xff;
    const int minor = (granted >> 8) & 0xff;
    if (major < 1 || (major == 1 && minor < 1)) {
        m_platform->message(this, QString(),
            QStringLiteral("Windows Sockets version %1.%2").arg(major).arg(minor),
            HostlensPlatform::Icon::Information);
    }
}

QStringList Hostlens::addressList()
{
    QString name;
    int error = 0;
    if (!m_platform->hostName(&name, &error)) {
        m_platform->message(this, QString(), QStringLiteral("Windows Socket Error %1").arg(error),
            HostlensPlatform::Icon::Critical);
        return {};
    }
    QStringList addresses;
    if (!m_platform->resolveIPv4(name.trimmed(), &addresses)) {
        m_platform->message(
            this, QString(), QStringLiteral("Winsock.dll error."), HostlensPlatform::Icon::Critical);
        return {};
    }
    // Debian maps the host name to 127.0.1.1 in /etc/hosts, where Windows gives the
    // adapters' addresses; a loopback address is never this computer's LAN address,
    // so the interfaces' own addresses stand in when the resolver gives nothing else.
    addresses.removeIf(isLoopback);
    if (addresses.isEmpty())
        addresses = m_platform->interfaceIPv4();
    return addresses;
}

void Hostlens::GetIPAddress()
{
    socketStartup();
    // One look-up serves both addresses, so that a failing resolver shows its message once.
    const QStringList addresses = addressList();
    if (addresses.isEmpty()) {
        Q_EMIT IPAddressDoesNotExist(true);
    } else {
        m_lanIPAddress = addresses.last();
        Q_EMIT LanIPAddressChanged(m_lanIPAddress);
        Q_EMIT LanIPAddressIs(m_lanIPAddress);
        if (addresses.size() >= 2) {
            m_internetIPAddress = addresses.at(addresses.size() - 2);
            Q_EMIT InternetIPAddressChanged(m_internetIPAddress);
            Q_EMIT InternetIPAddressIs(m_internetIPAddress);
        }
    }
    if (const int error = m_platform->cleanupSockets()) {
        m_platform->message(this, QString(),
            QStringLiteral("Socket Error %1 occurred In Cleanup ").arg(error),
            HostlensPlatform::Icon::Critical);
    }
}

void Hostlens::GetMacAddress()
{
    const QByteArray quick = m_platform->firstAdapterAddress();
    if (quick.size() == 6 && quick.count('\0') != 6) {
        reportAdapter(formatAdapterAddress(quick));
        return;
    }
    m_tickCount = 0;
    m_macTimer->start();
    m_platform->enumerateAdapters(this, [this](const HostlensAdapter &adapter) { adapterFound(adapter); });
}

void Hostlens::adapterFound(const HostlensAdapter &adapter)
{
    if (adapter.hardwareAddress.size() != 6 || adapter.hardwareAddress.count('\0') == 6
        || adapter.description.contains(QLatin1String("WAN")))
        return;
    reportAdapter(formatAdapterAddress(adapter.hardwareAddress));
}

void Hostlens::reportAdapter(const QString &address)
{
    m_adapterAddress = address;
    Q_EMIT AdapterAddressChanged(m_adapterAddress);
    QPointer<Hostlens> alive(this);
    Q_EMIT MACAddressIs(m_adapterAddress);
    // The host may delete the control from its handler; the pause must not outlive it.
    if (alive)
        m_platform->letEventsRun(1000);
}

void Hostlens::WorkingTimer_Timer()
{
    m_workingTimer->stop();
    GetMacAddress();
}

void Hostlens::MacTimer_Timer()
{
    ++m_tickCount;
    if (m_tickCount < macTimeoutTicks)
        return;
    // Stopped whether or not an adapter came, so that a later search counts from zero.
    m_macTimer->stop();
    if (m_adapterAddress.isEmpty())
        m_platform->message(
            this, QStringLiteral("ERROR"), m_missingCardMessage, HostlensPlatform::Icon::Information);
}

void Hostlens::initProperties()
{
    m_getInfo = false;
    m_lanIPAddress.clear();
    m_internetIPAddress.clear();
    m_adapterAddress.clear();
    ShowAboutBox();
    socketStartup();
}

void Hostlens::readProperties(const QVariantMap &bag)
{
    m_getInfo = bag.value(QLatin1String(getInfoKey), false).toBool();
    m_lanIPAddress = bag.value(QLatin1String(lanKey)).toString();
    m_internetIPAddress = bag.value(QLatin1String(internetKey)).toString();
    m_adapterAddress = bag.value(QLatin1String(adapterKey)).toString();
}

QVariantMap Hostlens::writeProperties() const
{
    QVariantMap bag;
    if (m_getInfo)
        bag.insert(QLatin1String(getInfoKey), m_getInfo);
    if (!m_lanIPAddress.isEmpty())
        bag.insert(QLatin1String(lanKey), m_lanIPAddress);
    if (!m_internetIPAddress.isEmpty())
        bag.insert(QLatin1String(internetKey), m_internetIPAddress);
    if (!m_adapterAddress.isEmpty())
        bag.insert(QLatin1String(adapterKey), m_adapterAddress);
    return bag;
}

QSize Hostlens::sizeHint() const
{
    return { side, side };
}

QSize Hostlens::minimumSizeHint() const
{
    return { side, side };
}

void Hostlens::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (event->size() != QSize(side, side))
        resize(side, side);
}

void Hostlens::paintEvent(QPaintEvent *)
{
    // A network card seen from above: the board, its connector and a lens over it.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor board(0x2e, 0x7d, 0x32);
    painter.setPen(QPen(board.darker(140), 1));
    painter.setBrush(board);
    painter.drawRoundedRect(QRectF(3, 9, 24, 16), 2, 2);
    painter.setBrush(QColor(0xb0, 0xbe, 0xc5));
    painter.drawRect(QRectF(27, 12, 5, 10));
    painter.setBrush(QColor(0xff, 0xd5, 0x4f));
    for (int pin = 0; pin < 5; ++pin)
        painter.drawRect(QRectF(6 + pin * 4, 25, 2, 3));
    painter.setPen(QPen(QColor(0x37, 0x47, 0x4f), 2.5));
    painter.setBrush(QColor(255, 255, 255, 150));
    painter.drawEllipse(QPointF(15, 16), 7, 7);
    painter.drawLine(QPointF(20, 21), QPointF(26, 28));
}
