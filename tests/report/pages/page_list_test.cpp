// Page list texts.
#include <gtest/gtest.h>

#include <string>

#include "base/error.h"
#include "report/pages/page_list.h"

namespace talven {
namespace {

// The selected page numbers as a text, "1,3,5".
std::string Selected(std::string_view list, int count) {
  std::string out;
  const std::vector<bool> pages = SelectedPages(list, count);
  for (std::size_t i = 0; i < pages.size(); ++i)
    if (pages[i]) out += (out.empty() ? "" : ",") + std::to_string(i + 1);
  return out;
}

TEST(PageList, SelectsNumbersAndRanges) {
  const struct {
    const char* list;
    int count;
    const char* pages;
  } cases[] = {
      {"", 3, "1,2,3"},
      {"1,3,5-12", 20, "1,3,5,6,7,8,9,10,11,12"},
      {"8-", 10, "8,9,10"},
      {"7-5", 10, ""},
      {" 2 , 4 - 5 ", 6, "2,4,5"},
      {"0,4,99", 5, "4"},
      {"3-99999999999999999999", 4, "3,4"},
  };
  for (const auto& c : cases) EXPECT_EQ(Selected(c.list, c.count), c.pages) << c.list;
}

TEST(PageList, AnItemThatIsNoNumberSelectsNothing) {
  for (const char* list : {"-3", "1,,2", "x", "$1F"}) {
    try {
      SelectedPages(list, 5);
      ADD_FAILURE() << list;
    } catch (const ConvertError& e) {
      EXPECT_NE(e.message().find("is not a valid integer value"), std::string::npos) << list;
    }
  }
}

}  // namespace
}  // namespace talven
