// The sign-in sheet window's logic over the hand-made exam fixture, as the
// host tests drive it: a fake view, a recording Ui, and an installation in
// a temporary folder (the host program's folder for the test: 报表 with the
// two templates, qelvane.ini, 相片/), with the engine's progress kept quiet.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "base/ui.h"
#include "data/host_connection.h"
#include "data/paths.h"
#include "fake_view.h"
#include "host/main_window.h"
#include "host/module_state.h"
#include "report/engine/progress.h"
#include "sheets/sheet_templates.h"
#include "support/exam_fixture.h"
#include "support/fixture.h"

namespace talven::test {

// The window, its start-up run unless asked not to (extraSql changes the
// fixture).
struct Window {
  explicit Window(std::string_view extraSql = {}, bool start = true) {
    Module() = ModuleState{};
    SetHostExeDir(Utf8ToGbk(dir.path()));
    WriteSheetTemplates(Utf8ToGbk(dir.path()));
    MakeExamFixture(dir.File("exam.db"), extraSql);
    connection = HostConnection::Open(SqliteUrl(dir.File("exam.db")));
    logic = std::make_unique<TMainWindowLogic>(connection.get(), view);
    view.logic = logic.get();
    if (start) logic->FormShow();
  }
  ~Window() { SetHostExeDir({}); }
  std::string Status1() const { return GbkToUtf8(view.status1); }
  std::string Selected() const { return logic->SelectedNode() ? GbkToUtf8(logic->SelectedNode()->text) : ""; }
  const OrgNode* Node(std::string_view utf8Text) const {
    for (const OrgNode* n : logic->Tree.InTreeOrder())
      if (n->text == Utf8ToGbk(utf8Text)) return n;
    return nullptr;
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& b : ui.boxes) texts.push_back(GbkToUtf8(b.text));
    return texts;
  }

  RecordingUi ui;
  UiScope scope{ui};
  HeadlessProgress quiet{true};
  ProgressWindowScope progressScope{quiet};
  TempDir dir;
  std::unique_ptr<HostConnection> connection;
  FakeView view;
  std::unique_ptr<TMainWindowLogic> logic;
};

}  // namespace talven::test
