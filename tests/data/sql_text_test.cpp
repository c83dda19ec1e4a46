#include "data/sql_text.h"

#include <gtest/gtest.h>

#include <set>

#include "base/text.h"
#include "support/module_queries.h"

namespace talven {
namespace {

TEST(SqlText, ParametersBecomeMarksOutsideQuotesAndComments) {
  struct Case {
    std::string command, text;
    std::vector<std::string> marks;
  } cases[] = {
      {"select * from t where kd=:DM and kch=:KCH", "select * from t where kd=? and kch=?", {"DM", "KCH"}},
      {"where a=:DM1 or b=:dm1", "where a=? or b=?", {"DM1", "dm1"}},
      {"where t=':DM' and n=\":X\" and [y:Z]=:v", "where t=':DM' and n=\":X\" and [y:Z]=?", {"v"}},
      {"where time='9:00' -- :not\n and x=:p /* :no */", "where time='9:00' -- :not\n and x=? /* :no */", {"p"}},
      {"select a::b, ':' from t where x=:", "select a:b, ':' from t where x=:", {}},
      {"where 'it''s :x' = :y", "where 'it''s :x' = ?", {"y"}},
      // A double-byte character whose trail byte is "]" does not end a bracketed name.
      {"select [" + "塢"_gbk + ":a] from t where x=:b", "select [" + "塢"_gbk + ":a] from t where x=?", {"b"}},
  };
  for (const Case& c : cases) {
    PositionalCommand p = ToPositional(c.command);
    EXPECT_EQ(p.text, c.text) << c.command;
    EXPECT_EQ(p.marks, c.marks) << c.command;
  }
}

TEST(SqlText, ParameterNamesAreDistinctInOrderOfFirstUse) {
  EXPECT_EQ(ParameterNames(test::kCandidateQuery),
            (std::vector<std::string>{"DM", "KCH", "DM3", "DM4", "KCH2", "DM1", "DM2", "KCH1"}));
  EXPECT_EQ(ParameterNames("a=:x or b=:X or c=:y"), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(ParameterNames(test::RoomListQuery(2)), (std::vector<std::string>{"DM"}));
}

ColumnKind TextColumns(std::string_view column) {
  static const std::set<std::string> text = {"kddm", "bskch", "name", "kd", "kch", "hhkch", "jbyydm"};
  static const std::set<std::string> numbers = {"ksrs", "jb", "wzh"};
  if (text.count(std::string(column))) return ColumnKind::Text;
  return numbers.count(std::string(column)) ? ColumnKind::Number : ColumnKind::Unknown;
}

TEST(SqlText, SqliteAdaptationRewritesLeftAndTextJoins) {
  struct Case {
    const char* sql;
    const char* sqlite;
  } cases[] = {
      {"left(a.bskch,2)", "substr(a.bskch, 1, 2)"},
      {"a left join b on LEFT ( x , 2 )||y", "a left join b on substr(x, 1, 2)||y"},
      {"left(left(kddm,4),2)", "substr(substr(kddm, 1, 4), 1, 2)"},
      {"select 'left(x,2)', [left](a,1) from t", "select 'left(x,2)', [left](a,1) from t"},
      {"select kddm+bskch from t", "select kddm||bskch from t"},
      {"a.kddm + b.bskch", "a.kddm || b.bskch"},
      {"'a'+'b'+name", "'a'||'b'||name"},
      {"?+kddm", "?||kddm"},
      {"left(kddm,2)+'%'", "substr(kddm, 1, 2)||'%'"},
      {"(kddm)+bskch", "(kddm)||bskch"},
      {"upper(name)+cast(ksrs as varchar(4))", "upper(name)||cast(ksrs as varchar(4))"},
      // Numbers and unknown operands keep "+", as SQL Server adds them.
      {"ksrs+1", "ksrs+1"},
      {"kddm+1", "kddm+1"},
      {"'7'+ksrs", "'7'+ksrs"},
      {"a+b", "a+b"},
      {"where x = +5 and y=1e+5", "where x = +5 and y=1e+5"},
      {"select 'a+b', \"x+y\" from t", "select 'a+b', \"x+y\" from t"},
      {"N'北京' + name", "'北京' || name"},
  };
  for (const Case& c : cases) EXPECT_EQ(AdaptToSqlite(Utf8ToGbk(c.sql), TextColumns), Utf8ToGbk(c.sqlite)) << c.sql;
}

// SQL Server ignores trailing blanks when it compares texts; on SQLite the
// left operand of a text comparison carries the RTRIM collation for it.
TEST(SqlText, TextComparisonsIgnoreTrailingBlanks) {
  struct Case {
    const char* sql;
    const char* sqlite;
  } cases[] = {
      {"where kd=? and a.kch = c.bskch", "where kd collate rtrim=? and a.kch collate rtrim = c.bskch"},
      {"where hhkch ='14002  '", "where hhkch collate rtrim ='14002  '"},
      {"where x<>'1' or y != ? or z >= 'a' or w<'b'",
       "where x collate rtrim<>'1' or y collate rtrim != ? or z collate rtrim >= 'a' or w collate rtrim<'b'"},
      {"where kch in (select bskch from t) and kd not in ('a', 'b')",
       "where kch collate rtrim in (select bskch from t) and kd collate rtrim not in ('a', 'b')"},
      {"on left(a.bskch,2)=b.jbyydm", "on substr(a.bskch, 1, 2) collate rtrim=b.jbyydm"},
      {"where upper(name)='X' and (kd)=?", "where upper(name) collate rtrim='X' and (kd) collate rtrim=?"},
      {"where ? = kd", "where ? collate rtrim = kd"},
      {"where kddm+bskch not in (select kddm+bskch from t)",
       "where kddm||bskch collate rtrim not in (select kddm||bskch from t)"},
      // numbers compare as numbers, and keep their index
      {"where jb=0 and ksrs > ? and kd = 5 and x = -1 and count(*) > 2 and ? = wzh",
       "where jb=0 and ksrs > ? and kd = 5 and x = -1 and count(*) > 2 and ? = wzh"},
      {"where a.jb in (1, 2) and kd in (select ksrs from t) and t.x = t.wzh",
       "where a.jb in (1, 2) and kd in (select ksrs from t) and t.x = t.wzh"},
      // an explicit collation, an assignment, LIKE and quoted text stay
      {"where kd collate nocase = ? and name like 'a%'", "where kd collate nocase = ? and name like 'a%'"},
      {"update t set kd = 'a', b=(select 1) where kd = ?",
       "update t set kd = 'a', b=(select 1) where kd collate rtrim = ?"},
      {"select 'a=b', [x=y] from t", "select 'a=b', [x=y] from t"},
  };
  for (const Case& c : cases) EXPECT_EQ(AdaptToSqlite(c.sql, TextColumns), c.sqlite) << c.sql;
}

TEST(SqlText, ModuleQueriesAdaptOnlyWhereTheDialectsDiffer) {
  const std::string level1 = AdaptToSqlite(ToPositional(test::RoomListQuery(1)).text, TextColumns);
  EXPECT_EQ(level1,
            Utf8ToGbk(" select a.kddm 考点代码,a.dwmc 考点名称,a.bskch 笔试考场号,a.ksrs 考生人数,a.mbh,b.jbyy 级别语言 "
                      "from (select a.*,b.dwmc from v_bskc a left join t_scbjg b on a.kddm collate rtrim=b.dm2 where "
                      "substr(kddm, 1, 2) collate rtrim=?) a left join Tc_jbyy b on substr(a.bskch, 1, 2) collate "
                      "rtrim=b.jbyydm  order by kddm,bskch"));
  const std::string candidates = AdaptToSqlite(ToPositional(test::kCandidateQuery).text, TextColumns);
  EXPECT_NE(candidates.find("where a.kd||a.kch collate rtrim not in (select kddm||bskch from t_bshhkc)"),
            std::string::npos);
  EXPECT_NE(candidates.find("blcjzl collate rtrim<>'1'"), std::string::npos);
  EXPECT_NE(candidates.find("kch collate rtrim in (select bskch from t_bshhkc where kddm collate rtrim=? and hhkch "
                            "collate rtrim=? )"),
            std::string::npos);
  EXPECT_EQ(candidates.find('+'), std::string::npos);
  EXPECT_EQ(AdaptToSqlite(test::MergedRoomQuery("14'01", "110101"), TextColumns),
            "select * from t_bshhkc where hhkch collate rtrim ='14''01' and kddm collate rtrim='110101'");
  for (const std::string& q : {test::kSettingsQuery, test::kTreeRootQuery, test::kCitiesQuery})
    EXPECT_EQ(AdaptToSqlite(q, TextColumns), q);
}

}  // namespace
}  // namespace talven
