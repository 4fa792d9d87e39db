#pragma once

#include "hostlens/hostlens_platform.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

/// What the fake platform saw; shared, so that a test reads it after the control is gone.
struct HostlensPlatformLog {
    struct Message {
        QString title;
        QString text;
        HostlensPlatform::Icon icon;
    };
    std::vector<Message> messages;
    int pauses = 0;
    QString modalTitle;
    QString modalVersion;
};

/// A scripted machine: the host name, the resolver's answer, the interfaces' addresses
/// and the adapters are set by the test; adapters arrive when the test delivers them.
class FakeHostlensPlatform : public HostlensPlatform {
public:
    explicit FakeHostlensPlatform(
        std::shared_ptr<HostlensPlatformLog> sharedLog = std::make_shared<HostlensPlatformLog>())
        : log(std::move(sharedLog))
    {
    }

    bool hostName(QString *name, int *error) override
    {
        if (hostNameError) {
            *error = hostNameError;
            return false;
        }
        *name = QStringLiteral("  station-01 ");
        return true;
    }
    bool resolveIPv4(const QString &name, QStringList *addresses) override
    {
        resolvedName = name;
        if (!resolves)
            return false;
        *addresses = resolved;
        return true;
    }
    QStringList interfaceIPv4() override { return interfaces; }
    QByteArray firstAdapterAddress() override { return quickAddress; }
    void enumerateAdapters(QObject *receiver, std::function<void(const HostlensAdapter &)> found) override
    {
        m_receiver = receiver;
        m_found = std::move(found);
    }
    /// Hands the scripted adapters over, as the asynchronous search would.
    void deliverAdapters()
    {
        for (const HostlensAdapter &adapter : adapters) {
            if (m_receiver)
                m_found(adapter);
        }
    }
    void message(QWidget *, const QString &title, const QString &text, Icon icon) override
    {
        log->messages.push_back({ title, text, icon });
    }
    void runModal(QDialog &dialog) override
    {
        log->modalTitle = dialog.windowTitle();
        if (auto *version = dialog.findChild<QObject *>(QStringLiteral("lblVersion")))
            log->modalVersion = version->property("text").toString();
    }
    void letEventsRun(int) override { ++log->pauses; }

    std::shared_ptr<HostlensPlatformLog> log;
    int hostNameError = 0;
    bool resolves = true;
    QString resolvedName;
    QStringList resolved;
    QStringList interfaces;
    QByteArray quickAddress;
    std::vector<HostlensAdapter> adapters;

private:
    QPointer<QObject> m_receiver;
    std::function<void(const HostlensAdapter &)> m_found;
};
