#include "report/expr/report_scope.h"

#include "base/ui.h"

#include "base/convert.h"
#include "base/error.h"
#include "base/text.h"
#include "report/expr/database_functions.h"
#include "report/expr/functions.h"
#include "report/expr/parser.h"
#include "report/expr/values.h"
#include "report/model/band.h"
#include "report/model/band_view.h"
#include "report/model/dataset.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/model/report_data_set.h"
#include "report/model/variables.h"

namespace talven {

namespace {

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// The value of a resolved field, its data set opened first if needed.
Variant FieldValueOf(ReportDataSet& data, int field) {
  if (!data.Active()) data.Open();
  return ReportFieldValue(data, field);
}

// The band LINE# and LINETHROUGH# count in: the current band, or, when it
// walks no dataset, the first band of its kind.
const TfrBand* CountingBand() {
  const TfrBand* band = EngineState().CurrentBand;
  if (band != nullptr && band->BandDataset == nullptr)
    while (band->PrevBand != nullptr) band = band->PrevBand;
  return band;
}

}  // namespace

TfrReportHooks& ReportHooks() {
  static TfrReportHooks hooks;
  return hooks;
}

TfrReportScope::TfrReportScope(TfrReport& report) : report_(report) {}

namespace {

void ExpandMemoWith(TfrResolver& resolver, TfrMemoView& memo) {
  EngineState().CurrentObject = &memo;
  memo.OutputText = resolver.ExpandMemo(memo.Memo, (memo.Flags & flTextOnly) != 0);
}

}  // namespace

void TfrReportScope::ExpandMemo(TfrMemoView& memo) { ExpandMemoWith(resolver_, memo); }

void ExpandMemoView(TfrMemoView& memo) {
  TfrResolver* resolver = ActiveResolver();
  if (resolver == nullptr) throw Error("No report is being prepared");
  ExpandMemoWith(*resolver, memo);
}

// ---- the host's events ------------------------------------------------

void TfrReportScope::OnGetValue(const std::string& name, Variant& value) {
  if (report_.OnGetValue) report_.OnGetValue(name, value);
}

void TfrReportScope::OnUserFunction(const std::string& name, const std::string& p1, const std::string& p2,
                                    const std::string& p3, Variant& result) {
  if (report_.OnUserFunction) report_.OnUserFunction(name, Variant(p1), Variant(p2), Variant(p3), result);
}

// ---- the data dictionary ----------------------------------------------

std::string TfrReportScope::Unalias(const std::string& reference) const {
  const TfrVariables& aliases = report_.Dictionary.FieldAliasList;
  const Variant whole = aliases.Get(reference);
  return whole.IsText() && !whole.textValue().empty() ? whole.textValue() : reference;
}

TfrFieldTarget TfrReportScope::FindField(const std::string& reference) {
  TfrFieldTarget target;
  std::string dataset, field;
  SplitFieldReference(Unalias(reference), dataset, field);
  if (field.empty()) return target;
  if (dataset.empty()) {
    // A plain field name: the current band's database dataset (a user
    // dataset has no fields).
    const TfrBand* band = EngineState().CurrentBand;
    if (band != nullptr && band->BandDataset != nullptr) target.DataSet = band->BandDataset->FieldData();
    target.FromCurrentBand = true;
  } else {
    const Variant alias = report_.Dictionary.FieldAliasList.Get(dataset);
    if (alias.IsText() && !alias.textValue().empty()) dataset = alias.textValue();
    if (TfrComponent* component = FindComponentByPath(report_, dataset)) target.DataSet = component->FieldData();
  }
  target.FieldName = field;
  if (target.DataSet != nullptr) {
    // A data set may know its fields only once it is open.
    if (!target.DataSet->Active()) target.DataSet->Open();
    target.Field = target.DataSet->FieldIndex(field);
    if (target.Field >= 0) target.FieldName = target.DataSet->FieldNames()[static_cast<std::size_t>(target.Field)];
  }
  return target;
}

bool TfrReportScope::DictionaryKnows(const std::string& name) {
  const TfrDataDictionary& d = report_.Dictionary;
  if (d.Cache.count(UpperCase(name)) != 0) return true;
  if (!name.empty() && name.front() != ' ' && d.VariableList.Contains(name)) return true;
  const TfrFieldTarget target = FindField(name);
  return target.DataSet != nullptr && target.Field >= 0;
}

bool TfrReportScope::DictionaryValue(const std::string& name, Variant& value) {
  TfrDataDictionary& d = report_.Dictionary;
  const std::string key = UpperCase(name);
  if (auto cached = d.Cache.find(key); cached != d.Cache.end()) {
    value = FieldValueOf(*cached->second.DataSet, cached->second.Field);
    return true;
  }
  auto remember = [&](const TfrFieldTarget& t) {
    if (!t.FromCurrentBand) d.Cache[key] = TfrDataFieldRef{nullptr, t.DataSet, t.Field, t.FieldName};
    value = FieldValueOf(*t.DataSet, t.Field);
    return true;
  };
  // A name beginning with a blank is a category heading, not a variable.
  if (const int i = name.empty() || name.front() == ' ' ? -1 : d.VariableList.IndexOf(name); i >= 0) {
    if (const int e = EngineVariables().IndexOf(name); e >= 0) {
      value = EngineVariables().ValueAt(e);
      return true;
    }
    const Variant stored = d.VariableList.ValueAt(i);
    if (!stored.IsText() || stored.textValue().empty()) {
      value = stored;
      return true;
    }
    // Dictionary variables hold expressions; one that names a data field
    // is remembered as that field.
    const std::string text = stored.textValue();
    if (text.find('.') != std::string::npos) {
      const TfrFieldTarget t = FindField(text);
      if (t.DataSet != nullptr && t.Field >= 0 && !t.FromCurrentBand) return remember(t);
    }
    value = EngineParser().Evaluate(text);
    return true;
  }
  const TfrFieldTarget t = FindField(name);
  if (t.DataSet == nullptr || t.Field < 0) return false;
  return remember(t);
}

// ---- special names and the preparation state ---------------------------

int TfrReportScope::PageIndex() const { return EngineState().PageIndex; }
int TfrReportScope::TotalPages() const { return EngineState().TotalPages; }
TDateTime TfrReportScope::RunDate() const { return EngineState().RunDate; }
TDateTime TfrReportScope::RunTime() const { return EngineState().RunTime; }
bool TfrReportScope::InFinalPass() const { return report_.InFinalPass; }
bool TfrReportScope::RegistrationMode() const { return EngineState().RegistrationMode; }

TfrBracketFormat TfrReportScope::CurrentFormat() const {
  const TfrView* view = EngineState().CurrentObject;
  if (view == nullptr) return {};
  const auto* memo = dynamic_cast<const TfrMemoView*>(view);
  return {view->DisplayFormat, view->DisplayFormatText, memo != nullptr && (memo->Flags & flHideZeros) != 0};
}

int TfrReportScope::CalcWidth() {
  TfrView* view = EngineState().CurrentObject;
  if (view == nullptr) return 0;
  auto* memo = dynamic_cast<TfrMemoView*>(view);
  // A memo that asks for its own width inside its text gets its design
  // width there instead of measuring itself without end.
  if (memo == nullptr || !ReportHooks().MemoWidth || measuring_) return view->Width;
  measuring_ = true;
  try {
    const TfrStrings lines = resolver_.ExpandMemo(memo->Memo, (memo->Flags & flTextOnly) != 0);
    measuring_ = false;
    return ReportHooks().MemoWidth(*memo, lines);
  } catch (...) {
    measuring_ = false;
    throw;
  }
}

Variant TfrReportScope::SpecialValue(TfrSpecialName name) {
  const PrepareState& state = EngineState();
  const TfrReportInfo& info = report_.Info;
  const TfrPage* page = state.CurrentPage;
  switch (name) {
    case TfrSpecialName::Value: return resolver_.Value();
    case TfrSpecialName::PageNo: return state.PageIndex + 1;
    case TfrSpecialName::Date: return Variant::FromDateTime(state.RunDate);
    case TfrSpecialName::Time: return Variant::FromDateTime(state.RunTime);
    case TfrSpecialName::LineNo: {
      const TfrBand* band = CountingBand();
      return band != nullptr ? band->LineNo : 0;
    }
    case TfrSpecialName::LineThroughNo: {
      const TfrBand* band = CountingBand();
      return band != nullptr ? band->LineThroughNo : 0;
    }
    case TfrSpecialName::ColumnNo: return page != nullptr ? page->CrossColumn : 0;
    case TfrSpecialName::CurrentNo: return page != nullptr ? page->PagePosition : 0;
    case TfrSpecialName::TotalPages: return state.TotalPages;
    case TfrSpecialName::ReportComment: return info.InfoComment;
    case TfrSpecialName::ReportName: return info.InfoName;
    case TfrSpecialName::ReportAuthor: return info.InfoAuthor;
    case TfrSpecialName::VersionMajor: return info.InfoVersionMajor;
    case TfrSpecialName::VersionMinor: return info.InfoVersionMinor;
    case TfrSpecialName::VersionRelease: return info.InfoVersionRelease;
    case TfrSpecialName::VersionBuild: return info.InfoVersionBuild;
    case TfrSpecialName::ReportDate: return Variant::FromDateTime(info.InfoCreated);
    case TfrSpecialName::ReportLastChange: return Variant::FromDateTime(info.InfoModified);
    case TfrSpecialName::CalcWidth: return CalcWidth();
    case TfrSpecialName::CurY: return page != nullptr ? page->PrintY : 0;
    case TfrSpecialName::FreeSpace: return page != nullptr ? page->BottomY - page->PrintY : 0;
    case TfrSpecialName::FinalPass: return report_.InFinalPass;
    case TfrSpecialName::PageHeight: return page != nullptr ? page->BottomY : 0;
    case TfrSpecialName::PageWidth: return page != nullptr ? page->RightLimit() : 0;
  }
  return {};
}

// ---- objects in names -------------------------------------------------

TfrObject* TfrReportScope::NamedObject(std::string_view objectName) const {
  // "PAGE" and a number: the page of that number from 1. A name that goes on
  // after the digits ("Page1Title") is an object's name.
  if (objectName.size() > 4 && SameText(objectName.substr(0, 4), "PAGE") && objectName[4] >= '0' &&
      objectName[4] <= '9' && AllDigits(objectName.substr(4))) {
    const std::optional<std::int32_t> n = TryStrToInt(objectName.substr(4));
    if (!n || *n < 1 || *n > report_.TemplatePages.Count()) return nullptr;
    return &report_.TemplatePages[*n - 1];
  }
  return report_.ObjectByName(objectName);
}

TfrNamedMember TfrReportScope::FindNamedProperty(const std::string& name) {
  TfrView* current = EngineState().CurrentObject;
  if (const std::size_t dot = name.find('.'); dot != std::string::npos) {
    if (TfrObject* object = NamedObject(std::string_view(name).substr(0, dot))) {
      std::string property = name.substr(dot + 1);
      if (object->HasProperty(property)) return {object, std::move(property)};
      return {};
    }
  }
  // "Font.Name", or a name without a point: a property of the current object.
  if (current != nullptr && current->HasProperty(name)) return {current, name};
  return {};
}

TfrNamedMember TfrReportScope::FindNamedMethod(const std::string& name) {
  if (const std::size_t dot = name.find('.'); dot != std::string::npos)
    if (TfrObject* object = NamedObject(std::string_view(name).substr(0, dot))) return {object, name.substr(dot + 1)};
  TfrView* current = EngineState().CurrentObject;
  if (current == nullptr) return {};
  return {current, name};
}

bool TfrReportScope::PropertyValue(const std::string& name, Variant& value) {
  const TfrNamedMember member = FindNamedProperty(name);
  if (member.Object == nullptr) return false;
  value = member.Object->GetPropertyValue(member.Member);
  return true;
}

void TfrReportScope::SetIndexProperty(const std::string& name, const Variant& index, const Variant& value) {
  const TfrNamedMember member = FindNamedMethod(name);
  if (member.Object != nullptr)
    member.Object->CallMethod("SETINDEXPROPERTY", Variant(UpperCase(member.Member)), index, value);
}

void TfrReportScope::GetIndexProperty(const std::string& name, const Variant& index, Variant& result) {
  const TfrNamedMember member = FindNamedMethod(name);
  if (member.Object != nullptr)
    result = member.Object->CallMethod("GETINDEXPROPERTY", Variant(UpperCase(member.Member)), index, Variant());
}

// ---- the report's own functions ---------------------------------------

bool TfrReportScope::ReportFunction(const std::string& name, const std::string& p1, const std::string& p2,
                                    const std::string& p3, Variant& result) {
  PrepareState& state = EngineState();
  if (name == "STOPREPORT") {
    report_.Cancelled = true;
  } else if (name == "NEWPAGE" || name == "NEWCOLUMN") {
    if (TfrBand* band = state.CurrentBand) ++(name == "NEWPAGE" ? band->NewPageRequests : band->NewColumnRequests);
  } else if (name == "SHOWBAND") {
    // The first band of that name on the current page, kind by kind and
    // along each kind's chain.
    const std::string wanted = Trim(p1);
    TfrPage* page = state.CurrentPage;
    if (page == nullptr || wanted.empty()) return true;
    for (TfrBand* first : page->KindBands)
      for (TfrBand* band = first; band != nullptr; band = band->NextBand)
        if (band->BandView != nullptr && SameText(band->BandView->Name, wanted)) {
          if (ReportHooks().ShowBand) ReportHooks().ShowBand(*band);
          return true;
        }
  } else {
    // An object method; without an object the result stays "0".
    const TfrNamedMember member = FindNamedMethod(name);
    if (member.Object == nullptr) return false;
    result = member.Object->CallMethod(member.Member, Variant(p1), Variant(p2), Variant(p3));
  }
  return true;
}

// ---- what scripts store ----------------------------------------------

bool TfrReportScope::SetDictionaryValue(const std::string& name, const Variant& value) {
  if (!DictionaryKnows(name)) return false;
  TfrDataDictionary& d = report_.Dictionary;
  // A variable takes the value (and is no longer a field reference); a data
  // field is read-only.
  if (!name.empty() && name.front() != ' ' && d.VariableList.Contains(name)) {
    d.VariableList.Set(name, value);
    d.Cache.erase(UpperCase(name));
  }
  return true;
}

void TfrReportScope::SetModalResult(const Variant& value) {
  TfrPage* page = EngineState().CurrentPage;
  if (page != nullptr && page->Type == ptDialog) page->ModalResult = static_cast<int>(value.AsInteger());
}

void TfrReportScope::SetCurY(std::int32_t y) {
  PrepareState& state = EngineState();
  // After NEWPAGE or NEWCOLUMN in the same script the band engine puts the
  // position back once it has carried out the breaks.
  if (TfrBand* band = state.CurrentBand; band != nullptr && (band->NewPageRequests > 0 || band->NewColumnRequests > 0))
    band->RestoreY = true;
  if (state.CurrentPage != nullptr) state.CurrentPage->PrintY = y;
}

void TfrReportScope::ShowProgressText(const std::string& text) { CurrentUi().ShowProgressText(text); }

bool TfrReportScope::ScriptCancelled() {
  if (ReportHooks().ProcessMessages) ReportHooks().ProcessMessages();
  return report_.Cancelled;
}

bool TfrReportScope::SetPropertyValue(const std::string& name, const Variant& value) {
  const TfrNamedMember member = FindNamedProperty(name);
  if (member.Object == nullptr) return false;
  member.Object->SetPropertyValue(member.Member, value);
  return true;
}

// ---- aggregates -------------------------------------------------------

std::string AggregateKey(std::string_view bandName, TfrAggregateKind kind, std::string_view argument,
                         std::string_view flags, const std::string* column) {
  std::string key;
  if (column != nullptr) key.append(*column).push_back('\x01');
  key.append(bandName).push_back('\x01');
  key.push_back(static_cast<char>(kind));
  key.push_back('\x01');
  key.append(argument).push_back('\x01');
  key.append(flags).push_back('\x01');
  return key;
}

int AggregateDataKind(int printingKind) {
  switch (printingKind) {
    case btReportSummary:
    case btPageFooter:
    case btMasterFooter:
    case btGroupFooter: return btMasterData;
    case btDetailFooter: return btDetailData;
    case btSubDetailFooter: return btSubDetailData;
    case btCrossFooter: return btCrossData;
    default: return -1;
  }
}

bool IsCrossTabRow(const TfrBand& band) {
  if (IsVerticalBand(band.Kind)) return false;
  for (const TfrView* view : band.Objects)
    if (view->ParentBand != nullptr && view->ParentBand != &band && IsVerticalBand(view->ParentBand->Kind))
      return true;
  return false;
}

void TfrReportScope::Aggregate(TfrAggregateKind kind, const std::string& p1, const std::string& p2,
                               const std::string& p3, Variant& result) {
  PrepareState& state = EngineState();
  TfrBand* printing = state.CurrentBand;
  if (printing == nullptr) return;
  // SUM, AVG, MIN, MAX (expression, band, flags); COUNT (band, flags). The
  // key holds the first argument as written either way.
  const bool count = kind == TfrAggregateKind::Count;
  const std::string& bandArgument = count ? p1 : p2;
  const std::string& flags = count ? p2 : p3;

  if (state.RegistrationMode) {
    TfrBand* target = state.AggregateTarget;
    if (target == nullptr) return;
    const std::string band = Trim(bandArgument);
    const bool mine =
        band.empty() ? AggregateDataKind(printing->Kind) == target->Kind : SameText(band, target->Name);
    if (!mine) return;
    const std::string registered = "0";
    const bool perColumn = printing->Kind != btCrossFooter && IsCrossTabRow(*printing);
    target->Aggregates.Set(AggregateKey(printing->Name, kind, p1, flags, perColumn ? &registered : nullptr),
                           kind == TfrAggregateKind::Min ? Variant(1e300) : Variant(0));
    printing->AggregateSource = target;
    return;
  }

  // A cell of the cross data band prints for the row band that is its
  // aggregate source meanwhile, one accumulator per column; so does a
  // cross-tab row band itself.
  TfrBand* row = printing;
  bool perColumn = false;
  if (printing->Kind == btCrossData) {
    if (printing->AggregateSource == nullptr) return;
    row = printing->AggregateSource;
    perColumn = true;
  } else {
    perColumn = printing->Kind != btCrossFooter && IsCrossTabRow(*printing);
  }
  const TfrBand* source = row->AggregateSource;
  if (source == nullptr) return;
  const TfrPage* page = state.CurrentPage != nullptr ? state.CurrentPage : row->OwnerPage;
  const std::string column = IntToStr(page != nullptr ? page->CrossColumn : 1);
  const int i = source->Aggregates.IndexOf(AggregateKey(row->Name, kind, p1, flags, perColumn ? &column : nullptr));
  if (i < 0) return;
  const Variant stored = source->Aggregates.ValueAt(i);
  if (kind != TfrAggregateKind::Avg) result = stored;
  else result = source->AggregateCount > 0 ? Variant(VarToNumber(stored) / source->AggregateCount) : Variant(0.0);
}

// ---- engine start and binding -----------------------------------------

void StartExpressionEngine() {
  FunctionLibraries().Register<TDatabaseFunctionLibrary>();
  EngineHooks& hooks = Hooks();
  hooks.Evaluate = [](const std::string& expression) { return EngineParser().Evaluate(expression); };
  hooks.ToPostfix = [](const std::string& expression) { return EngineParser().ToPostfix(expression); };
}

TfrReportBinding::TfrReportBinding(TfrReport& report) : scope_(report), binding_(scope_.Resolver()) {
  StartExpressionEngine();
  report.Dictionary.Cache.clear();
}

TfrReportBinding::~TfrReportBinding() { scope_.Report().Dictionary.Cache.clear(); }

}  // namespace talven
