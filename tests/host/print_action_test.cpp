// 打印 from collection to prepared pages, with the two templates of the
// installation: what each page of the plain and the photo sheet shows.
// Needs the CJK fonts (the sheets are laid out in the Song face).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/jpeg.h"
#include "data/paths.h"
#include "report/model/page.h"
#include "report/model/picture_view.h"
#include "report/model/variables.h"
#include "report/pages/prepared_pages.h"
#include "report/template/text_form.h"
#include "window_fixture.h"

namespace talven {
namespace {

using test::Window;

// The prepared pages of the last run, read back: per page the printed
// objects in order, with their texts (UTF-8, lines joined by "|") and, for
// pictures, whether they hold one.
struct Printout {
  struct Object {
    std::string name, text;
    bool picture = false;
  };
  explicit Printout(Window& w) {
    w.logic->OnShowPrepared = [this](TfrReport& report) {
      ++shown;
      pages.clear();
      TfrEMFPages& prepared = PreparedPagesOf(report);
      for (int i = 0; i < prepared.PageCount(); ++i) {
        TfrStream stream(prepared.PageAt(i).ObjectStream.Bytes());
        TfrPage page(9, 2100, 2970, 65535, 0);
        ReadPreparedObjects(stream, page);
        std::vector<Object>& objects = pages.emplace_back();
        for (const auto& view : page.ObjectList) {
          Object o{view->Name, {}, false};
          for (const std::string& line : view->Memo) o.text += (o.text.empty() ? "" : "|") + GbkToUtf8(line);
          if (auto* picture = dynamic_cast<TfrPictureView*>(view.get())) o.picture = !picture->Picture.Empty();
          objects.push_back(o);
        }
      }
    };
  }
  // The texts of the objects of that name on a page, in order.
  std::vector<std::string> Texts(std::size_t page, std::string_view name) const {
    std::vector<std::string> texts;
    for (const Object& o : pages.at(page))
      if (o.name == name) texts.push_back(o.text);
    return texts;
  }
  std::string Text(std::size_t page, std::string_view name) const {
    const std::vector<std::string> texts = Texts(page, name);
    return texts.size() == 1 ? texts[0] : "(" + std::to_string(texts.size()) + " objects " + std::string(name) + ")";
  }
  std::vector<bool> Pictures(std::size_t page) const {
    std::vector<bool> result;
    for (const Object& o : pages.at(page))
      if (o.name == "Photo") result.push_back(o.picture);
    return result;
  }

