#pragma once

#include "db/connection.h"
#include "db/schema.h"
#include "support/pg_test_database.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace vorlane::test {

/// A fresh system database in a temporary folder, opened on `connection`; a
/// fresh database on the test cluster when the tests run on PostgreSQL.
struct FreshDatabase {
    FreshDatabase()
    {
        if (testsUsePostgres()) {
            server = std::make_unique<ServerDatabase>();
            file = server->location();
        } else {
            file = QDir(dir.path()).filePath(QStringLiteral("systemfiles/vlsystem.mdb"));
        }
        db::createDatabase(file, db::NewDatabase { QStringLiteral("adminpw"), QStringLiteral("guestpw") });
        connection.open(file);
    }
    QTemporaryDir dir;
    std::unique_ptr<ServerDatabase> server;
    QString file; // the database file, or its server location
    db::Connection connection;
};

} // namespace vorlane::test
