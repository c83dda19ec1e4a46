#include "base/ui.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "base/error.h"
#include "base/text.h"

namespace talven {
namespace {

TEST(Ui, ErrorBoxTextAppendsAPointAfterLetters) {
  EXPECT_EQ(ErrorBoxText("'abc' is not a valid integer value"), "'abc' is not a valid integer value.");
  EXPECT_EQ(ErrorBoxText("Done."), "Done.");
  EXPECT_EQ(ErrorBoxText("(x)"), "(x)");  // ")" sorts before "."
  EXPECT_EQ(ErrorBoxText("value 0"), "value 0.");
  EXPECT_EQ(ErrorBoxText(""), "");
  // A double-byte character ends in a byte above ".".
  EXPECT_EQ(ErrorBoxText("符号没定义"_gbk), "符号没定义"_gbk + ".");
}

TEST(Ui, RecordingUiSeesTheGeneralErrorBoxAndTheBusyCursor) {
  RecordingUi ui;
  UiScope scope(ui);
  SetApplicationTitle("host");
  ShowErrorBox("broken");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "broken.");
  EXPECT_EQ(ui.boxes[0].caption, "host");
  EXPECT_EQ(ui.boxes[0].flags, MB_OK | MB_ICONERROR);
  try {
    BusyCursor busy;
    EXPECT_EQ(ui.busyDepth, 1);
    throw std::runtime_error("x");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(ui.busyDepth, 0);
  ui.answers.push_back(IDNO);
  EXPECT_EQ(CurrentUi().MessageBox("q", "c", MB_YESNO), IDNO);
  EXPECT_EQ(CurrentUi().MessageBox("q", "c", MB_YESNO), IDYES);
  EXPECT_EQ(MessageOf(Error("m")), "m");
}

}  // namespace
}  // namespace talven
