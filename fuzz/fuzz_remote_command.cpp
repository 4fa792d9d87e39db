// The remote commands a station's listener receives: any datagram decodes (as UTF-8,
// or as Windows-1252 when it is not UTF-8) to at most one character per byte, and a
// message read from it travels back out unchanged.
#include "console/remote_command.h"
#include "fuzz_support.h"

using namespace vorlane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray datagram = fuzz::bytes(data, size);
    const QString command = remote_command::decode(datagram);
    if (command.size() > datagram.size())
        fuzz::fail("a datagram decodes to more characters than it has bytes", command);
    if (command.isEmpty())
        return 0;
    // What the listener shows for a message is the text after the code; sent again
    // by a control panel, it must arrive as the same bytes.
    if (command.at(0) == remote_command::kMessage) {
        const QByteArray again = remote_command::encode(remote_command::messagePayload(command.mid(1)));
        if (remote_command::decode(again) != command)
            fuzz::fail("a message changes on its way back", command);
    }
    return 0;
}
