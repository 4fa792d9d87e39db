// Placeholder until the station text files land.
#include "config/program_list.h"

namespace vorlane {

QList<ProgramEntry> readProgramList(const QString &) { return {}; }
void fillProgramList(QListWidget *, const QString &) {}
bool launchProgram(System &, const QString &, const QString &) { return false; }

} // namespace vorlane
