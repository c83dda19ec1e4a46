#include "report/expr/resolver.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "base/convert.h"
#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/expr/displayformat.h"
#include "report/expr/functions.h"
#include "report/expr/parser.h"
#include "report/expr/tokens.h"
#include "report/expr/values.h"
#include "report/model/variables.h"

namespace talven {

namespace {

struct SpecialEntry {
  const char* name;
  TfrSpecialName id;
};
constexpr SpecialEntry kSpecialNames[] = {
    {"VALUE", TfrSpecialName::Value},
    {"PAGE#", TfrSpecialName::PageNo},
    {"DATE", TfrSpecialName::Date},
    {"TIME", TfrSpecialName::Time},
    {"LINE#", TfrSpecialName::LineNo},
    {"LINETHROUGH#", TfrSpecialName::LineThroughNo},
    {"COLUMN#", TfrSpecialName::ColumnNo},
    {"CURRENT#", TfrSpecialName::CurrentNo},
    {"TOTALPAGES", TfrSpecialName::TotalPages},
    {"REPORTCOMMENT", TfrSpecialName::ReportComment},
    {"REPORTNAME", TfrSpecialName::ReportName},
    {"REPORTAUTOR", TfrSpecialName::ReportAuthor},
    {"VMAJOR", TfrSpecialName::VersionMajor},
    {"VMINOR", TfrSpecialName::VersionMinor},
    {"VRELEASE", TfrSpecialName::VersionRelease},
    {"VBUILD", TfrSpecialName::VersionBuild},
    {"REPORTDATE", TfrSpecialName::ReportDate},
    {"REPORTLASTCHANGE", TfrSpecialName::ReportLastChange},
    {"CALCWIDTH", TfrSpecialName::CalcWidth},
    {"CURY", TfrSpecialName::CurY},
    {"FREESPACE", TfrSpecialName::FreeSpace},
    {"FINALPASS", TfrSpecialName::FinalPass},
    {"PAGEHEIGHT", TfrSpecialName::PageHeight},
    {"PAGEWIDTH", TfrSpecialName::PageWidth},
};

TfrResolver* g_active = nullptr;

// Keeps the name being computed by evaluation, and gives the previous one
// back however the evaluation ends.
class PendingName {
 public:
  PendingName(std::string& pending, const std::string& name) : pending_(pending), saved_(std::move(pending)) {
    pending_ = name;
  }
  ~PendingName() { pending_ = std::move(saved_); }
  PendingName(const PendingName&) = delete;
  PendingName& operator=(const PendingName&) = delete;

 private:
  std::string& pending_;
  std::string saved_;
};

// Appends a text to a list of lines the way a text list takes a text: CR,
// LF and CR LF break lines; a break at the very end starts no new line.
void AppendLines(std::vector<std::string>& lines, std::string_view text) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
}

}  // namespace

std::optional<TfrSpecialName> FindSpecialName(std::string_view name) {
  for (const SpecialEntry& e : kSpecialNames)
    if (name == e.name) return e.id;
  return std::nullopt;
}

// ---- TfrResolveScope defaults -------------------------------------------

void TfrResolveScope::OnGetValue(const std::string&, Variant&) {}
bool TfrResolveScope::DictionaryValue(const std::string&, Variant&) { return false; }
bool TfrResolveScope::PropertyValue(const std::string&, Variant&) { return false; }

Variant TfrResolveScope::SpecialValue(TfrSpecialName name) {
  switch (name) {
    case TfrSpecialName::PageNo: return Variant(PageIndex() + 1);
    case TfrSpecialName::Date: return Variant::FromDateTime(RunDate());
    case TfrSpecialName::Time: return Variant::FromDateTime(RunTime());
    case TfrSpecialName::TotalPages: return Variant(TotalPages());
    case TfrSpecialName::FinalPass: return Variant(InFinalPass());
    case TfrSpecialName::ReportComment:
    case TfrSpecialName::ReportName:
    case TfrSpecialName::ReportAuthor:
    case TfrSpecialName::VersionMajor:
    case TfrSpecialName::VersionMinor:
    case TfrSpecialName::VersionRelease:
    case TfrSpecialName::VersionBuild: return Variant(std::string());
    case TfrSpecialName::ReportDate:
    case TfrSpecialName::ReportLastChange: return Variant::FromDateTime(0);
    default: return Variant(0);
  }
}

