#include "platform/ports.h"

#include <QByteArray>

namespace vorlane::ports {

int offset()
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue("VORLANE_PORT_OFFSET", &ok);
    return ok && value >= 0 && value < 20000 ? value : 0;
}

} // namespace vorlane::ports
