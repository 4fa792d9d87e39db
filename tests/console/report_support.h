#pragma once

#include "db/connection.h"
#include "db/values.h"

#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

namespace vorlane::test {

/// A day of guest_trans, written as the guest timer writes it.
inline void addGuestDay(db::Connection &connection, const QDate &day, int guests, int cash)
{
    connection.execute(QStringLiteral("insert into guest_trans values (?,?,?)"),
        { day.toString(Qt::ISODate), guests, cash });
}

/// The text of a PDF file as poppler's pdftotext reads it, columns kept in place.
inline QString pdfText(const QString &file)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), file, QStringLiteral("-") });
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext failed (scripts/install-deps.sh installs poppler-utils): "
                      << process.errorString().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace vorlane::test