bool TfrResolveScope::ReportFunction(const std::string&, const std::string&, const std::string&, const std::string&,
                                     Variant&) {
  return false;
}
void TfrResolveScope::SetIndexProperty(const std::string&, const Variant&, const Variant&) {}
void TfrResolveScope::GetIndexProperty(const std::string&, const Variant&, Variant&) {}
void TfrResolveScope::Aggregate(TfrAggregateKind, const std::string&, const std::string&, const std::string&,
                                Variant&) {}
void TfrResolveScope::OnUserFunction(const std::string&, const std::string&, const std::string&, const std::string&,
                                     Variant&) {}
void TfrResolveScope::SetScriptValue(const std::string& name, const Variant& value) {
  TfrVariables& variables = EngineVariables();
  if (int i = variables.IndexOf(name); i >= 0) {
    variables.SetValueAt(i, value);
  } else if (SetDictionaryValue(name, value)) {
    // the dictionary's variable
  } else if (SameText(name, "MODALRESULT")) {
    SetModalResult(value);
  } else if (SameText(name, "CURY")) {
    const std::int64_t y = value.AsInteger();
    SetCurY(static_cast<std::int32_t>(std::clamp<std::int64_t>(y, std::numeric_limits<std::int32_t>::min(),
                                                                std::numeric_limits<std::int32_t>::max())));
  } else if (SameText(name, "PROGRESS")) {
    ShowProgressText(value.AsText());
  } else if (SetPropertyValue(name, value)) {
    // the object's property
  } else {
    variables.Set(name, value);
  }
}
bool TfrResolveScope::SetDictionaryValue(const std::string&, const Variant&) { return false; }
void TfrResolveScope::SetModalResult(const Variant&) {}
void TfrResolveScope::SetCurY(std::int32_t) {}
void TfrResolveScope::ShowProgressText(const std::string&) {}
bool TfrResolveScope::SetPropertyValue(const std::string&, const Variant&) { return false; }
bool TfrResolveScope::ScriptCancelled() { return false; }

TfrPlainScope::TfrPlainScope() : runDate(Date()), runTime(Time()) {}

void TfrPlainScope::OnGetValue(const std::string& name, Variant& value) {
  if (onGetValue) onGetValue(name, value);
}

void TfrPlainScope::OnUserFunction(const std::string& name, const std::string& p1, const std::string& p2,
                                   const std::string& p3, Variant& result) {
  if (onUserFunction) onUserFunction(name, p1, p2, p3, result);
}

// ---- TfrResolver ----------------------------------------------------------

void TfrResolver::ResolveVariable(const std::string& name, Variant& value) {
  value = Variant();
  scope_.OnGetValue(name, value);
  if (!value.IsUnassigned()) return;

  const std::optional<TfrSpecialName> special = FindSpecialName(name);
  if (scope_.DictionaryValue(name, value)) {
    // the dictionary's value
  } else if (special && !IsLateSpecialName(*special)) {
    value = *special == TfrSpecialName::Value ? value_ : scope_.SpecialValue(*special);
  } else if (int i = EngineVariables().IndexOf(name); i >= 0) {
    value = EngineVariables().ValueAt(i);
  } else {
    value = Variant();
    if (special) {
      value = scope_.SpecialValue(*special);
    } else if (scope_.PropertyValue(name, value)) {
      // the property's value
    } else if (int c = EngineConstants().IndexOf(name); c >= 0) {
      value = EngineConstants().ValueAt(c);
    }
  }
  if (!value.IsUnassigned()) return;

  if (name != pending_) {
    PendingName guard(pending_, name);
    value = EngineParser().Evaluate(name);
  } else if (!scope_.RegistrationMode()) {
    throw Error("符号没定义"_gbk + " \"" + name + "\"");
  }
}

