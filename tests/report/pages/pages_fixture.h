// Prepared pages built object by object, as the band engine emits them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "report/model/factory.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/pages/prepared_pages.h"
#include "report/print/printer.h"

namespace talven {

class PagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartReportEngine(nullptr);
    EngineState().Reset();
  }

  // A template page on the virtual printer.
  TfrPage& TemplatePage(int code = 9, int width = 2100, int height = 2970, int orientation = 0) {
    return report.TemplatePages.Add(code, width, height, -1, orientation);
  }

  // Emits a memo onto the last prepared page.
  static TfrMemoView Memo(const std::string& name, int left, int top, int width, int height,
                          const TfrStrings& text = {}) {
    TfrMemoView m;
    m.Name = name;
    m.Left = left;
    m.Top = top;
    m.Width = width;
    m.Height = height;
    m.OutputText = text;
    return m;
  }
  void Emit(TfrView& view) { WritePreparedObject(pages.PageAt(pages.PageCount() - 1).ObjectStream, view); }
  void EmitMemo(const std::string& name, int left, int top, int width, int height, const TfrStrings& text = {}) {
    TfrMemoView m = Memo(name, left, top, width, height, text);
    Emit(m);
  }

  std::string Saved() {
    TfrStream s;
    pages.SaveToStream(s);
    return s.TakeBytes();
  }
  void Load(const std::string& bytes) {
    TfrStream s(bytes, TfrStream::Origin::File);
    pages.LoadFromStream(s);
  }

  TfrReport report;
  TfrEMFPages& pages = PreparedPagesOf(report);
};

}  // namespace talven
