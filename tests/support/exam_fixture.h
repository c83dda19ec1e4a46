// A small hand-made exam database for the window and print-action tests,
// with the cases that matter spelled out (UTF-8 names below):
//   authority 00 考试院; provinces 11 北京 (city 1101 市辖区, centre 110101 一中)
//   and 32 江苏省 (cities 3201 南京市 with centre 320101 南京考点, 3202 无锡市
//   without centres); province 44 广东省 without cities.
//   Rooms of 110101 in list order: 14001 (28 candidates, one more with
//   blcjzl '1'), 14002 (host room: 14003 and 15001 merged into it, in that
//   order; no candidates of its own), "14005  " (trailing blanks, 3
//   candidates), 24001 (no candidates), 99001 (a level-language code that
//   Tc_jbyy does not know, 2 candidates). Durations: 14 -> 120, 15 -> 150.
//   Rooms of 320101: 14001 and 15002 (4 candidates each).
//   Settings: jb 3, dm 110101, kc 202503, date 2008-04-19, time 9:00,
//   BSKCQD 0; dbversion 3.00.
#pragma once

#include <string>
#include <string_view>

#include "data/demo/demo_db.h"

namespace talven::test {

// Writes the database to path; extraSql (UTF-8) runs afterwards, to change
// a case ("update t_setting set ParamValue='1' where ParamName='BSKCQD'").
// With TextCollation::Binary its text columns compare byte for byte, as in
// an exam database that declares no collation.
void MakeExamFixture(const std::string& path, std::string_view extraSql = {},
                     demo::TextCollation collation = demo::TextCollation::Rtrim);

}  // namespace talven::test
