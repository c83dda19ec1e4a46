#include "rooms/sort_marking.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace talven {
namespace {

enum Column { Kddm, Kdmc, Bskch, Ksrs, Jbyy };

struct Click {
  int column;
  bool ctrl;
};

// Runs clicks (and a Ctrl release at the end) and returns the sort texts of
// every notice, in UTF-8.
std::vector<std::string> Notices(std::initializer_list<Click> clicks, bool releaseCtrl = true) {
  SortMarking m({"考点代码"_gbk, "考点名称"_gbk, "笔试考场号"_gbk, "考生人数"_gbk, "级别语言"_gbk});
  std::vector<std::string> notices;
  m.onChanged = [&] { notices.push_back(GbkToUtf8(m.SortText())); };
  for (const Click& c : clicks) m.Click(c.column, c.ctrl);
  if (releaseCtrl) m.CtrlReleased();
  return notices;
}

TEST(SortMarking, ClickSequencesGiveTheirSortTexts) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Notices({{Ksrs, false}}), V{"考生人数 DESC"});
  EXPECT_EQ(Notices({{Ksrs, false}, {Ksrs, false}, {Ksrs, false}}),
            (V{"考生人数 DESC", "考生人数 ASC", "考生人数 DESC"}));
  // A plain click drops every other marker.
  EXPECT_EQ(Notices({{Kddm, false}, {Ksrs, false}}), (V{"考点代码 DESC", "考生人数 DESC"}));
  // Ctrl-clicks report once, when Ctrl is released.
  EXPECT_EQ(Notices({{Kddm, false}, {Bskch, true}}), (V{"考点代码 DESC", "考点代码 DESC, 笔试考场号 DESC"}));
  EXPECT_EQ(Notices({{Jbyy, true}, {Jbyy, true}, {Jbyy, true}}), V{""});
  // A column already marked keeps its place after the one marked first.
  EXPECT_EQ(Notices({{Kddm, false}, {Bskch, true}, {Kddm, true}}),
            (V{"考点代码 DESC", "考点代码 ASC, 笔试考场号 DESC"}));
  EXPECT_EQ(Notices({{Kddm, true}, {Bskch, true}, {Kddm, true}, {Kddm, true}, {Kddm, true}}),
            V{"笔试考场号 DESC, 考点代码 DESC"});
  EXPECT_TRUE(Notices({{Kddm, true}}, false).empty());
}

TEST(SortMarking, FocusLossReleasesTheHeldNotice) {
  SortMarking m({"a", "b"});
  int notices = 0;
  m.onChanged = [&] { ++notices; };
  m.Click(0, true);
  m.Click(1, true);
  EXPECT_TRUE(m.NoticePending());
  m.FocusLost();
  m.CtrlReleased();
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(m.SortText(), "a DESC, b DESC");
  EXPECT_EQ(m.MarkerOf(1), SortMarker::Down);
}

}  // namespace
}  // namespace talven
