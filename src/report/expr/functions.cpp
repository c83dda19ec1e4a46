#include "report/expr/functions.h"

#include <algorithm>

#include "base/datetime.h"
#include "base/error.h"
#include "base/format.h"
#include "base/text.h"
#include "base/ui.h"
#include "report/expr/displayformat.h"
#include "report/expr/parser.h"
#include "report/expr/resolver.h"
#include "report/expr/values.h"

namespace talven {

bool TfrFunctionLibrary::OnFunction(std::string_view name, const std::string& p1, const std::string& p2,
                                    const std::string& p3, Variant& result) {
  for (std::size_t i = 0; i < list_.size(); ++i) {
    if (SameText(list_[i], name)) {
      DoFunction(static_cast<int>(i), p1, p2, p3, result);
      return true;
    }
  }
  return false;
}

void TfrFunctionLibrary::AddFunctionDesc(std::string_view name, std::string_view category,
                                         std::string_view description) {
  if (description.empty()) return;
  descriptions_.push_back({std::string(name), std::string(category), std::string(description)});
}

void TfrFunctionLibraries::Register(std::string_view className,
                                    const std::function<std::unique_ptr<TfrFunctionLibrary>()>& create) {
  for (const Entry& e : libraries_)
    if (e.className == className) return;
  if (libraries_.size() >= kMaxLibraries) throw Error("Too many function libraries (at most 64)");
  libraries_.push_back({std::string(className), create()});
}

void TfrFunctionLibraries::Unregister(std::string_view className) {
  std::erase_if(libraries_, [&](const Entry& e) { return e.className == className; });
}

bool TfrFunctionLibraries::Call(std::string_view name, const std::string& p1, const std::string& p2,
                                const std::string& p3, Variant& result) {
  // By index: a function may register or unregister libraries while it runs.
  for (std::size_t i = 0; i < libraries_.size(); ++i)
    if (libraries_[i].instance->OnFunction(name, p1, p2, p3, result)) return true;
  return false;
}

std::vector<TfrInstalledFunction> TfrFunctionLibraries::Installed() const {
  std::vector<TfrInstalledFunction> out;
  for (const Entry& e : libraries_)
    for (const auto& d : e.instance->Descriptions()) out.push_back({e.className, d.name, d.category, d.description});
  return out;
}

TfrFunctionLibraries& FunctionLibraries() {
  static TfrFunctionLibraries table = [] {
    TfrFunctionLibraries t;
    t.Register<TfrStdFunctionLibrary>();
    return t;
  }();
  return table;
}

// ---- TfrStdFunctionLibrary ----------------------------------------------

namespace {

enum StdFunction {
  fnAvg, fnCount, fnDayOf, fnFormatDateTime, fnFormatFloat, fnFormatText, fnInput, fnLength, fnLowerCase, fnMax,
  fnMaxNum, fnMessageBox, fnMin, fnMinNum, fnMonthOf, fnNameCase, fnPos, fnSum, fnTrim, fnUpperCase, fnYearOf,
};

constexpr const char* kStdNames[] = {
    "AVG",     "COUNT",   "DAYOF",    "FORMATDATETIME", "FORMATFLOAT", "FORMATTEXT", "INPUT",
    "LENGTH",  "LOWERCASE", "MAX",    "MAXNUM",         "MESSAGEBOX",  "MIN",        "MINNUM",
    "MONTHOF", "NAMECASE", "POS",     "SUM",            "TRIM",        "UPPERCASE",  "YEAROF",
};

Variant Eval(const std::string& argument) { return EngineParser().Evaluate(argument); }
std::string EvalText(const std::string& argument) { return Eval(argument).AsText(); }

// Day, month and year go through the value's text, so a value that is no
// date fails with the runtime's conversion message.
DateParts EvalDate(const std::string& argument) { return DecodeDate(StrToDateTime(EvalText(argument))); }

void Aggregate(TfrAggregateKind kind, const std::string& p1, const std::string& p2, const std::string& p3,
               Variant& result) {
  if (TfrResolver* r = ActiveResolver()) r->Scope().Aggregate(kind, p1, p2, p3, result);
}

std::string NameCase(const std::string& s) {
  std::string out = LowerCase(s);
  if (!out.empty() && !IsLeadByte(out[0])) out = UpperCase(out.substr(0, 1)) + out.substr(1);
  return out;
}

}  // namespace

TfrStdFunctionLibrary::TfrStdFunctionLibrary() {
  for (const char* name : kStdNames) AddFunction(name);
}

void TfrStdFunctionLibrary::DoFunction(int index, const std::string& p1, const std::string& p2,
                                       const std::string& p3, Variant& result) {
  switch (index) {
    case fnAvg: Aggregate(TfrAggregateKind::Avg, p1, p2, p3, result); break;
    case fnCount: Aggregate(TfrAggregateKind::Count, p1, p2, p3, result); break;
    case fnMax: Aggregate(TfrAggregateKind::Max, p1, p2, p3, result); break;
    case fnMin: Aggregate(TfrAggregateKind::Min, p1, p2, p3, result); break;
    case fnSum: Aggregate(TfrAggregateKind::Sum, p1, p2, p3, result); break;
    case fnDayOf: result = Variant(EvalDate(p1).day); break;
    case fnMonthOf: result = Variant(EvalDate(p1).month); break;
    case fnYearOf: result = Variant(EvalDate(p1).year); break;
    case fnFormatDateTime: {
      const std::string format = EvalText(p1);
      result = Variant(FormatDateTime(format, VarToDateTime(Eval(p2))));
      break;
    }
    case fnFormatFloat: {
      const std::string format = EvalText(p1);
      result = Variant(FormatFloat(format, VarToNumber(Eval(p2))));
      break;
    }
    case fnFormatText: {
      const std::string mask = EvalText(p1);
      result = Variant(FormatMaskText(mask + ";0; ", EvalText(p2)));
      break;
    }
    case fnInput: {
      const std::string prompt = EvalText(p1);
      const std::string initial = EvalText(p2);
      result = Variant(CurrentUi().InputBox("", prompt, initial, false).value_or(initial));
      break;
    }
    case fnLength: result = Variant(static_cast<std::int64_t>(EvalText(p1).size())); break;
    case fnLowerCase: result = Variant(LowerCase(EvalText(p1))); break;
    case fnUpperCase: result = Variant(UpperCase(EvalText(p1))); break;
    case fnNameCase: result = Variant(NameCase(EvalText(p1))); break;
    case fnTrim: result = Variant(Trim(EvalText(p1))); break;
    case fnPos: {
      const std::string part = EvalText(p1);
      result = Variant(static_cast<std::int64_t>(Pos(part, EvalText(p2))));
      break;
    }
    case fnMaxNum:
    case fnMinNum: {
      const Variant a = Eval(p1);
      const Variant b = Eval(p2);
      const int c = VarCompare(a, b);
      result = (index == fnMaxNum ? c > 0 : c < 0) ? a : b;
      break;
    }
    case fnMessageBox: {
      const std::string text = EvalText(p1);
      const std::string caption = EvalText(p2);
      const int flags = static_cast<int>(Eval(p3).AsInteger());
      result = Variant(CurrentUi().MessageBox(text, caption, flags));
      break;
    }
    default: break;
  }
}

}  // namespace talven
