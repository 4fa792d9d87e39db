#include "support/ports.h"

#include <QHostAddress>
#include <QRandomGenerator>
#include <QUdpSocket>

namespace vorlane::test {

int reservePortOffset()
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        const int offset = 1000 + 4 * int(QRandomGenerator::global()->bounded(4500));
        bool free = true;
        for (int port = 45670; port < 45674 && free; ++port) {
            QUdpSocket probe;
            free = probe.bind(QHostAddress::Any, quint16(port + offset));
        }
        if (free) {
            qputenv("VORLANE_PORT_OFFSET", QByteArray::number(offset));
            return offset;
        }
    }
    qFatal("no free port range for the test");
}

} // namespace vorlane::test
