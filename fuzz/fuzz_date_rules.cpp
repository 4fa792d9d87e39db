// The days a DATE column accepts: the triggers' reading in the engine's own functions
// must agree with DateValue, which the programs' statements use, on any text.
#include "db/schema.h"
#include "db/values.h"
#include "fuzz_support.h"

#include <sqlite3.h>

using namespace vorlane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static sqlite3 *engine = [] {
        sqlite3 *db = nullptr;
        sqlite3_open(":memory:", &db);
        return db;
    }();
    static sqlite3_stmt *select = [] {
        sqlite3_stmt *statement = nullptr;
        const QByteArray sql
            = (QStringLiteral("SELECT ") + db::isoDayExpression(QStringLiteral("?1"))).toUtf8();
        sqlite3_prepare_v2(engine, sql.constData(), -1, &statement, nullptr);
        return statement;
    }();

    const QByteArray input = fuzz::bytes(data, size);
    const QString text = QString::fromUtf8(input);
    const QByteArray utf8 = text.toUtf8();
    sqlite3_reset(select);
    sqlite3_bind_text(select, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    QVariant built;
    if (sqlite3_step(select) == SQLITE_ROW && sqlite3_column_type(select, 0) != SQLITE_NULL)
        built = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(select, 0)));
    const QVariant expected = db::dateValue(text);
    if (built.isNull() != expected.isNull() || built.toString() != expected.toString())
        fuzz::fail("the triggers and DateValue read a day differently",
            text + QStringLiteral(" -> ") + built.toString() + QStringLiteral(" / ") + expected.toString());
    return 0;
}
