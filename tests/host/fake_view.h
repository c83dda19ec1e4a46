// A window without widgets: keeps what the logic shows, for the tests.
#pragma once

#include <string>

#include "host/main_window.h"

namespace talven::test {

class FakeView : public MainWindowView {
 public:
  std::string edit2, edit3, status0, status1;
  const OrgTree* tree = nullptr;
  const OrgNode* selected = nullptr;
  bool photos = false, photosEnabled = true, seatOrder = true, seatOrderVisible = false;
  TMainWindowLogic* logic = nullptr;  // CheckBox1Click runs on every change

  std::string Edit2Text() const override { return edit2; }
  void SetEdit2Text(const std::string& text) override { edit2 = text; }
  std::string Edit3Text() const override { return edit3; }
  void SetEdit3Text(const std::string& text) override { edit3 = text; }
  void SetStatusText(int panel, const std::string& text) override { (panel == 0 ? status0 : status1) = text; }
  void ShowTree(const OrgTree& t) override { tree = &t; }
  void ShowSelectedNode(const OrgNode& node) override { selected = &node; }
  bool PhotosChecked() const override { return photos; }
  void SetPhotosChecked(bool checked) override {
    photos = checked;
    if (logic) logic->CheckBox1Click();
  }
  void SetPhotosEnabled(bool enabled) override { photosEnabled = enabled; }
  bool SeatOrderChecked() const override { return seatOrder; }
  void SetSeatOrderVisible(bool visible) override { seatOrderVisible = visible; }
};

}  // namespace talven::test
