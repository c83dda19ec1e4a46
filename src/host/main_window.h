// What the sign-in sheet window does, without its widgets: the start-up
// sequence, the tree selection that loads the room list, sorting, the
// record range and the status texts, and the print action. The widgets
// (TTALVEN_Form) implement MainWindowView and forward their events here, so
// that all of it runs and is tested without a display.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "data/dataset.h"
#include "rooms/sort_marking.h"
#include "sheets/sheet_data.h"
#include "sheets/sheet_report.h"
#include "tree/org_tree.h"

namespace talven {

class FilterDialogModel;

// The window as the logic sees it. Texts are GBK.
class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  virtual std::string Edit2Text() const = 0;
  virtual void SetEdit2Text(const std::string& text) = 0;
  virtual std::string Edit3Text() const = 0;
  virtual void SetEdit3Text(const std::string& text) = 0;
  // Panel 0: the selected node's text; panel 1: the room count text.
  virtual void SetStatusText(int panel, const std::string& text) = 0;
  // Shows the tree as it stands (also a partly built one).
  virtual void ShowTree(const OrgTree& tree) = 0;
  // Selects the node and expands its ancestors, without running the
  // selection handler again.
  virtual void ShowSelectedNode(const OrgNode& node) = 0;
  // 含相片 (CheckBox1) and 按座位顺序的S型打印 (CheckBox2).
  virtual bool PhotosChecked() const = 0;
  virtual void SetPhotosChecked(bool checked) = 0;
  virtual void SetPhotosEnabled(bool enabled) = 0;
  virtual bool SeatOrderChecked() const = 0;
  virtual void SetSeatOrderVisible(bool visible) = 0;
};

class TMainWindowLogic {
 public:
  TMainWindowLogic(HostConnection* connection, MainWindowView& view);
  ~TMainWindowLogic();
  TMainWindowLogic(const TMainWindowLogic&) = delete;
  TMainWindowLogic& operator=(const TMainWindowLogic&) = delete;

  // The start-up sequence, run once when the window is first shown. An
  // error ends it at its step and is shown in the general error box; the
  // window keeps what the earlier steps produced.
  void FormShow();

  // A new tree selection: loads the node's rooms into List_Set, resets the
  // record range and fills the status bar. A failing query raises (the list
  // stays closed, range and status keep their texts); the caller shows it.
  void TreeView1Change(const OrgNode* node);

  // The sort markers changed: List_Set is sorted by them (raises on a sort
  // the data layer rejects).
  void DBGrid1SortMarkingChanged();

  // 含相片 changed (by the user or the program).
  void CheckBox1Click();

  // Every data change or cursor move of List_Set.
  void DataSource1DataChange();

  // Record range 1 to the room count; also the filter dialog's callback.
  void ResetRecordRange();

  // 打印: collects the candidates of the rooms from Edit2 to Edit3 of the
  // list (a test centre must be selected), with photographs arranges the
  // photo sheet, then starts the report engine if need be and launches the
  // report (TSheetReport::Launch), which ends in OnShowPrepared. Errors
  // reach the caller after the cursor and the grid are restored; the rows
  // collected so far stay in MemTable1.
  void BitBtn9Click();

  // Binds a filter dialog to the room list (过滤): target, callback and the
  // fields not offered. Call ReleaseFilterDialog once it is shown.
  void PrepareFilterDialog(FilterDialogModel& dialog);
  void ReleaseFilterDialog(FilterDialogModel& dialog);

  // The window's data sets and tables.
  DataSet List_Set;
  DataSet Report_Set;
  DataSet Temp_Set;
  OrgTree Tree;
  SortMarking Sorting;
  TSheetData Sheets;
  TSheetReport Report{Sheets};
  // What shows the prepared sheets: the preview in the window; a file when
  // printing without one. Unset, the report is only prepared.
  TSheetReport::ShowPrepared OnShowPrepared;
  // Starts the report engine before the first template is read: the window
  // starts it on the system's printers; unset, on the virtual printer.
  std::function<void()> StartEngine;

  // Texts the window keeps for printing.
  std::string TitleMonthText;
  std::string KcText;

  const OrgNode* SelectedNode() const { return selected_; }

 private:
  void StartUp();
  void ReadPhotoRequirement();

  HostConnection* connection_;
  MainWindowView& view_;
  const OrgNode* selected_ = nullptr;
  int observer_ = -1;
};

}  // namespace talven
