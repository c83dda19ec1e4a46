#include "host/main_window.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/text.h"
#include "base/ui.h"
#include "data/host_connection.h"
#include "window_fixture.h"
#include "host/module_state.h"
#include "rooms/filter_dialog_model.h"
#include "rooms/room_list.h"
#include "support/exam_fixture.h"
#include "support/fixture.h"
#include "support/module_queries.h"

namespace talven {
namespace {

using test::Window;

TEST(MainWindow, StartUpSelectsTheInstallationsOwnUnit) {
  Window w;
  EXPECT_TRUE(w.Boxes().empty());
  EXPECT_EQ(w.Selected(), "110101-一中");
  EXPECT_EQ(w.view.selected, w.logic->SelectedNode());
  EXPECT_EQ(Module().SelectedLevel, 3);
  EXPECT_EQ(Module().SelectedCode, "110101");
  EXPECT_EQ(Module().CodeLength, 6);
  EXPECT_EQ(w.view.edit2, "1");
  EXPECT_EQ(w.view.edit3, "5");
  EXPECT_EQ(GbkToUtf8(w.view.status0), "110101-一中");
  EXPECT_EQ(w.Status1(), "考场数：1/5");
  EXPECT_EQ(GbkToUtf8(w.logic->TitleMonthText), "2008年4月");
  EXPECT_EQ(w.logic->KcText, "202503");
  EXPECT_EQ(w.logic->Sheets.StartTimeText, "9.00");
  EXPECT_EQ(w.logic->Sheets.ExamDateText, "2008-04-19");
  EXPECT_FALSE(w.view.photos);
  EXPECT_TRUE(w.view.photosEnabled);
  EXPECT_FALSE(w.view.seatOrderVisible);
  // The whole hierarchy is there, whatever the installation's own level.
  std::vector<std::string> texts;
  for (const OrgNode* n : w.logic->Tree.InTreeOrder()) texts.push_back(GbkToUtf8(n->text));
  EXPECT_EQ(texts, (std::vector<std::string>{"00-考试院", "11-北京", "01-市辖区", "110101-一中", "32-江苏省", "01-南京市",
                                             "320101-南京考点", "02-无锡市", "44-广东省"}));
}

TEST(MainWindow, StartUpSettingsVariants) {
  struct Case {
    const char* sql;
    const char* selected;
    int level;
    bool photos;
  } cases[] = {
      {"update t_setting set ParamValue='1' where ParamName='BSKCQD';", "110101-一中", 3, true},
      {"delete from t_setting where ParamName='BSKCQD';", "110101-一中", 3, false},
      {"update t_setting set ParamValue='' where ParamName='BSKCQD';", "110101-一中", 3, false},
      {"update t_setting set ParamValue='1' where ParamName='jb'; update t_setting set ParamValue='32' where "
       "ParamName='dm';",
       "32-江苏省", 1, false},
      {"update t_setting set ParamValue='2' where ParamName='jb'; update t_setting set ParamValue='3202' where "
       "ParamName='dm';",
       "02-无锡市", 2, false},
      {"update t_setting set ParamValue='0' where ParamName='jb';", "00-考试院", 0, false},
      {"update t_setting set ParamValue='5' where ParamName='jb';", "", 5, false},
      {"update t_setting set ParamValue='999999' where ParamName='dm';", "", 3, false},
  };
  for (const Case& c : cases) {
    Window w(c.sql);
    EXPECT_TRUE(w.Boxes().empty()) << c.sql;
    EXPECT_EQ(w.Selected(), c.selected) << c.sql;
    EXPECT_EQ(Module().SelectedLevel, c.level) << c.sql;
    EXPECT_EQ(w.view.photos, c.photos) << c.sql;
    EXPECT_EQ(w.view.photosEnabled, !c.photos) << c.sql;
    EXPECT_EQ(w.view.seatOrderVisible, c.photos) << c.sql;
    EXPECT_EQ(w.logic->Sheets.WithPhotos, c.photos) << c.sql;
    if (!*c.selected) {
      EXPECT_FALSE(w.logic->List_Set.Active());
      EXPECT_EQ(w.view.edit3, "");
    }
  }
}

TEST(MainWindow, StartUpFailuresAreShownAndTheWindowKeepsWhatItHas) {
  {
    Window w("drop table t_version;");
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    EXPECT_EQ(w.ui.boxes[0].flags, MB_OK | MB_ICONERROR);
    EXPECT_NE(w.Boxes()[0].find("t_version"), std::string::npos) << w.Boxes()[0];
    EXPECT_TRUE(w.logic->Tree.Empty());
    EXPECT_EQ(w.Selected(), "");
  }
  {
    Window w("update t_setting set ParamValue='2008/04/19' where ParamName='date';"
             "update t_setting set ParamValue='1' where ParamName='BSKCQD';");
    EXPECT_EQ(w.Boxes(), std::vector<std::string>{"'2008/04/19' is not a valid date and time."});
    EXPECT_FALSE(w.logic->Tree.Empty());
    EXPECT_EQ(w.Selected(), "");
    EXPECT_FALSE(w.view.photos);  // the BSKCQD step is not reached
    EXPECT_EQ(Module().SelectedLevel, 3);
  }
  {
    Window w("drop view v_kdjg;");
    EXPECT_EQ(w.ui.boxes.size(), 1u);
    // The tree keeps what was added before the failing query.
    std::vector<std::string> texts;
    for (const OrgNode* n : w.logic->Tree.InTreeOrder()) texts.push_back(GbkToUtf8(n->text));
    EXPECT_EQ(texts, (std::vector<std::string>{"00-考试院", "11-北京", "01-市辖区"}));
  }
  {
    Window w("delete from t_scbjg where jb=0;");
    EXPECT_EQ(GbkToUtf8(w.logic->Tree.Roots()[0]->text), "00-Orvu");
  }
}

TEST(MainWindow, EachLevelListsItsRooms) {
  Window w;
  struct Case {
    const char* node;
    int level;
    const char* code;
    int rooms;
  } cases[] = {
      {"00-考试院", 0, "00", 7}, {"32-江苏省", 1, "32", 2},      {"01-南京市", 2, "3201", 2},
      {"02-无锡市", 2, "3202", 0}, {"320101-南京考点", 3, "320101", 2}, {"110101-一中", 3, "110101", 5},
  };
  for (const Case& c : cases) {
    const OrgNode* node = w.Node(c.node);
    ASSERT_NE(node, nullptr) << c.node;
    w.logic->TreeView1Change(node);
    EXPECT_EQ(Module().SelectedLevel, c.level) << c.node;
    EXPECT_EQ(Module().SelectedCode, c.code) << c.node;
    EXPECT_EQ(w.logic->List_Set.CommandText(), test::RoomListQuery(c.level)) << c.node;
    if (c.level > 0) {
      EXPECT_EQ(w.logic->List_Set.Param("DM").AsText(), c.code) << c.node;
    }
    EXPECT_EQ(w.view.edit3, std::to_string(c.rooms)) << c.node;
    EXPECT_EQ(GbkToUtf8(w.view.status0), c.node);
    EXPECT_EQ(w.Status1(), c.rooms ? "考场数：1/" + std::to_string(c.rooms) : "考场数：-1/0") << c.node;
  }
  // The grid's cursor moves keep the status text up to date.
  w.logic->TreeView1Change(w.Node("110101-一中"));
  w.logic->List_Set.SetRecNo(3);
  EXPECT_EQ(w.Status1(), "考场数：3/5");
}

TEST(MainWindow, OldSchemaCutsCentreCodesToFourCharacters) {
  Window w("update t_version set dbversion='2.00';");
  EXPECT_EQ(Module().CodeLength, 4);
  // The 6-character centre is not found with its 4-character code.
  EXPECT_EQ(Module().SelectedCode, "1101");
  EXPECT_EQ(w.view.edit3, "0");
  EXPECT_EQ(w.Status1(), "考场数：-1/0");
}

TEST(MainWindow, AFailingRoomQueryLeavesTheListClosedAndTheTextsAsTheyWere) {
  Window w;
  w.connection->Run("drop view v_bskc");
  EXPECT_THROW(w.logic->TreeView1Change(w.Node("32-江苏省")), Error);
  EXPECT_EQ(Module().SelectedLevel, 1);
  EXPECT_EQ(Module().SelectedCode, "32");
  EXPECT_FALSE(w.logic->List_Set.Active());
  EXPECT_EQ(w.view.edit3, "5");
  EXPECT_EQ(GbkToUtf8(w.view.status0), "110101-一中");
  EXPECT_EQ(w.Status1(), "考场数：1/5");
  EXPECT_EQ(w.ui.busyDepth, 0);
}

TEST(MainWindow, TitleClicksSortTheListButKeepTheRange) {
  Window w;
  w.logic->Sorting.Click(3, false);  // 考生人数
  EXPECT_EQ(GbkToUtf8(w.logic->List_Set.Sort()), "考生人数 DESC");
  EXPECT_EQ(w.logic->List_Set.FieldByName("笔试考场号"_gbk).AsString(), "14001");
  w.view.edit2 = "2";
  w.logic->Sorting.Click(2, true);
  w.logic->Sorting.CtrlReleased();
  EXPECT_EQ(GbkToUtf8(w.logic->List_Set.Sort()), "考生人数 DESC, 笔试考场号 DESC");
  EXPECT_EQ(w.view.edit2, "2");
  // A new list comes in the query's own order.
  w.logic->TreeView1Change(w.Node("110101-一中"));
  EXPECT_EQ(w.logic->List_Set.Sort(), "");
}

TEST(MainWindow, TheFilterDialogFiltersTheRoomList) {
  Window w;
  FilterDialogModel dialog;
  w.logic->PrepareFilterDialog(dialog);
  std::vector<std::string> fields;
  for (const std::string& f : dialog.FieldList()) fields.push_back(GbkToUtf8(f));
  EXPECT_EQ(fields, (std::vector<std::string>{"考点代码", "考点名称", "笔试考场号", "考生人数", "级别语言"}));
  w.logic->ReleaseFilterDialog(dialog);
  EXPECT_TRUE(dialog.ExcludedFields.empty());

  // A first filter the data layer rejects leaves no filter behind.
  EXPECT_THROW(dialog.Apply({"考生人数"_gbk, 5, "'abc'"}, {}, true), Error);
  EXPECT_EQ(w.logic->List_Set.Filter(), "");
  EXPECT_FALSE(w.logic->List_Set.Filtered());
  EXPECT_EQ(w.logic->List_Set.RecordCount(), 5);

  EXPECT_TRUE(dialog.Apply({"考生人数"_gbk, 5, "2"}, {}, true));
  EXPECT_EQ(GbkToUtf8(w.logic->List_Set.Filter()), "考生人数 > 2");
  EXPECT_EQ(w.view.edit3, "3");
  // Another node keeps the filter.
  w.logic->TreeView1Change(w.Node("00-考试院"));
  EXPECT_EQ(w.view.edit3, "5");
  // A value the data layer rejects: the rows and the range stay.
  w.view.edit3 = "kept";
  EXPECT_THROW(dialog.Apply({"考生人数"_gbk, 5, "abc"}, {}, true), Error);
  EXPECT_EQ(GbkToUtf8(w.logic->List_Set.Filter()), "考生人数 > 2");
  EXPECT_EQ(w.logic->List_Set.RecordCount(), 5);
  EXPECT_EQ(w.view.edit3, "kept");
  // An operator without a field.
  EXPECT_FALSE(dialog.Apply({"", 1, "x"}, {}, true));
  EXPECT_EQ(w.Boxes(), std::vector<std::string>{"请选择过滤字段！"});
  EXPECT_EQ(w.ui.boxes[0].caption, "信息"_gbk);
  EXPECT_EQ(w.ui.boxes[0].flags, 0x1040);
  dialog.Remove();
  EXPECT_EQ(w.view.edit3, "7");
  EXPECT_EQ(w.logic->List_Set.Filter(), "");
}

TEST(MainWindow, PrintingNeedsATestCentre) {
  Window w;
  w.logic->TreeView1Change(w.Node("32-江苏省"));
  w.logic->Sheets.FirstHeaderPending = false;
  w.logic->BitBtn9Click();
  EXPECT_EQ(w.Boxes(), std::vector<std::string>{"请选择一个考点！"});
  EXPECT_TRUE(w.logic->Sheets.FirstHeaderPending);
  EXPECT_EQ(w.logic->Sheets.MemTable1.RecordCount(), 0);
  // An empty list ends silently.
  w.logic->TreeView1Change(w.Node("02-无锡市"));
  Module().SelectedLevel = 3;
  w.logic->BitBtn9Click();
  EXPECT_EQ(w.ui.boxes.size(), 1u);
}

TEST(MainWindow, PrintingCollectsTheRangeAndArrangesPhotos) {
  Window w;
  w.view.edit2 = "1";
  w.view.edit3 = "2";
  w.logic->List_Set.SetRecNo(4);
  int notices = 0;
  const int id = w.logic->List_Set.AddObserver([&](DataSet::Change) { ++notices; });
  w.logic->BitBtn9Click();
  w.logic->List_Set.RemoveObserver(id);
  EXPECT_TRUE(w.Boxes().empty());
  EXPECT_EQ(w.logic->Sheets.MemTable1.RecordCount(), 28 + 5);
  EXPECT_EQ(w.logic->List_Set.RecNo(), 3);  // where the walk stopped
  EXPECT_EQ(notices, 1);                    // the grid did not follow the walk
  EXPECT_EQ(w.ui.busyDepth, 0);
  EXPECT_EQ(w.logic->Sheets.MemTable2.RecordCount(), 0);

  w.view.SetPhotosChecked(true);
  w.view.seatOrder = false;
  w.logic->BitBtn9Click();
  EXPECT_EQ(w.logic->Sheets.MemTable2.RecordCount(), 30 + 5);  // 28 + 2 blank slots, then 5
  w.view.seatOrder = true;
  w.logic->BitBtn9Click();
  EXPECT_EQ(w.logic->Sheets.MemTable2.RecordCount(), 60);
}

TEST(MainWindow, ABadRangeIsReportedAfterTheGridIsAttachedAgain) {
  Window w;
  w.view.edit2 = "";
  EXPECT_EQ(ErrorOf([&] { w.logic->BitBtn9Click(); }), "'' is not a valid integer value");
  EXPECT_FALSE(w.logic->List_Set.ControlsDisabled());
  EXPECT_EQ(w.ui.busyDepth, 0);
  w.view.edit2 = "9";
  EXPECT_NE(ErrorOf([&] { w.logic->BitBtn9Click(); }), "(no error)");
  EXPECT_FALSE(w.logic->List_Set.ControlsDisabled());
}

}  // namespace
}  // namespace talven
