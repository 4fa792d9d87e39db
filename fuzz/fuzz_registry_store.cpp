// The registry store's file format: any bytes found in a store file (torn, edited by
// hand, from another program) are read or refused, never crash; what is read writes
// back out in a form that reads again to the same keys and values.
#include "fuzz_support.h"
#include "platform/reg_hive.h"

using namespace vorlane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    const QString root = QStringLiteral("HKEY_CURRENT_USER");

    reg::Hive hive(root);
    QString error;
    if (reg::Hive::parseStore(input, root, &hive, &error)) {
        const QByteArray written = hive.serialise();
        reg::Hive again(root);
        if (!reg::Hive::parseStore(written, root, &again, &error))
            fuzz::fail("a store written by the program does not read back", error);
        if (again.serialise() != written)
            fuzz::fail("a store changes when written a second time", QString::fromUtf8(written));
    }

    reg::Hive branch;
    QString top;
    if (reg::Hive::parseBranch(input, &branch, &top, &error))
        (void)branch.serialiseBranch(top);
    return 0;
}
