// The station text files (programs.log, the advertisement, the notes): any bytes
// decode to lines, and a program list read from them is well formed.
#include "config/program_list.h"
#include "config/station_text.h"
#include "fuzz_support.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

using namespace vorlane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    const QString text = decodeStationText(input);
    const QStringList lines = stationTextLines(text);
    for (const QString &line : lines) {
        if (line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')))
            fuzz::fail("a line holds a line break", line);
    }

    // The program list is read from its file, as the timers read it.
    static const struct ScratchFile {
        QString path
            = QDir::temp().filePath(QStringLiteral("vorlane-fuzz-programs-%1.log").arg(qint64(getpid())));
        ~ScratchFile() { QFile::remove(path); }
    } scratch;
    const QString &file = scratch.path;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    out.write(input);
    out.close();
    for (const ProgramEntry &entry : readProgramList(file)) {
        if (entry.path != entry.path.trimmed() || entry.name != entry.name.trimmed())
            fuzz::fail("a program entry keeps blanks", entry.path + QLatin1Char('|') + entry.name);
    }
    return 0;
}
