#include "db/connection.h"
#include "db/recordset.h"
#include "db/schema.h"
#include "db/values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace vorlane;

namespace {

/// A bare engine handle without any function of ours, as any other SQLite tool opens a file.
struct PlainHandle {
    explicit PlainHandle(const QString &file) { sqlite3_open(file.toUtf8().constData(), &db); }
    ~PlainHandle() { sqlite3_close(db); }
    /// Runs `sql`; the engine's error text, or empty on success.
    QString run(const QString &sql)
    {
        char *message = nullptr;
        const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message);
        const QString text = rc == SQLITE_OK ? QString() : QString::fromUtf8(message ? message : "error");
        sqlite3_free(message);
        return text;
    }
    QVariant value(const QString &sql, const QString &bound = {})
    {
        sqlite3_stmt *statement = nullptr;
        QVariant result;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db);
            return result;
        }
        if (sqlite3_bind_parameter_count(statement) > 0) {
            const QByteArray utf8 = bound.toUtf8();
            sqlite3_bind_text(statement, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
        if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_type(statement, 0) != SQLITE_NULL)
            result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        return result;
    }
    sqlite3 *db = nullptr;
};

QString firstSchemaDump()
{
    QFile dump(QStringLiteral(VORLANE_TEST_DATA_DIR "/schema_v1.sql"));
    if (!dump.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(dump.readAll());
}

} // namespace

TEST(SchemaDates, TheBuiltInReadingOfDaysAgreesWithDateValue)
{
    PlainHandle engine(QStringLiteral(":memory:"));
    const QString select = QStringLiteral("SELECT ") + db::isoDayExpression(QStringLiteral("?1"));
    const char *inputs[] = { "01/05/2024", "1/5/2024", "12/31/99", "01/05/29", "1/5/30", "2/29/2023",
        "2/29/2024", "13/01/2024", "0/5/2024", "1/0/2024", "01/05/0000", "123/1/2024", "1/5/20245",
        "1/5/2024/1", "1/5/202", " 01/05/2024 ", "\t01/05/2024\t10:00", "01/05/2024 10:30",
        "01/05/2024 10:30:15 PM", "01/05/2024 1:30pm", "01/05/2024  10:30 am", "01/05/2024T10:30",
        "1/5/2024 AM", "01/05/2024 10:3", "01/05/2024 10:30:1", "2024-01-05", "2024-1-5", "2024-02-30",
        "9999-12-31", "0001-01-01", "24-01-05", "2024-01-05T10:30", "2024-01-05 10:30:15.250",
        "2024-01-05 10:30.5", "2024-01-05T", "2024-01-05  10:30", "2024-01-05 10:30 PM",
        "2024-01-05 10:30:15.", "2024/01/05", "01-05-2024", "", " ", "abc", "1/5/2024x", "１/５/２０２４" };
    QStringList texts;
    for (const char *input : inputs)
        texts << QString::fromUtf8(input);
    // The engine's text functions stop at a NUL; DateValue does not (found by fuzzing).
    texts << QStringLiteral("2024-01-05 10:30") + QChar(0) + QStringLiteral(":15.250");
    for (const QString &text : texts) {
        const QVariant expected = db::dateValue(text);
        const QVariant built = engine.value(select, text);
        EXPECT_EQ(built.isNull(), expected.isNull()) << qPrintable(text);
        EXPECT_EQ(built.toString(), expected.toString()) << qPrintable(text);
    }
}

TEST(SchemaUpgrade, AFileOfTheFirstSchemaIsUpgradedInPlaceOnce)
{
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("vlsystem.mdb"));
    const QString dump = firstSchemaDump();
    ASSERT_FALSE(dump.isEmpty());
    {
        PlainHandle earlier(file);
        ASSERT_EQ(earlier.run(dump), QString());
        // The fault being mended: the first schema's triggers need a function only the programs have.
        EXPECT_TRUE(earlier.run(QStringLiteral("INSERT INTO guest_trans VALUES ('2024-01-04', 1, 10)"))
                        .contains(QStringLiteral("DateValue")));
    }

    db::Connection connection;
    connection.open(file);
    // A day the programs wrote before the upgrade is kept as it is.
    connection.execute(
        QStringLiteral("INSERT INTO guest_trans VALUES (?, 2, 30)"), { QStringLiteral("01/05/2024") });
    EXPECT_EQ(db::upgradeDatabase(connection), 1);
    EXPECT_EQ(db::upgradeDatabase(connection), db::kSchemaVersion);
    connection.close();

    PlainHandle later(file);
    EXPECT_EQ(later.value(QStringLiteral("PRAGMA user_version")).toInt(), db::kSchemaVersion);
    EXPECT_EQ(later.run(QStringLiteral("INSERT INTO guest_trans VALUES ('01/06/2024', 1, 10)")), QString());
    EXPECT_EQ(
        later.value(QStringLiteral("SELECT group_concat(gt_date || ':' || gt_number, ' ') FROM guest_trans")),
        QStringLiteral("2024-01-05:2 2024-01-06:1"));
    EXPECT_EQ(later.run(QStringLiteral("INSERT INTO guest_trans VALUES ('02/30/2024', 1, 10)")),
        QStringLiteral("Data type mismatch in criteria expression."));
    EXPECT_EQ(
        later.value(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND sql LIKE "
                                   "'%DateValue%'")),
        QStringLiteral("0"));
    // The administrator, the guest account and the prices survive the upgrade.
    EXPECT_EQ(later.value(QStringLiteral("SELECT count(*) FROM admnlog_master")), QStringLiteral("1"));
    EXPECT_EQ(later.value(QStringLiteral("SELECT count(*) FROM rates_master_cabin")), QStringLiteral("1"));
}
