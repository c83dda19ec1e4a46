// The SQL texts of the module as the data layer handles them: colon
// parameters turned into positional marks, and the adaptation of the
// module's SQL Server dialect to SQLite. Texts are GBK; the scanner steps
// over double-byte characters, so a trail byte never reads as a bracket or
// a quote.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace talven {

// A command text whose parameters (":DM", ":KCH1", …) are replaced by "?"
// marks, with the parameter name of every mark in order. A name that occurs
// twice has two marks. Quoted texts, quoted names and comments are left
// alone; "::" stands for one ":".
struct PositionalCommand {
  std::string text;
  std::vector<std::string> marks;
};
PositionalCommand ToPositional(std::string_view command);

// The distinct parameter names of a command text in the order of their first
// appearance (names compared without regard to letter case).
std::vector<std::string> ParameterNames(std::string_view command);

// What a database declares a column as, by its name (without qualifier):
// text (CHAR, VARCHAR, TEXT ...), a number, or unknown (not declared, or
// declared as both in different tables).
enum class ColumnKind { Unknown, Text, Number };

// Rewrites what SQLite does not share with SQL Server, leaving everything
// inside quotes as it is:
// - left(x, n) becomes substr(x, 1, n) (SQLite reads "left(" as the join
//   keyword);
// - a binary "+" whose two operands are texts becomes "||": SQL Server joins
//   two texts with "+", SQLite would add them as numbers. An operand is a
//   text when it is a quoted text, a "?" parameter (parameters are texts), a
//   call of a text function (left, substring, upper, ltrim, …, or a cast to a
//   character type), a parenthesised expression whose first operand is a
//   text, or a column that columnKind declares as text. When either side is
//   a number, or unknown, "+" stays (SQL Server adds a text and a number as
//   numbers, and so does SQLite). The operands are the terms right beside the
//   "+";
// - comparisons ("=", "<>", "!=", "<", "<=", ">", ">=", "in", "not in")
//   ignore trailing blanks of texts, as SQL Server compares char and varchar
//   values: the left operand gets "collate rtrim", so that "1502  " equals
//   "1502" in a where clause, a join and an "in" list or subquery alike.
//   Left alone: comparisons with a number (a number literal, a column
//   declared as a number, a numeric function), which the collation would
//   only keep from their index; operands that carry a collation already;
//   the assignments of an update's "set";
// - N'…' (national text) becomes '…'.
// columnKind is asked only about bare or qualified column names (the name
// without its qualifier).
std::string AdaptToSqlite(std::string_view sql, const std::function<ColumnKind(std::string_view column)>& columnKind);

}  // namespace talven
