// The expression language on any text: conversion to postfix and
// evaluation, bracket values with their " #" format parts, memo expansion
// and display formats, over a report of one page as a preparation sees it.
// It must end without a crash, a hang or a sanitizer report; the errors of
// the language (an undefined name, a conversion) are answers, not findings.
//
// The first byte chooses what is done with the rest and the memo's display
// format; the rest is the text, GBK bytes as a template holds them.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "base/datetime.h"
#include "base/error.h"
#include "base/ui.h"
#include "report/expr/displayformat.h"
#include "report/expr/parser.h"
#include "report/expr/report_scope.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/model/variables.h"

namespace {

using namespace talven;

constexpr std::array<std::int32_t, 8> kFormats = {
    MakeDisplayFormat(fmtText, 0, 2, '.'),    MakeDisplayFormat(fmtNumber, 1, 2, ','),
    MakeDisplayFormat(fmtNumber, 3, 17, '.'), MakeDisplayFormat(fmtNumber, 4, 0, '.'),
    MakeDisplayFormat(fmtDate, 2, 0, 0),      MakeDisplayFormat(fmtTime, 4, 0, 0),
    MakeDisplayFormat(fmtBoolean, 4, 0, 0),   MakeDisplayFormat(fmtDate, 4, 0, 0),
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::StartEngineOnce();
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  RecordingUi ui;  // MESSAGEBOX and INPUT are answered
  UiScope uiScope(ui);
  EngineVariables().Clear();
  EngineVariables().Set("n", 3.5);
  EngineVariables().Set("i", 7);
  EngineVariables().Set("s", "\xBA\xBA\xD7\xD6 text");  // 汉字
  EngineVariables().Set("d", Variant::FromDateTime(45000.25));
  EngineVariables().Set("b", true);

  TfrReport report;
  auto owned = std::make_unique<TfrMemoView>();
  TfrMemoView& memo = *owned;
  memo.Name = "Memo1";
  memo.DisplayFormat = kFormats[mode & 7];
  memo.DisplayFormatText = (mode & 8) ? "#,##0.00;-0;zero" : "yyyy-mm-dd hh:nn";
  report.TemplatePages.Add().Add(std::move(owned));
  report.Dictionary.VariableList.Set("total", "n * 2");
  PrepareState& state = EngineState();
  state.CurrentReport = state.MasterReport = &report;
  state.CurrentPage = &report.TemplatePages[0];
  state.CurrentObject = &memo;
  state.RunDate = 45000;
  state.RunTime = 0.5;
  report.InFinalPass = true;
  {
    TfrReportBinding binding(report);
    try {
      switch ((mode >> 4) & 3) {
        case 0: EngineParser().Evaluate(text); break;
        case 1: binding.Resolver().BracketValue(text); break;
        case 2:
          memo.Memo = fuzz::SplitLines(text);
          binding.Scope().ExpandMemo(memo);
          break;
        case 3: {
          std::int32_t code = memo.DisplayFormat;
          std::string custom;
          ApplyBracketFormat(text, code, custom);
          ApplyDisplayFormat(Variant(text), code, custom);
          ApplyDisplayFormat(Variant(3.25), code, custom);
          ApplyDisplayFormat(Variant::FromDateTime(45000.75), code, custom);
          break;
        }
      }
    } catch (const Error&) {
      // an answer of the language
    }
  }
  state.Reset();
  EngineVariables().Clear();
  return 0;
}
