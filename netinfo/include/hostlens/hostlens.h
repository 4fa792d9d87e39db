#pragma once

#include "hostlens/hostlens_export.h"
#include "hostlens/hostlens_platform.h"

#include <QString>
#include <QVariantMap>
#include <QWidget>

#include <memory>

class QTimer;

/// The network-interface information control: a 36 by 36 pixel icon that, when
/// asked, reports the computer's LAN address, its Internet address and its
/// network adapter's hardware address through properties and signals.
///
/// Set `GetInfo` to true to run the whole search: the IP addresses at once, the
/// adapter address one `WorkingTimer` tick later, and, when the quick read of the
/// adapter gives nothing, every adapter in turn as it is found, with a time-out of
/// 15 `MacTimer` ticks.
class HOSTLENS_EXPORT Hostlens : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool GetInfo READ GetInfo WRITE setGetInfo NOTIFY GetInfoChanged)
    Q_PROPERTY(QString LanIPAddress READ LanIPAddress WRITE setLanIPAddress NOTIFY LanIPAddressChanged)
    Q_PROPERTY(QString InternetIPAddress READ InternetIPAddress WRITE setInternetIPAddress NOTIFY
            InternetIPAddressChanged)
    Q_PROPERTY(
        QString AdapterAddress READ AdapterAddress WRITE setAdapterAddress NOTIFY AdapterAddressChanged)

public:
    explicit Hostlens(QWidget *parent = nullptr);
    /// `platform` replaces the machine (tests, hosts that show messages their own way).
    explicit Hostlens(std::unique_ptr<HostlensPlatform> platform, QWidget *parent = nullptr);
    ~Hostlens() override;

    /// Shows the about box modally, then unloads it.
    Q_INVOKABLE void ShowAboutBox();

    /// Reads false once an assignment has been handled.
    bool GetInfo() const { return m_getInfo; }
    /// True starts the search and leaves the value false; false does nothing further.
    void setGetInfo(bool getInfo);

    QString LanIPAddress() const { return m_lanIPAddress; }
    QString InternetIPAddress() const { return m_internetIPAddress; }
    /// Six two-digit upper-case hexadecimal bytes joined by "-".
    QString AdapterAddress() const { return m_adapterAddress; }
    /// The addresses are read-only: assigning keeps the value and only notifies.
    void setLanIPAddress(const QString &ignored);
    void setInternetIPAddress(const QString &ignored);
    void setAdapterAddress(const QString &ignored);

    /// Finds the IP addresses: `LanIPAddressIs` (and `InternetIPAddressIs` with two
    /// or more addresses), or `IPAddressDoesNotExist`.
    Q_INVOKABLE void GetIPAddress();
    /// Finds the adapter address: `MACAddressIs` for each adapter reported.
    Q_INVOKABLE void GetMacAddress();

    /// A brand-new instance: empty values, the about box once, sockets started.
    void initProperties();
    /// Loads the saved properties ("GetInfo", "LanIPAddress", "InternetIPAddress",
    /// "AdapterAddress"); a missing key takes its default.
    void readProperties(const QVariantMap &bag);
    /// The saved properties; a value equal to its default is left out.
    QVariantMap writeProperties() const;

    /// "You must install a Network Interface Card to continue with the installation."
    /// once a search has started; empty before.
    QString missingCardMessage() const { return m_missingCardMessage; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    /// "major.minor.patch" of this library.
    static QString libraryVersion();

Q_SIGNALS:
    void MACAddressIs(const QString &StrMacAddress);
    void LanIPAddressIs(const QString &StrLanIpAddress);
    void InternetIPAddressIs(const QString &StrInternetIPAddress);
    void IPAddressDoesNotExist(bool doesNotExist);

    void GetInfoChanged(bool getInfo);
    void LanIPAddressChanged(const QString &address);
    void InternetIPAddressChanged(const QString &address);
    void AdapterAddressChanged(const QString &address);

public Q_SLOTS:
    /// One tick of `WorkingTimer`: the adapter search, once.
    void WorkingTimer_Timer();
    /// One tick of `MacTimer`: gives up on the adapter search at the 15th.
    void MacTimer_Timer();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void socketStartup();
    QStringList addressList();
    void adapterFound(const HostlensAdapter &adapter);
    void reportAdapter(const QString &address);

    std::unique_ptr<HostlensPlatform> m_platform;
    bool m_getInfo = false;
    QString m_lanIPAddress;
    QString m_internetIPAddress;
    QString m_adapterAddress;
    QString m_missingCardMessage;
    int m_tickCount = 0;
    QTimer *m_workingTimer;
    QTimer *m_macTimer;
};