  int shown = 0;
  std::vector<std::vector<Object>> pages;
};

std::vector<std::string> Tickets(long long first, int count) {
  std::vector<std::string> tickets;
  for (int i = 0; i < count; ++i) tickets.push_back(std::to_string(first + i));
  return tickets;
}

std::vector<std::string> Numbers(int first, int last) {
  std::vector<std::string> numbers;
  for (int i = first; i <= last; ++i) numbers.push_back(std::to_string(i));
  return numbers;
}

void Print(Window& w, const char* first, const char* last) {
  w.view.edit2 = first;
  w.view.edit3 = last;
  w.logic->BitBtn9Click();
}

TEST(PrintAction, APlainPrintListsEachCandidateOnceUnderItsRoom) {
  Window w;
  Printout out(w);
  Print(w, "1", "3");
  ASSERT_EQ(out.pages.size(), 3u);  // every room starts a page of its own
  struct Room {
    const char* number;
    const char* count;
    const char* level;
    const char* time;
    std::vector<std::string> tickets;
  } rooms[] = {
      {"14001", "28", "二级C语言", "2008-04-19 9:00--11:00", Tickets(110101140100, 28)},
      {"14002", "5", "14,15", "2008-04-19 9:00--11:30",  // the host room, its merged rooms' longer duration
       {"110101140300", "110101140301", "110101150100", "110101150101", "110101150102"}},
      {"14005", "3", "二级C语言", "2008-04-19 9:00--11:00", Tickets(110101140500, 3)},
  };
  for (std::size_t p = 0; p < 3; ++p) {
    SCOPED_TRACE(p);
    const Room& room = rooms[p];
    EXPECT_EQ(out.Text(p, "memo5"), "2008年4月全国泓图考试");
    EXPECT_EQ(out.Text(p, "Heading"), "一中笔试考场签到表");
    EXPECT_EQ(out.Text(p, "RoomNo"), std::string("考场号：") + room.number);
    EXPECT_EQ(out.Text(p, "RoomCount"), std::string("应考人数：") + room.count + " 人");
    EXPECT_EQ(out.Text(p, "RoomLevel"), std::string("级别语言：") + room.level);
    EXPECT_EQ(out.Text(p, "RoomTime"), std::string("考试时间：") + room.time);
    EXPECT_EQ(out.Texts(p, "Caption2"), std::vector<std::string>{"准考证号"});
    EXPECT_EQ(out.Texts(p, "Cell2"), room.tickets);  // admission order, each once
    EXPECT_EQ(out.Texts(p, "Cell1"), Numbers(1, static_cast<int>(room.tickets.size())));
    EXPECT_EQ(out.Text(p, "PageNo"), "第 " + std::to_string(p + 1) + " 页 共 3 页");
  }
  EXPECT_EQ(out.Texts(0, "Cell3").front(), "考生1");
  EXPECT_EQ(out.Texts(0, "Cell4").front(), "110101199001011000");
  EXPECT_EQ(out.Texts(0, "Cell5").front(), "");  // the signature column
}

// The page header is printed with the table one row ahead (the binding's
// page-header step): when the last row of a room opens a new page, that row
// is the next room's first. The room's heading and column titles are
// repeated from the row being printed, so the page still shows its room.
TEST(PrintAction, ARoomThatSpillsOverContinuesUnderItsOwnHeading) {
  Window w(
      "insert into t_ksxx values ('110101140128','B1','考生29','1','1990-01-01','1','110101','14','14001',29,'0'),"
      "('110101140129','B2','考生30','1','1990-01-01','2','110101','14','14001',30,'0'),"
      "('110101140130','B3','考生31','1','1990-01-01','3','110101','14','14001',31,'0');");
  Printout out(w);
  Print(w, "1", "2");
  ASSERT_EQ(out.pages.size(), 3u);
  EXPECT_EQ(out.Texts(0, "Cell1"), Numbers(1, 30));
  EXPECT_EQ(out.Text(1, "RoomNo"), "考场号：14001");
  EXPECT_EQ(out.Text(1, "RoomCount"), "应考人数：31 人");
  EXPECT_EQ(out.Text(1, "Heading"), "一中笔试考场签到表");
  EXPECT_EQ(out.Texts(1, "Caption1"), std::vector<std::string>{"序号"});
  EXPECT_EQ(out.Texts(1, "Cell1"), std::vector<std::string>{"31"});
  EXPECT_EQ(out.Texts(1, "Cell2"), std::vector<std::string>{"110101140130"});
  EXPECT_EQ(out.Text(2, "RoomNo"), "考场号：14002");
  EXPECT_EQ(out.Texts(2, "Cell1"), Numbers(1, 5));
  EXPECT_EQ(out.Text(2, "PageNo"), "第 3 页 共 3 页");
}

TEST(PrintAction, PhotoSheetsLoadTheirTemplateAndThePhotoFolder) {
  Window w;
  Printout out(w);
  Print(w, "1", "1");
  const std::string title = out.Text(0, "memo5");
  EngineVariables().Set("path", "before");

  // Photographs for two of the three candidates of room 14005.
  const std::string folder = w.dir.path() + "/相片/202503/";
  std::filesystem::create_directories(folder);
  RgbImage image{3, 4, std::vector<std::uint8_t>(3 * 4 * 3, 128)};
  for (const char* ticket : {"110101140500", "110101140501"})
    std::ofstream(folder + ticket + ".jpg", std::ios::binary) << EncodeJpeg(image);

  w.view.SetPhotosChecked(true);
  Print(w, "3", "3");
  EXPECT_EQ(GbkToUtf8(EngineVariables().Get("path").AsText()), folder);
  ASSERT_EQ(out.pages.size(), 1u);  // in seat order a room is one page
  EXPECT_EQ(out.Text(0, "memo5"), title);
  // Slot 1 holds seat 1, slot 2 seat 12 (blank here), slot 6 seat 2, slot 11
  // seat 3; the page is read at the blank second slot, and still shows the
  // room of its cards.
  EXPECT_EQ(out.Text(0, "Heading"), "一中笔试考场签到表");
  EXPECT_EQ(out.Text(0, "RoomNo"), "考场号：14005");
  EXPECT_EQ(out.Text(0, "RoomCount"), "应考人数：3 人");
  EXPECT_EQ(out.Text(0, "RoomTime"), "考试时间：2008-04-19 9:00--11:00");
  const std::vector<std::string> tickets = out.Texts(0, "Value2");
  ASSERT_EQ(tickets.size(), 30u);
  std::vector<std::string> expected(30, "");
  expected[0] = "110101140500";
  expected[5] = "110101140501";
  expected[10] = "110101140502";
  EXPECT_EQ(tickets, expected);
  EXPECT_EQ(out.Texts(0, "Card").size(), 30u);  // blank slots print as empty cards
  std::vector<bool> pictures(30, false);
  pictures[0] = pictures[5] = true;  // the third photograph is missing: its card stays without
  EXPECT_EQ(out.Pictures(0), pictures);

  // Plain order: the room's three cards and two blank ones; a plain print
  // afterwards leaves "path" as it is.
  w.view.seatOrder = false;
  Print(w, "3", "3");
  EXPECT_EQ(out.Texts(0, "Value2"), (std::vector<std::string>{"110101140500", "110101140501", "110101140502"}));
  w.view.SetPhotosChecked(false);
  EngineVariables().Set("path", "kept");
  Print(w, "3", "3");
  EXPECT_EQ(EngineVariables().Get("path").AsText(), "kept");
  EXPECT_EQ(out.Texts(0, "Cell2"), Tickets(110101140500, 3));
  EXPECT_TRUE(out.Texts(0, "Photo").empty());
}

TEST(PrintAction, AnEmptyCandidateSetStillPreparesASheet) {
  Window w;
  Printout out(w);
  for (auto [first, last] : {std::pair{"4", "4"}, std::pair{"5", "2"}}) {
    Print(w, first, last);
    ASSERT_EQ(out.pages.size(), 1u) << first << "-" << last;
    EXPECT_EQ(out.Text(0, "memo5"), "2008年4月全国泓图考试");
    EXPECT_TRUE(out.Texts(0, "Cell2").empty());
    EXPECT_EQ(out.Text(0, "PageNo"), "第 1 页 共 1 页");
  }
  EXPECT_EQ(out.shown, 2);
}

TEST(PrintAction, AMissingTemplateOrTitleIsNamedAndTheWindowRestored) {
  Window w;
  Printout out(w);
  const std::string photos = SheetTemplatePath(true);
  std::remove(GbkToUtf8(photos).c_str());
  w.view.SetPhotosChecked(true);
  EXPECT_EQ(GbkToUtf8(ErrorOf([&] { w.logic->BitBtn9Click(); })), "报表模板文件不存在：" + GbkToUtf8(photos));
  EXPECT_EQ(w.ui.busyDepth, 0);
  EXPECT_FALSE(w.logic->List_Set.ControlsDisabled());

  const std::string plain = SheetTemplatePath(false);
  std::ofstream(GbkToUtf8(plain), std::ios::binary | std::ios::trunc)
      << BuildTemplate(ReplaceAll(SheetTemplateJson(false), "\"memo5\"", "\"Title\""));
  w.view.SetPhotosChecked(false);
  EXPECT_EQ(GbkToUtf8(ErrorOf([&] { w.logic->BitBtn9Click(); })), "报表模板中没有对象 memo5：" + GbkToUtf8(plain));
  EXPECT_EQ(w.ui.busyDepth, 0);
  EXPECT_FALSE(w.logic->List_Set.ControlsDisabled());
  EXPECT_EQ(out.shown, 0);
}

}  // namespace
}  // namespace talven
