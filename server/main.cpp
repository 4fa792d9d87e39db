#include "db/connection.h"
#include "db/schema.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::fprintf(stderr, "vorlane-server: not yet built\n");
    return 1;
}
