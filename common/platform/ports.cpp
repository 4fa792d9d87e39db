#include "platform/ports.h"

#include <QByteArray>
#include <QLoggingCategory>

namespace vorlane::ports {

int offset()
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue("VORLANE_PORT_OFFSET", &ok);
    return ok && value >= 0 && value < 20000 ? value : 0;
}

QHostAddress listenAddress()
{
    const QString text = qEnvironmentVariable("VORLANE_LISTEN_ADDRESS").trimmed();
    if (text.isEmpty())
        return QHostAddress(QHostAddress::Any);
    QHostAddress address;
    if (!address.setAddress(text)) {
        qWarning("VORLANE_LISTEN_ADDRESS \"%s\" is not an address; binding every address", qPrintable(text));
        return QHostAddress(QHostAddress::Any);
    }
    return address;
}

} // namespace vorlane::ports
