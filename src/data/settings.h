// The small shared services of the data context: the system settings of the
// exam database, the information box, and the schema-version probe that
// fixes the length of test-centre codes.
#pragma once

#include <string>
#include <string_view>

#include "data/host_connection.h"

namespace talven {

// The settings of t_setting that the module uses, each the ParamValue of the
// row whose ParamName is the field's name. Reading stops silently at the
// first error (a missing table, a jb that is no number): the fields read
// before keep their values, the rest stay 0 or empty. jb is read first.
struct TSysSetting {
  TSysSetting() = default;
  explicit TSysSetting(HostConnection* connection);

  int jb = 0;        // level of the installation's unit: 0 nation … 3 test centre
  std::string dm;    // code of that unit
  std::string kc;    // photo sub-folder
  std::string date;  // exam date, "-" between its parts
  std::string time;  // start time, e.g. 9:00
};

// The information box: the text, caption "信息", OK, information icon,
// system-modal; through the program's Ui seam.
void ShowInfo(std::string_view text);

// 1 when the first dbversion of t_version sorts before "3.00" (byte by byte;
// no row counts as the empty text), else 2. Errors reach the caller.
int ProbeSchemaVersion(HostConnection* connection);

// Length of test-centre codes: 4 for schema version 1, else 6.
int CodeLengthFor(int schemaVersion);

}  // namespace talven
