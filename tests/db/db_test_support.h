#pragma once

#include "db/connection.h"
#include "db/schema.h"

#include <QDir>
#include <QTemporaryDir>

namespace vorlane::test {

/// A fresh system database in a temporary folder, opened on `connection`.
struct FreshDatabase {
    FreshDatabase()
    {
        file = QDir(dir.path()).filePath(QStringLiteral("systemfiles/vlsystem.mdb"));
        db::createDatabase(file, db::NewDatabase { QStringLiteral("adminpw"), QStringLiteral("guestpw") });
        connection.open(file);
    }
    QTemporaryDir dir;
    QString file;
    db::Connection connection;
};

} // namespace vorlane::test