std::string TfrResolver::BracketValue(std::string_view bracket) {
  TfrBracketFormat format = scope_.CurrentFormat();
  std::string name(bracket);
  if (std::size_t at = name.find(" #"); at != std::string::npos) {
    ApplyBracketFormat(std::string_view(name).substr(at + 2), format.displayFormat, format.displayFormatText);
    name.resize(at);
  }
  bracketName_ = name;
  Variant value;
  ResolveVariable(name, value);
  value_ = value;
  if (format.hideZeros && !value.IsText()) {
    try {
      if (VarCompare(value, Variant(0)) == 0) value = Variant(std::string());
    } catch (const Error&) {
      // a value that cannot be compared with 0 is printed as it is
    }
  }
  if (scope_.RegistrationMode()) return {};
  return ApplyDisplayFormat(value, format.displayFormat, format.displayFormatText);
}

std::string TfrResolver::ExpandBrackets(std::string_view text) {
  std::string out;
  std::size_t done = 0;
  for (std::size_t open = FindBracket(text, 0); open != std::string_view::npos; open = FindBracket(text, done)) {
    const std::size_t end = BracketEnd(text, open);
    if (end == std::string_view::npos) break;
    out.append(text.substr(done, open - done));
    out += BracketValue(text.substr(open + 1, end - open - 2));
    done = end;
  }
  out.append(text.substr(done));
  return out;
}

std::vector<std::string> TfrResolver::ExpandMemo(const std::vector<std::string>& lines, bool textOnly) {
  std::vector<std::string> out;
  for (const std::string& line : lines) {
    const std::string expanded = textOnly ? line : ExpandBrackets(line);
    if (expanded.empty()) out.emplace_back();
    else AppendLines(out, expanded);
  }
  return out;
}

void TfrResolver::DispatchFunction(const std::string& name, const std::string& p1, const std::string& p2,
                                   const std::string& p3, Variant& result) {
  result = Variant("0");
  if (FunctionLibraries().Call(name, p1, p2, p3, result)) return;
  ReportFunctions(name, p1, p2, p3, result);
  scope_.OnUserFunction(name, p1, p2, p3, result);
}

void TfrResolver::ReportFunctions(const std::string& name, const std::string& p1, const std::string& p2,
                                  const std::string& p3, Variant& result) {
  if (name == "INC" || name == "DEC") {
    const std::string target = Trim(p1);
    Variant value;
    ResolveVariable(target, value);
    scope_.SetScriptValue(target, name == "INC" ? VarAdd(value, Variant(1)) : VarSubtract(value, Variant(1)));
  } else if (name == "SETARRAY" || name == "GETARRAY") {
    const std::string array = Trim(p1);
    TfrParser& parser = EngineParser();
    const Variant index = parser.Evaluate(p2);
    const bool set = name == "SETARRAY";
    if (array.find('.') != std::string::npos) {
      if (set) scope_.SetIndexProperty(array, index, parser.Evaluate(p3));
      else scope_.GetIndexProperty(array, index, result);
    } else if (set) {
      EngineVariables().Set(ArrayVariableName(array, index), parser.Evaluate(p3));
    } else {
      result = EngineVariables().Get(ArrayVariableName(array, index));
    }
  } else {
    scope_.ReportFunction(name, p1, p2, p3, result);
  }
}

std::string ArrayVariableName(std::string_view name, const Variant& index) {
  std::string key = "Arr_";
  key.append(name).append("_");
  if (index.IsText()) key += index.textValue();
  else key += IntToStr(RoundHalfEven64(VarToNumber(index)));
  return key;
}

// ---- binding ------------------------------------------------------------

TfrResolverBinding::TfrResolverBinding(TfrResolver& resolver)
    : previous_(g_active),
      previousValue_(std::move(EngineParser().OnGetValue)),
      previousFunction_(std::move(EngineParser().OnFunction)) {
  TfrParser& parser = EngineParser();
  parser.OnGetValue = [&resolver](const std::string& name, Variant& value) { resolver.ResolveVariable(name, value); };
  parser.OnFunction = [&resolver](const std::string& name, const std::string& p1, const std::string& p2,
                                  const std::string& p3, Variant& result) {
    resolver.DispatchFunction(name, p1, p2, p3, result);
  };
  g_active = &resolver;
}

TfrResolverBinding::~TfrResolverBinding() {
  TfrParser& parser = EngineParser();
  parser.OnGetValue = std::move(previousValue_);
  parser.OnFunction = std::move(previousFunction_);
  g_active = previous_;
}

TfrResolver* ActiveResolver() { return g_active; }

}  // namespace talven
