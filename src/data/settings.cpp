#include "data/settings.h"

#include "base/convert.h"
#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "data/dataset.h"

namespace talven {

TSysSetting::TSysSetting(HostConnection* connection) {
  try {
    DataSet settings(connection);
    settings.SetCommandText("select * from t_setting");
    settings.Open();
    auto read = [&settings](const char* key) {
      return settings.Lookup("ParamName", Variant(key), "ParamValue").AsText();
    };
    jb = StrToInt(read("jb"));
    dm = read("dm");
    kc = read("kc");
    date = read("date");
    time = read("time");
    settings.Close();
  } catch (const std::exception&) {
    // Unreadable settings leave the rest unfilled; nothing is reported.
  }
}

void ShowInfo(std::string_view text) {
  CurrentUi().MessageBox(text, "信息"_gbk, MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
}

int ProbeSchemaVersion(HostConnection* connection) {
  DataSet version(connection);
  version.SetCommandText("select dbversion from t_version");
  version.Open();
  std::string text = version.IsEmpty() ? std::string() : version.Fields(0).AsString();
  return text < std::string("3.00") ? 1 : 2;
}

int CodeLengthFor(int schemaVersion) { return schemaVersion == 1 ? 4 : 6; }

}  // namespace talven
