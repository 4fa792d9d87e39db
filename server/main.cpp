#include "init_database.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("--init-database"))
        return vorlane::runInitDatabase(arguments);
    std::fprintf(stderr, "vorlane-server: not yet built\n");
    return 1;
}
