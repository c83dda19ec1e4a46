// talven report run: prepares a template for its author, over a user
// dataset of N rows or the rows of a query, and writes the prepared report,
// or its pages as a PDF file or PNG pictures.
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/command.h"
#include "app/command_files.h"
#include "app/gui_app.h"
#include "app/command_values.h"
#include "base/convert.h"
#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "data/host_connection.h"
#include "report/engine/band_engine.h"
#include "report/engine/datasets.h"
#include "report/engine/progress.h"
#include "report/model/report.h"
#include "report/model/report_data_set.h"
#include "report/output/prepared_output.h"
#include "report/pages/prepared_pages.h"
#include "report/print/printer.h"
#include "report/template/template.h"

namespace talven::app {
namespace {

// The rows of a query as the report engine walks a data set.
class QueryDataSet : public ReportDataSet {
 public:
  QueryDataSet(std::string name, QueryResult result) : ReportDataSet(std::move(name)), result_(std::move(result)) {}
  void Open() override { active_ = true; }
  void Close() override { active_ = false; }
  bool Active() const override { return active_; }
  void First() override { row_ = 0; }
  void Next() override {
    if (row_ < Rows()) ++row_;
  }
  void Prior() override {
    if (row_ > 0) --row_;
  }
  bool Eof() const override { return row_ >= Rows(); }
  int RecordCount() const override { return Rows(); }
  int RecNo() const override { return Eof() ? 0 : row_ + 1; }
  std::vector<std::string> FieldNames() const override {
    std::vector<std::string> names;
    for (const FieldDef& f : result_.fields) names.push_back(f.name);
    return names;
  }
  Variant FieldValue(int field) const override {
    return Eof() ? Variant::Null()
                 : result_.At(static_cast<std::size_t>(row_), static_cast<std::size_t>(field));
  }
  TfrFieldKind FieldKind(int field) const override {
    switch (result_.fields[static_cast<std::size_t>(field)].kind) {
      case talven::FieldKind::String:
      case talven::FieldKind::WideString: return TfrFieldKind::Text;
      case talven::FieldKind::Integer: return TfrFieldKind::Integer;
      case talven::FieldKind::Float: return TfrFieldKind::Float;
      case talven::FieldKind::Boolean: return TfrFieldKind::Boolean;
      case talven::FieldKind::DateTime: return TfrFieldKind::DateTime;
      case talven::FieldKind::Other: break;
    }
    return TfrFieldKind::Other;
  }

 private:
  int Rows() const { return static_cast<int>(result_.RowCount()); }
  QueryResult result_;
  int row_ = 0;
  bool active_ = false;
};

// Message boxes on the terminal, with the engine's carriage returns as line
// breaks.
class TerminalUi : public HeadlessUi {
 public:
  int MessageBox(std::string_view text, std::string_view caption, int flags) override {
    std::string lines(text);
    for (char& c : lines)
      if (c == '\r') c = '\n';
    std::fprintf(stderr, "[%s]\n%s\n", GbkToUtf8(caption).c_str(), GbkToUtf8(lines).c_str());
    return DefaultAnswer(flags);
  }
};

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

int RunReport(const Args& args) {
  if (args.empty() || args[0] != "run") return UsageError("report: expected \"run\"");
  std::string templateFile, out, url, sql;
  int rows = -1;
  int dpi = 150;
  bool twoPass = false, quiet = false;
  std::vector<std::pair<std::string, Variant>> variables;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* option) -> std::string {
      if (i + 1 >= args.size()) throw Error(std::string(option) + " needs a value");
      return args[++i];
    };
    if (a == "--rows") {
      rows = static_cast<int>(StrToInt(value("--rows")));
      if (rows < 0) return UsageError("report run: --rows must not be negative");
    } else if (a == "--db") {
      url = value("--db");
    } else if (a == "--sql") {
      sql = Utf8ToGbk(value("--sql"));
    } else if (a == "--var") {
      auto variable = VariableArgument(value("--var"));
      if (!variable) return UsageError("report run: --var needs NAME=VALUE");
      variables.push_back(std::move(*variable));
    } else if (a == "--two-pass") {
      twoPass = true;
    } else if (a == "--quiet") {
      quiet = true;
    } else if (a == "--out") {
      out = value("--out");
    } else if (a == "--dpi") {
      dpi = static_cast<int>(StrToInt(value("--dpi")));
      if (dpi < 10 || dpi > 1200) return UsageError("report run: --dpi takes a number from 10 to 1200");
    } else if (a.rfind("--", 0) == 0) {
      return UsageError("report run: unknown option " + a);
    } else if (templateFile.empty()) {
      templateFile = a;
    } else {
      return UsageError("report run: one template only");
    }
  }
  if (templateFile.empty() || out.empty()) return UsageError("report run: a template and --out are needed");
  if (url.empty() != sql.empty()) return UsageError("report run: --db and --sql go together");
  if (!url.empty() && rows >= 0) return UsageError("report run: --rows or --db, not both");
  if (!EndsWith(out, ".frp") && !EndsWith(out, ".pdf") && !EndsWith(out, ".png"))
    return UsageError("report run: --out must name a .frp, .pdf or .png file");

  StartReportEngine();
  TfrComponentOwner form("Form1");
  TfrReport report;
  form.Insert(report);
  if (!LoadTemplateFile(report, Utf8ToGbk(templateFile))) throw Error("Template not found: " + templateFile);
  if (twoPass) report.TwoPass = true;
  report.OnGetValue = [&variables](const std::string& name, Variant& value) {
    for (const auto& [n, v] : variables)
      if (n == name) value = v;
  };

  TfrUserDataset user("frUserDataset1");
  form.Insert(user);
  user.RangeEnd = reCount;
  user.RangeEndCount = rows < 0 ? 0 : rows;
  std::unique_ptr<HostConnection> connection;
  std::unique_ptr<QueryDataSet> query;
  TfrDBDataSet database("frDBDataSet1");
  if (!url.empty()) {
    connection = HostConnection::Open(url);
    query = std::make_unique<QueryDataSet>("Query1", connection->Run(sql));
    form.Insert(*query);
    database.SetDataSet(query.get());
    form.Insert(database);
  }

  TerminalUi terminal;
  UiScope uiScope(terminal);
  HeadlessProgress progress(quiet);
  ProgressWindowScope progressScope(progress);
  if (!PrepareReport(report)) return 1;
  TfrEMFPages& pages = PreparedPagesOf(report);
  if (EndsWith(out, ".frp")) {
    SavePrepared(report, Utf8ToGbk(out));
  } else {
    std::vector<int> all;
    for (int i = 0; i < pages.PageCount(); ++i) all.push_back(i);
    if (EndsWith(out, ".pdf")) {
      WritePreparedPdf(pages, all, out, report.Title);
    } else {
      const auto gui = MakeGuiApp();
      WritePreparedPng(pages, all, out, dpi);
    }
  }
  if (!quiet) std::fprintf(stderr, "%d pages\n", PreparedPagesOf(report).PageCount());
  return 0;
}

TALVEN_COMMAND(report, "report",
               "report run TEMPLATE.frf [--rows N | --db URL --sql SELECT] [--var NAME=VALUE]... [--two-pass] "
               "[--quiet] --out OUT.frp|OUT.pdf|OUT.png [--dpi N]",
               "prepare a template over N rows or a query and write the prepared report, a PDF or PNG pictures",
               RunReport);

}  // namespace
}  // namespace talven::app
