#include "report/export/export_filters.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <typeinfo>

#include "base/error.h"
#include "base/text.h"
#include "report/export/export_progress.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/model/stream.h"
#include "report/pages/prepared_pages.h"
#include "report/pages/report_actions.h"

namespace talven {

namespace {

std::vector<TfrExportFilterInfo>& Registry() {
  static std::vector<TfrExportFilterInfo> registry;
  return registry;
}

TfrExportSource* currentSource = nullptr;

class PreparedPagesSource : public TfrExportSource {
 public:
  explicit PreparedPagesSource(TfrEMFPages& pages) : pages_(pages) {}
  int PageCount() override { return pages_.PageCount(); }
  void ExportPage(int index) override { pages_.ExportPage(index); }
  Paper PaperOf(int index) override {
    const TfrPreparedPage& p = pages_.PageAt(index);
    return Paper{p.Margins, p.SheetOrientation == 1};
  }

 private:
  TfrEMFPages& pages_;
};

// Puts the engine back as it was before the run, however the run ends.
struct RunState {
  TfrDocMode docMode = EngineState().DocMode;
  TfrReport* current = EngineState().CurrentReport;
  TfrReport* master = EngineState().MasterReport;
  TfrExportFilter* filter = CurrentExportFilter();
  TfrExportSource* source = currentSource;
  ~RunState() {
    EngineState().DocMode = docMode;
    EngineState().CurrentReport = current;
    EngineState().MasterReport = master;
    SetCurrentExportFilter(filter);
    currentSource = source;
  }
};

void CreateEmpty(const std::string& fileName) {
  std::ofstream out(GbkToUtf8(fileName), std::ios::binary | std::ios::trunc);
  if (!out) throw Error("Cannot create file \"" + fileName + "\"");
}

void WriteStream(const std::string& fileName, const TfrStream& stream) {
  if (stream.Size() == 0) return;
  std::ofstream out(GbkToUtf8(fileName), std::ios::binary | std::ios::trunc);
  out.write(stream.Bytes().data(), static_cast<std::streamsize>(stream.Size()));
  out.close();
  if (!out) throw Error("Cannot write file \"" + fileName + "\"");
}

}  // namespace

bool RegisterExportFilter(TfrExportFilter& filter, const std::string& description, const std::string& mask) {
  auto& registry = Registry();
  for (const TfrExportFilterInfo& info : registry)
    if (typeid(*info.Filter) == typeid(filter) && info.FilterExt == mask) return false;
  if (static_cast<int>(registry.size()) >= kMaxExportFilters) return false;
  registry.push_back({&filter, description, mask});
  return true;
}

// The filter's own row goes: a filter of the same class that stays keeps
// its row, so the registry never points at a filter that is gone.
void UnregisterExportFilter(TfrExportFilter& filter) {
  auto& registry = Registry();
  for (auto it = registry.rbegin(); it != registry.rend(); ++it)
    if (it->Filter == &filter) {
      registry.erase(std::next(it).base());
      return;
    }
}

const std::vector<TfrExportFilterInfo>& ExportFilters() { return Registry(); }

TfrExportSource* CurrentExportSource() { return currentSource; }

bool RunExport(TfrReport& report, TfrExportFilter& filter, const std::string& fileName, TfrExportSource& source) {
  RunState restore;
  EngineState().DocMode = TfrDocMode::Printing;
  SetCurrentExportFilter(&filter);
  currentSource = &source;
  filter.FileName = fileName;

  if (filter.OnBeforeExport) {
    bool goOn = true;
    filter.OnBeforeExport(filter.FileName, goOn);
    if (!goOn) return false;
  }
  if (filter.ShowOptions() != 1) return false;

  // The file is made under the name the export goes to (OnBeforeExport may
  // have changed it), so that no stray empty file stays behind.
  const std::string target = filter.FileName;
  CreateEmpty(target);
  TfrStream stream;
  filter.Stream = &stream;
  struct StreamGone {
    TfrExportFilter& f;
    ~StreamGone() { f.Stream = nullptr; }
  } streamGone{filter};
  try {
    EngineState().CurrentReport = &report;
    EngineState().MasterReport = &report;
    const int total = source.PageCount();
    filter.BeginDocument();
    report.Cancelled = false;
    RunPagesWithProgress(report, "正在处理页:"_gbk, total, [&](ExportPageProgress& progress) {
      progress.ProcessEvents();
      for (int i = 0; i < total && !report.Cancelled; ++i) {
        filter.BeginPage();
        source.ExportPage(i);
        progress.Report(i + 1);
        filter.EndPage();
      }
      filter.EndDocument();
    });
    WriteStream(target, stream);
    filter.Stream = nullptr;
    if (filter.OnAfterExport) filter.OnAfterExport(filter.FileName);
  } catch (...) {
    filter.Stream = nullptr;
    filter.AbortDocument();
    // Nothing half-made stays under the user's name; the finishing routine
    // writes its own file, so only remove what the run made and nobody
    // filled.
    std::error_code ec;
    const std::string name = GbkToUtf8(target);
    if (std::filesystem::exists(name, ec) && std::filesystem::file_size(name, ec) == 0)
      std::filesystem::remove(name, ec);
    throw;
  }
  return true;
}

bool ExportWith(TfrReport& report, TfrExportFilter& filter, const std::string& fileName) {
  PreparedPagesSource source(PreparedPagesOf(report));
  return RunExport(report, filter, fileName, source);
}

void StartExportEngine() {
  TfrReportActions& actions = ReportActions();
  actions.ExportFilters = [] {
    std::vector<TfrExportFilterEntry> entries;
    for (const TfrExportFilterInfo& info : ExportFilters())
      entries.push_back({info.Filter, info.FilterDesc, info.FilterExt, info.Filter->Default});
    return entries;
  };
  actions.ExportWith = [](TfrReport& report, TfrExportFilter& filter, const std::string& fileName) {
    ExportWith(report, filter, fileName);
  };
}

}  // namespace talven
