// The operators of report expressions on variants.
//
// The engine itself only relies on numbers with numbers, texts with texts
// ("+" joining them) and comparisons against 0 and null. For the other mixes
// the rules follow the runtime's variant rules where a template could notice
// them:
//
// - Null propagates: +, -, *, /, MOD, AND, OR, unary minus, INT, FRAC and
//   ROUND with a null operand give null. STR of null is the empty text.
// - Unassigned counts as 0 next to a number and as the empty text next to a
//   text.
// - Booleans count as -1 (true) and 0 (false), except that AND and OR of two
//   booleans are logical and give a boolean.
// - Text with text: "+" joins; -, *, /, MOD, AND, OR read both as numbers.
// - Text with anything else (number, boolean, date-time): the text is read as
//   a number with the module's decimal separator; a text that is no number
//   fails with "Could not convert variant of type (String) into type
//   (Double)".
// - Integers with integers stay integers for +, - and * (a float when the
//   result leaves 64 bits); "/" always gives a float, and 0 when the divisor
//   is 0. MOD reads both operands as integers (floats rounded half to even)
//   and gives an integer; MOD 0 gives 0, like "/".
// - A date-time plus or minus a number stays a date-time; a date-time minus a
//   date-time, and every other operation on date-times, gives a float.
// - Comparisons give the integers 1 and 0. Numbers, booleans and date-times
//   compare by value; texts by their bytes (case matters; GBK byte order
//   follows the character set's order); a text against a non-text is read as
//   a number as above. Null equals only null and sorts before every other
//   value; unassigned compares as 0 or the empty text.
// - NOT gives 1 when the value equals 0 by the rule above, else 0.
// - INT gives the nearest integer when the value lies within 1e-10 of it,
//   else the value truncated toward zero; FRAC gives 0 within 1e-10 of an
//   integer, else the fractional part with its sign; ROUND rounds to the
//   nearest integer, ties to even. All three give floats.
#pragma once

#include "base/variant.h"

namespace talven {

Variant VarAdd(const Variant& a, const Variant& b);
Variant VarSubtract(const Variant& a, const Variant& b);
Variant VarMultiply(const Variant& a, const Variant& b);
Variant VarDivide(const Variant& a, const Variant& b);
Variant VarMod(const Variant& a, const Variant& b);
Variant VarAnd(const Variant& a, const Variant& b);
Variant VarOr(const Variant& a, const Variant& b);
Variant VarNot(const Variant& a);
Variant VarNegate(const Variant& a);

// -1, 0 or 1 by the comparison rules above.
int VarCompare(const Variant& a, const Variant& b);

enum class VarRelation { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };
// The integer 1 when the relation holds, else 0.
Variant VarRelate(const Variant& a, const Variant& b, VarRelation relation);

Variant VarInt(const Variant& a);
Variant VarFrac(const Variant& a);
Variant VarRound(const Variant& a);
Variant VarStr(const Variant& a);

// The value as a floating number by the operator rules (text read as a
// number, unassigned and null 0, booleans -1 and 0).
double VarToNumber(const Variant& a);
// The value as a date-time: numbers as they are, a text read by
// StrToDateTime, unassigned and null 0.
TDateTime VarToDateTime(const Variant& a);

}  // namespace talven
