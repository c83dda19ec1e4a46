#include "host/main_window.h"

#include "base/convert.h"
#include "base/datetime.h"
#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "data/settings.h"
#include "report/model/printer_adapter.h"
#include "report/print/printer.h"
#include "host/module_state.h"
#include "rooms/filter_dialog_model.h"
#include "rooms/room_list.h"
#include "sheets/collection.h"
#include "tree/build_org_tree.h"

namespace talven {
namespace {

std::vector<std::string> GridFields() {
  std::vector<std::string> fields;
  for (const RoomColumn& c : RoomColumns()) fields.push_back(c.field);
  return fields;
}

}  // namespace

TMainWindowLogic::TMainWindowLogic(HostConnection* connection, MainWindowView& view)
    : Sorting(GridFields()), connection_(connection), view_(view) {
  // Closing the list is a change of state, not of data: the status text
  // stays as it was.
  observer_ = List_Set.AddObserver([this](DataSet::Change change) {
    if (change != DataSet::Change::Closed) DataSource1DataChange();
  });
  Sorting.onChanged = [this] { DBGrid1SortMarkingChanged(); };
}

TMainWindowLogic::~TMainWindowLogic() { List_Set.RemoveObserver(observer_); }

void TMainWindowLogic::FormShow() {
  try {
    StartUp();
  } catch (const std::exception& e) {
    ShowErrorBox(MessageOf(e));
  }
}

void TMainWindowLogic::StartUp() {
  ModuleState& module = Module();
  List_Set.SetConnection(connection_);
  Report_Set.SetConnection(connection_);
  Temp_Set.SetConnection(connection_);

  module.SchemaVersion = ProbeSchemaVersion(connection_);
  module.CodeLength = CodeLengthFor(module.SchemaVersion);

  try {
    BuildOrgTree(Tree, connection_);
  } catch (...) {
    view_.ShowTree(Tree);  // what was built so far stays in the tree
    throw;
  }
  view_.ShowTree(Tree);

  {
    const TSysSetting settings(connection_);
    module.SelectedLevel = settings.jb;
    module.SelectedCode = settings.dm;
    const TDateTime date = StrToDateTime(settings.date);
    TitleMonthText = FormatDateTime("yyyy", date) + "年"_gbk + IntToStr(StrToInt(FormatDateTime("mm", date))) +
                     "月"_gbk;
    KcText = settings.kc;
    Sheets.StartTimeText = ReplaceAll(settings.time, ":", ".");
    Sheets.ExamDateText = settings.date;
  }

  if (const OrgNode* node = SelectOrgNode(Tree, module.SelectedLevel, module.SelectedCode)) {
    view_.ShowSelectedNode(*node);
    TreeView1Change(node);
  }

  ReadPhotoRequirement();
}

void TMainWindowLogic::ReadPhotoRequirement() {
  Temp_Set.Close();
  Temp_Set.SetCommandText("select paramvalue from t_setting where  upper(paramname)='BSKCQD'");
  Temp_Set.Open();
  const std::string value = Temp_Set.IsEmpty() ? std::string() : Temp_Set.Fields(0).AsString();
  if (value == "1") {
    view_.SetPhotosEnabled(false);
    view_.SetPhotosChecked(true);
  }
  Temp_Set.Close();
}

void TMainWindowLogic::TreeView1Change(const OrgNode* node) {
  if (!node) return;
  BusyCursor busy;
  ModuleState& module = Module();
  selected_ = node;
  module.SelectedLevel = node->level;
  List_Set.Close();
  module.SelectedCode = SelectedCodeFor(*node, module.CodeLength);
  LoadRoomList(List_Set, node->level, module.SelectedCode);
  ResetRecordRange();
  view_.SetStatusText(0, node->text);
  view_.SetStatusText(1, RoomCountText(List_Set));
}

void TMainWindowLogic::DBGrid1SortMarkingChanged() {
  BusyCursor busy;
  if (List_Set.Active()) List_Set.SetSort(Sorting.SortText());
}

void TMainWindowLogic::CheckBox1Click() {
  const bool checked = view_.PhotosChecked();
  view_.SetSeatOrderVisible(checked);
  Sheets.WithPhotos = checked;
}

void TMainWindowLogic::DataSource1DataChange() { view_.SetStatusText(1, RoomCountText(List_Set)); }

void TMainWindowLogic::ResetRecordRange() {
  view_.SetEdit2Text("1");
  view_.SetEdit3Text(IntToStr(List_Set.RecordCount()));
}

void TMainWindowLogic::BitBtn9Click() {
  Sheets.FirstHeaderPending = true;
  if (Module().SelectedLevel != 3) {
    ShowInfo("请选择一个考点！"_gbk);
    return;
  }
  if (!List_Set.Active() || List_Set.IsEmpty()) return;
  BusyCursor busy;
  // The grid does not follow the walk; it is attached again however the
  // action ends.
  List_Set.DisableControls();
  struct Reattach {
    DataSet& list;
    ~Reattach() { list.EnableControls(); }
  } reattach{List_Set};
  CollectCandidates(
      List_Set, Report_Set, Temp_Set, [this] { return view_.Edit2Text(); }, [this] { return view_.Edit3Text(); },
      Sheets.MemTable1);
  Sheets.WithPhotos = view_.PhotosChecked();
  Sheets.SeatOrder = view_.SeatOrderChecked();
  if (Sheets.WithPhotos) Sheets.ArrangePhotoSheet();
  // Reading a template waits for the printer adapter: the engine starts
  // before the first template is loaded.
  if (!EngineReady()) {
    if (StartEngine) StartEngine();
    else StartReportEngine();
  }
  Report.Launch(TitleMonthText, KcText, OnShowPrepared);
}

void TMainWindowLogic::PrepareFilterDialog(FilterDialogModel& dialog) {
  dialog.OnFilterApplied = [this] { ResetRecordRange(); };
  dialog.TargetDataSet = &List_Set;
  dialog.SetExcludedFields(FilterExcludedFields());
}

void TMainWindowLogic::ReleaseFilterDialog(FilterDialogModel& dialog) { dialog.ExcludedFields.clear(); }

}  // namespace talven
