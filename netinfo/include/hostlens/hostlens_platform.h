#pragma once

#include "hostlens/hostlens_export.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QObject;
class QWidget;

/// One network adapter as the slow search reports it.
struct HostlensAdapter {
    QString name; // the interface name (eth0, wlan0, ppp0)
    QString description; // name and kind; "WAN" in it marks a wide-area link
    QByteArray hardwareAddress; // raw bytes; an Ethernet-like adapter has six
};

/// What the control asks of the machine. Every method has the Linux behaviour;
/// a test or a host derives from it and replaces what it needs (message boxes
/// that must not block, a scripted resolver, adapters that arrive on demand).
class HOSTLENS_EXPORT HostlensPlatform {
public:
    enum class Icon { Information, Critical };

    virtual ~HostlensPlatform();

    /// Socket start-up: the granted socket version (major in the low byte, 0x0101
    /// for 1.1), or 0 when the sockets cannot start. Linux sockets need no start-up.
    virtual int startSockets();
    /// Socket clean-up: 0, or the error code of a failed clean-up.
    virtual int cleanupSockets();
    /// gethostname: true with the name, or false with the error code in `error`.
    virtual bool hostName(QString *name, int *error);
    /// The name's IPv4 addresses in the resolver's order; false when it does not resolve.
    virtual bool resolveIPv4(const QString &name, QStringList *addresses);
    /// The IPv4 addresses of the interfaces that are up, loopback left out, in interface order.
    virtual QStringList interfaceIPv4();
    /// The quick path: the hardware address of the first adapter that is up and is not
    /// a loopback or a WAN link, read directly; empty when there is none.
    virtual QByteArray firstAdapterAddress();
    /// The slow path: lists every adapter and hands each one to `found` later, one event
    /// each, on `receiver`'s thread (nothing arrives once `receiver` is gone).
    virtual void enumerateAdapters(QObject *receiver, std::function<void(const HostlensAdapter &)> found);
    /// A modal message box with an OK button.
    virtual void message(QWidget *parent, const QString &title, const QString &text, Icon icon);
    /// Runs a dialog modally (the about box).
    virtual void runModal(QDialog &dialog);
    /// Waits while events go on being handled (the pause after each reported adapter).
    virtual void letEventsRun(int milliseconds);
};
