#include "fake_hostlens_platform.h"

#include "hostlens/hostlens.h"

#include <QNetworkInterface>
#include <QPluginLoader>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <gtest/gtest.h>

namespace {

const QString missingCard
    = QStringLiteral("You must install a Network Interface Card to continue with the installation.");

struct Control {
    Control()
    {
        auto owned = std::make_unique<FakeHostlensPlatform>();
        platform = owned.get();
        control = std::make_unique<Hostlens>(std::move(owned));
    }
    FakeHostlensPlatform *platform = nullptr;
    std::unique_ptr<Hostlens> control;
};

QByteArray bytes(std::initializer_list<unsigned char> values)
{
    QByteArray result;
    for (unsigned char value : values)
        result.append(static_cast<char>(value));
    return result;
}

struct AddressCase {
    const char *name;
    QStringList resolved;
    QStringList interfaces;
    QString lan;
    QString internet; // empty: no InternetIPAddressIs
};

class HostlensAddresses : public ::testing::TestWithParam<AddressCase> { };

TEST_P(HostlensAddresses, LanIsTheLastAddressAndInternetTheOneBefore)
{
    const AddressCase &expected = GetParam();
    Control c;
    c.platform->resolved = expected.resolved;
    c.platform->interfaces = expected.interfaces;
    QSignalSpy lan(c.control.get(), &Hostlens::LanIPAddressIs);
    QSignalSpy internet(c.control.get(), &Hostlens::InternetIPAddressIs);
    QSignalSpy missing(c.control.get(), &Hostlens::IPAddressDoesNotExist);

    c.control->GetIPAddress();

    EXPECT_EQ(c.platform->resolvedName, QStringLiteral("station-01")) << "the host name is trimmed";
    ASSERT_EQ(lan.count(), 1);
    EXPECT_EQ(lan.at(0).at(0).toString(), expected.lan);
    EXPECT_EQ(c.control->LanIPAddress(), expected.lan);
    EXPECT_EQ(internet.count(), expected.internet.isEmpty() ? 0 : 1);
    EXPECT_EQ(c.control->InternetIPAddress(), expected.internet);
    EXPECT_EQ(missing.count(), 0);
    EXPECT_TRUE(c.platform->log->messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Hostlens, HostlensAddresses,
    ::testing::Values(AddressCase { "one", { "192.168.1.5" }, {}, "192.168.1.5", {} },
        AddressCase { "two", { "203.0.113.7", "192.168.1.5" }, {}, "192.168.1.5", "203.0.113.7" },
        AddressCase {
            "three", { "10.0.0.1", "203.0.113.7", "192.168.1.5" }, {}, "192.168.1.5", "203.0.113.7" },
        // Debian's /etc/hosts names the host 127.0.1.1: the interfaces stand in for it.
        AddressCase { "loopbackOnly", { "127.0.1.1" }, { "192.168.1.20" }, "192.168.1.20", {} },
        AddressCase {
            "loopbackAmongOthers", { "127.0.1.1", "192.168.1.5" }, { "10.9.9.9" }, "192.168.1.5", {} }),
    [](const ::testing::TestParamInfo<AddressCase> &param) { return std::string(param.param.name); });

TEST(Hostlens, NoAddressAtAllRaisesIPAddressDoesNotExistAndEachFailureShowsItsMessageOnce)
{
    struct Failure {
        int hostNameError;
        bool resolves;
        QString message;
    };
    const Failure failures[] = {
        { 0, true, {} }, // resolves to nothing, no interface address either
        { 0, false, QStringLiteral("Winsock.dll error.") },
        { 22, true, QStringLiteral("Windows Socket Error 22") },
    };
    for (const Failure &failure : failures) {
        Control c;
        c.platform->hostNameError = failure.hostNameError;
        c.platform->resolves = failure.resolves;
        QSignalSpy lan(c.control.get(), &Hostlens::LanIPAddressIs);
        QSignalSpy missing(c.control.get(), &Hostlens::IPAddressDoesNotExist);

        c.control->GetIPAddress();

        EXPECT_EQ(lan.count(), 0);
        ASSERT_EQ(missing.count(), 1);
        EXPECT_TRUE(missing.at(0).at(0).toBool());
        if (failure.message.isEmpty()) {
            EXPECT_TRUE(c.platform->log->messages.empty());
        } else {
            ASSERT_EQ(c.platform->log->messages.size(), 1u) << qPrintable(failure.message);
            EXPECT_EQ(c.platform->log->messages[0].text, failure.message);
            EXPECT_EQ(c.platform->log->messages[0].icon, HostlensPlatform::Icon::Critical);
        }
    }
}

TEST(Hostlens, AssigningAnAddressKeepsItAndOnlyNotifies)
{
    Control c;
    c.platform->resolved = { "203.0.113.7", "192.168.1.5" };
    c.platform->quickAddress = bytes({ 0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e });
    c.control->GetIPAddress();
    c.control->GetMacAddress();

    for (const char *property : { "LanIPAddress", "InternetIPAddress", "AdapterAddress" }) {
        const QString before = c.control->property(property).toString();
        ASSERT_FALSE(before.isEmpty()) << property;
        const QMetaProperty meta
            = c.control->metaObject()->property(c.control->metaObject()->indexOfProperty(property));
        QSignalSpy changed(c.control.get(), meta.notifySignal());
        EXPECT_TRUE(c.control->setProperty(property, QStringLiteral("1.2.3.4")));
        EXPECT_EQ(c.control->property(property).toString(), before) << property;
        ASSERT_EQ(changed.count(), 1) << property;
        EXPECT_EQ(changed.at(0).at(0).toString(), before);
    }
}

TEST(Hostlens, GetInfoFindsTheAddressesAtOnceAndTheAdapterOneTickLater)
{
    Control c;
    c.platform->resolved = { "192.168.1.5" };
    c.platform->quickAddress = bytes({ 0x0a, 0x1b, 0x02, 0xc3, 0x00, 0xff });
    QSignalSpy getInfo(c.control.get(), &Hostlens::GetInfoChanged);
    QSignalSpy lan(c.control.get(), &Hostlens::LanIPAddressIs);
    QSignalSpy mac(c.control.get(), &Hostlens::MACAddressIs);

    EXPECT_TRUE(c.control->setProperty("GetInfo", true));

    EXPECT_FALSE(c.control->GetInfo());
    ASSERT_EQ(getInfo.count(), 1);
    EXPECT_FALSE(getInfo.at(0).at(0).toBool());
    EXPECT_EQ(lan.count(), 1);
    EXPECT_EQ(mac.count(), 0);
    EXPECT_EQ(c.control->missingCardMessage(), missingCard);
    auto *working = c.control->findChild<QTimer *>(QStringLiteral("WorkingTimer"));
    ASSERT_NE(working, nullptr);
    EXPECT_TRUE(working->isActive());
    EXPECT_EQ(working->interval(), 1000);

    c.control->WorkingTimer_Timer();

    EXPECT_FALSE(working->isActive());
    ASSERT_EQ(mac.count(), 1);
    EXPECT_EQ(mac.at(0).at(0).toString(), QStringLiteral("0A-1B-02-C3-00-FF"));
    EXPECT_EQ(c.control->AdapterAddress(), QStringLiteral("0A-1B-02-C3-00-FF"));
    EXPECT_EQ(c.platform->log->pauses, 1);
    EXPECT_FALSE(c.control->findChild<QTimer *>(QStringLiteral("MacTimer"))->isActive());

    // Setting false starts nothing.
    c.control->setGetInfo(false);
    EXPECT_EQ(getInfo.count(), 1);
    EXPECT_EQ(lan.count(), 1);
}

TEST(Hostlens, TheSlowSearchReportsEveryLanAdapterButNeverAWanLink)
{
    Control c;
    c.platform->adapters = {
        { "lo", "lo (loopback)", QByteArray(6, '\0') },
        { "wwan0", "wwan0 (WAN link)", bytes({ 0x02, 0x11, 0x22, 0x33, 0x44, 0x55 }) },
        { "sit0", "sit0 (LAN)", bytes({ 0, 0, 0, 0 }) },
        { "ppp0", "ppp0 (WAN link)", {} },
        { "eth1", "eth1 (LAN)", bytes({ 0x00, 0x0c, 0x29, 0xab, 0xcd, 0xef }) },
        { "wlan0", "wlan0 (wireless LAN)", bytes({ 0x5c, 0x0f, 0x00, 0x01, 0x02, 0x03 }) },
    };
    QSignalSpy mac(c.control.get(), &Hostlens::MACAddressIs);

    c.control->GetMacAddress();
    auto *macTimer = c.control->findChild<QTimer *>(QStringLiteral("MacTimer"));
    EXPECT_TRUE(macTimer->isActive());
    EXPECT_EQ(mac.count(), 0) << "adapters arrive later, each as its own event";

    c.platform->deliverAdapters();

    ASSERT_EQ(mac.count(), 2);
    EXPECT_EQ(mac.at(0).at(0).toString(), QStringLiteral("00-0C-29-AB-CD-EF"));
    EXPECT_EQ(mac.at(1).at(0).toString(), QStringLiteral("5C-0F-00-01-02-03"));
    EXPECT_EQ(c.control->AdapterAddress(), QStringLiteral("5C-0F-00-01-02-03"));
    EXPECT_EQ(c.platform->log->pauses, 2);

    for (int tick = 0; tick < 15; ++tick)
        c.control->MacTimer_Timer();
    EXPECT_FALSE(macTimer->isActive());
    EXPECT_TRUE(c.platform->log->messages.empty()) << "an adapter came: no missing-card message";
}

TEST(Hostlens, NoAdapterWithinFifteenTicksShowsTheMissingCardMessageOnce)
{
    Control c;
    c.platform->adapters = { { "ppp0", "ppp0 (WAN link)", bytes({ 1, 2, 3, 4, 5, 6 }) } };
    c.control->setGetInfo(true);
    c.control->WorkingTimer_Timer();
    c.platform->deliverAdapters();
    auto *macTimer = c.control->findChild<QTimer *>(QStringLiteral("MacTimer"));
    EXPECT_EQ(macTimer->interval(), 1000);

    for (int tick = 1; tick < 15; ++tick)
        c.control->MacTimer_Timer();
    EXPECT_TRUE(c.platform->log->messages.empty()) << "14 ticks are not yet the time-out";
    EXPECT_TRUE(macTimer->isActive());

    c.control->MacTimer_Timer();

    ASSERT_EQ(c.platform->log->messages.size(), 1u);
    EXPECT_EQ(c.platform->log->messages[0].title, QStringLiteral("ERROR"));
    EXPECT_EQ(c.platform->log->messages[0].text, missingCard);
    EXPECT_FALSE(macTimer->isActive());
    EXPECT_TRUE(c.control->AdapterAddress().isEmpty());

    // A second search counts its own fifteen ticks.
    c.control->GetMacAddress();
    c.control->MacTimer_Timer();
    EXPECT_EQ(c.platform->log->messages.size(), 1u);
}

TEST(Hostlens, AHostThatDeletesTheControlFromItsHandlerEndsThePause)
{
    auto log = std::make_shared<HostlensPlatformLog>();
    auto platform = std::make_unique<FakeHostlensPlatform>(log);
    platform->quickAddress = bytes({ 0, 1, 2, 3, 4, 5 });
    auto *control = new Hostlens(std::move(platform));
    QObject::connect(control, &Hostlens::MACAddressIs, control, [control] { delete control; });

    control->GetMacAddress();

    EXPECT_EQ(log->pauses, 0);
}

TEST(Hostlens, KeepsItsSizeSavesItsPropertiesAndShowsItsAboutBox)
{
    Control c;
    c.control->resize(120, 48);
    EXPECT_EQ(c.control->size(), QSize(36, 36));
    EXPECT_EQ(c.control->sizeHint(), QSize(36, 36));

    EXPECT_TRUE(c.control->writeProperties().isEmpty()) << "defaults are not written";
    const QVariantMap saved { { "GetInfo", false }, { "LanIPAddress", "192.168.1.5" },
        { "InternetIPAddress", "203.0.113.7" }, { "AdapterAddress", "00-0C-29-AB-CD-EF" } };
    c.control->readProperties(saved);
    EXPECT_EQ(c.control->LanIPAddress(), QStringLiteral("192.168.1.5"));
    QVariantMap expected = saved;
    expected.remove("GetInfo");
    EXPECT_EQ(c.control->writeProperties(), expected);

    c.control->initProperties();
    EXPECT_TRUE(c.control->LanIPAddress().isEmpty());
    EXPECT_TRUE(c.control->AdapterAddress().isEmpty());
    EXPECT_EQ(c.platform->log->modalTitle, QStringLiteral("Hostlens  ActiveX Control"));
    EXPECT_EQ(c.platform->log->modalVersion, QStringLiteral("Version : ") + Hostlens::libraryVersion());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$"))
                    .match(Hostlens::libraryVersion())
                    .hasMatch());
}

#ifdef HOSTLENS_DESIGNER_PLUGIN
TEST(Hostlens, TheDesignerPluginPlacesTheControlOnAForm)
{
    QPluginLoader loader(QStringLiteral(HOSTLENS_DESIGNER_PLUGIN));
    QObject *instance = loader.instance();
    ASSERT_NE(instance, nullptr) << qPrintable(loader.errorString());
    auto *plugin = qobject_cast<QDesignerCustomWidgetInterface *>(instance);
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->name(), QStringLiteral("Hostlens"));
    EXPECT_EQ(plugin->includeFile(), QStringLiteral("hostlens/hostlens.h"));
    EXPECT_FALSE(plugin->icon().isNull());
    QWidget form;
    QWidget *placed = plugin->createWidget(&form);
    ASSERT_NE(qobject_cast<Hostlens *>(placed), nullptr);
    EXPECT_EQ(placed->parentWidget(), &form);
    EXPECT_TRUE(plugin->domXml().contains(QStringLiteral("class=\"Hostlens\"")));
}
#endif

TEST(Hostlens, InfoProgramPrintsThisComputersAddresses)
{
    QProcess info;
    info.start(QStringLiteral(HOSTLENS_INFO_EXE), {});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(info.readAllStandardOutput());
    ASSERT_EQ(info.exitCode(), 0) << qPrintable(out + QString::fromLocal8Bit(info.readAllStandardError()));

    const QRegularExpression lines(QStringLiteral("^LanIPAddress=([0-9.]+)\nInternetIPAddress=([0-9.]*)"
                                                  "\nAdapterAddress=((?:[0-9A-F]{2}-){5}[0-9A-F]{2})\n$"));
    const QRegularExpressionMatch match = lines.match(out);
    ASSERT_TRUE(match.hasMatch()) << qPrintable(out);
    QStringList ips;
    QStringList macs;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        macs.append(interface.hardwareAddress().replace(QLatin1Char(':'), QLatin1Char('-')));
        for (const QNetworkAddressEntry &entry : interface.addressEntries())
            ips.append(entry.ip().toString());
    }
    EXPECT_TRUE(ips.contains(match.captured(1))) << qPrintable(out);
    EXPECT_TRUE(macs.contains(match.captured(3))) << qPrintable(out);
}

} // namespace
