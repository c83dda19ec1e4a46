#include "host/headless_print.h"

#include <chrono>

#include "base/error.h"
#include "base/formatsettings.h"
#include "base/text.h"
#include "base/ui.h"
#include "host/main_window.h"
#include "host/module_state.h"
#include "report/pages/prepared_pages.h"
#include "rooms/room_list.h"

namespace talven {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// The window's controls as values; nobody looks at them.
class HeadlessView : public MainWindowView {
 public:
  std::string edit2, edit3;
  bool photos = false, seatOrder = true;
  TMainWindowLogic* logic = nullptr;

  std::string Edit2Text() const override { return edit2; }
  void SetEdit2Text(const std::string& text) override { edit2 = text; }
  std::string Edit3Text() const override { return edit3; }
  void SetEdit3Text(const std::string& text) override { edit3 = text; }
  void SetStatusText(int, const std::string&) override {}
  void ShowTree(const OrgTree&) override {}
  void ShowSelectedNode(const OrgNode&) override {}
  bool PhotosChecked() const override { return photos; }
  void SetPhotosChecked(bool checked) override {
    photos = checked;
    if (logic != nullptr) logic->CheckBox1Click();
  }
  void SetPhotosEnabled(bool) override {}
  bool SeatOrderChecked() const override { return seatOrder; }
  void SetSeatOrderVisible(bool) override {}
};

// Without a window every box the action would show means it did not get
// through: the first one becomes the error (the engine separates the
// lines of its composed text with carriage returns).
class CapturingUi : public Ui {
 public:
  int MessageBox(std::string_view text, std::string_view, int flags) override {
    if (!shown_) {
      shown_ = true;
      first_ = ReplaceAll(ReplaceAll(std::string(text), "\r\n", "\n"), "\r", "\n");
    }
    return DefaultAnswer(flags);
  }
  std::optional<std::string> InputBox(std::string_view, std::string_view, std::string_view, bool) override {
    return std::nullopt;
  }
  void BeginBusy() override {}
  void EndBusy() override {}
  void ThrowIfShown() const {
    if (shown_) throw Error(first_);
  }

 private:
  bool shown_ = false;
  std::string first_;
};

const OrgNode* FindCentre(const OrgTree& tree, const std::string& code, int codeLength) {
  for (const OrgNode* node : tree.InTreeOrder())
    if (node->level == 3 && SelectedCodeFor(*node, codeLength) == code) return node;
  return nullptr;
}

}  // namespace

HeadlessPrintTimes PrintHeadless(HostConnection* connection, const HeadlessPrintOptions& options,
                                 const TSheetReport::ShowPrepared& output) {
  CapturingUi ui;
  UiScope uiScope(ui);
  Settings().dateSeparator = '-';
  Module() = ModuleState{};
  Module().Connection = connection;

  HeadlessPrintTimes times;
  const Clock::time_point start = Clock::now();
  HeadlessView view;
  TMainWindowLogic logic(connection, view);
  view.logic = &logic;
  logic.FormShow();
  ui.ThrowIfShown();

  if (!options.Centre.empty()) {
    const OrgNode* node = FindCentre(logic.Tree, options.Centre, Module().CodeLength);
    if (node == nullptr) throw Error("没有考点 "_gbk + options.Centre);
    logic.TreeView1Change(node);
  }
  if (Module().SelectedLevel == 3 && (!logic.List_Set.Active() || logic.List_Set.IsEmpty()))
    throw Error("考点 "_gbk + Module().SelectedCode + " 没有笔试考场"_gbk);
  if (!options.From.empty()) view.edit2 = options.From;
  if (!options.To.empty()) view.edit3 = options.To;
  if (options.Photos && !view.photos) view.SetPhotosChecked(true);
  view.seatOrder = options.SeatOrder;

  Clock::time_point collected = start, prepared = start, written = start;
  bool shown = false;
  logic.Report.BeforePrepare = [&] { collected = Clock::now(); };
  logic.OnShowPrepared = [&](TfrReport& report) {
    prepared = Clock::now();
    shown = true;
    times.Candidates = logic.Sheets.MemTable1.RecordCount();
    times.Pages = PreparedPagesOf(report).PageCount();
    if (times.Candidates == 0) throw Error("所选考场没有考生，没有可打印的签到表"_gbk);
    output(report);
    written = Clock::now();
  };
  const Clock::time_point opened = Clock::now();
  logic.BitBtn9Click();
  ui.ThrowIfShown();
  if (!shown) throw Error("签到表没有生成"_gbk);

  times.StartUp = Seconds(start, opened);
  times.Collection = Seconds(opened, collected);
  times.Preparation = Seconds(collected, prepared);
  times.Output = Seconds(prepared, written);
  return times;
}

}  // namespace talven
