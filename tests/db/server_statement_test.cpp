#include "db/pg_session.h"

#include <gtest/gtest.h>

using namespace vorlane;

TEST(ServerStatement, MarksAndCaseRulesAreRewrittenOutsideQuotedTextOnly)
{
    struct Case {
        const char *written;
        const char *sent;
    };
    const Case cases[] = {
        { "select * from client_master where cl_login=?", "select * from client_master where cl_login=$1" },
        { "insert into t (a, b) values (?, ?)", "insert into t (a, b) values ($1, $2)" },
        // Marks and words inside quoted text or quoted names are text, not marks.
        { "select '?', \"a?\" from t where x = ?", "select '?', \"a?\" from t where x = $1" },
        { "select 'it''s ?' from t where y=?", "select 'it''s ?' from t where y=$1" },
        // like ignores case on a file, and so it does on the server.
        { "select mg_login from manager_master where mg_login like ?",
            "select mg_login from manager_master where mg_login ILIKE $1" },
        { "select cl_passwd from client_master where cl_login like 'guest'",
            "select cl_passwd from client_master where cl_login ILIKE 'guest'" },
        { "select likely from t where unlike = 'like'", "select likely from t where unlike = 'like'" },
        // trim and rtrim of a day compare as the file's do.
        { "Select * from guest_trans where rtrim(gt_date)=DateValue(?)",
            "Select * from guest_trans where vorlane_rtrim(gt_date)=DateValue($1)" },
        { "select * from guest_trans where trim (gt_date)='01/02/2027'",
            "select * from guest_trans where vorlane_trim (gt_date)='01/02/2027'" },
        { "select trim from t", "select trim from t" },
        { "CREATE TABLE IF NOT EXISTS l (pl_id INTEGER PRIMARY KEY AUTOINCREMENT, x TEXT)",
            "CREATE TABLE IF NOT EXISTS l (pl_id BIGSERIAL PRIMARY KEY, x TEXT)" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(db::detail::serverStatement(QString::fromLatin1(c.written)).toStdString(), c.sent)
            << c.written;
}
