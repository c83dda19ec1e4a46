// Name resolution and function dispatch over a real report: the scope that a
// preparation binds the engine parser to.
//
// TfrReportScope answers what TfrResolver asks of a report: the host's
// OnGetValue and OnUserFunction events, the data dictionary (dictionary
// variables, field aliases, data-field references "dataset.field" with their
// owner prefixes, plain field names of the current band's database
// dataset), the special names read from the engine state (EngineState())
// and the report, object properties named in names, the report's own
// functions and object methods, indexed properties (SETARRAY/GETARRAY on
// "Memo1.Lines"), the aggregate functions, the script setter and the
// current object's display format. It owns its TfrResolver.
//
// TfrReportBinding is what a preparation holds while it runs: it starts the
// expression engine (libraries, model hooks) and points the engine parser at
// the report's resolution and dispatch.
#pragma once

#include <functional>
#include <string>

#include "base/variant.h"
#include "report/expr/resolver.h"
#include "report/model/stream.h"

namespace talven {

class ReportDataSet;
class TfrBand;
class TfrMemoView;
class TfrObject;
class TfrReport;

// What expressions reach above themselves; each is empty until its part
// installs it.
struct TfrReportHooks {
  // Prints a band at once (SHOWBAND); the band engine installs it. Empty:
  // SHOWBAND does nothing.
  std::function<void(TfrBand& band)> ShowBand;
  // The width a memo's text needs, given its expanded lines (CALCWIDTH);
  // text layout installs it. Empty: the memo's Width.
  std::function<int(TfrMemoView& memo, const TfrStrings& lines)> MemoWidth;
  // Lets pending window events run while a script works, so that the
  // progress window's cancel button is noticed; the band engine installs
  // it. Empty: nothing runs (headless).
  std::function<void()> ProcessMessages;
};
TfrReportHooks& ReportHooks();

// An object reached by a name, and the member (property or method) the name
// names on it: "Memo1.Visible" (Memo1, "Visible"), "Page2.Height" (the second
// page, "Height"), "Font.Name" and "Left" (the current object).
struct TfrNamedMember {
  TfrObject* Object = nullptr;
  std::string Member;
};

// A data-field reference resolved to its data set: the data set is null when
// no dataset is found for the reference; Field is -1 when the data set has no
// field of that name.
struct TfrFieldTarget {
  ReportDataSet* DataSet = nullptr;
  int Field = -1;
  std::string FieldName;
  // A plain field name, found in the current band's dataset: it may mean
  // another field in another band, so it is not cached.
  bool FromCurrentBand = false;
};

class TfrReportScope : public TfrResolveScope {
 public:
  explicit TfrReportScope(TfrReport& report);
  TfrReportScope(const TfrReportScope&) = delete;
  TfrReportScope& operator=(const TfrReportScope&) = delete;

  TfrReport& Report() { return report_; }
  TfrResolver& Resolver() { return resolver_; }

  // Fills the memo's OutputText with its lines expanded (TextOnly lines as
  // they stand; line breaks inside values start new lines). The memo becomes
  // the current object, so that its display format and HideZeros apply.
  void ExpandMemo(TfrMemoView& memo);

  // ---- what the script interpreter's setter needs
  // Whether the data dictionary knows the name: a cached field reference, a
  // dictionary variable, or a name that resolves to a data field.
  bool DictionaryKnows(const std::string& name);
  // The object and property a name reaches when the object has that
  // property (the property list filled on first need); else no object.
  TfrNamedMember FindNamedProperty(const std::string& name);
  // The object and method name of a call: an object name, a point and the
  // method, or a method of the current object. No object when there is no
  // current object.
  TfrNamedMember FindNamedMethod(const std::string& name);

  // A data-field reference after aliases: split at its last point outside
  // double quotes; the dataset part names a component seen from the report
  // (with owner prefixes); without a dataset part the field belongs to the
  // current band's database dataset.
  TfrFieldTarget FindField(const std::string& reference);

  // ---- TfrResolveScope
  void OnGetValue(const std::string& name, Variant& value) override;
  bool DictionaryValue(const std::string& name, Variant& value) override;
  Variant SpecialValue(TfrSpecialName name) override;
  bool PropertyValue(const std::string& name, Variant& value) override;
  int PageIndex() const override;
  int TotalPages() const override;
  TDateTime RunDate() const override;
  TDateTime RunTime() const override;
  bool InFinalPass() const override;
  bool RegistrationMode() const override;
  TfrBracketFormat CurrentFormat() const override;
  bool ReportFunction(const std::string& name, const std::string& p1, const std::string& p2, const std::string& p3,
                      Variant& result) override;
  void SetIndexProperty(const std::string& name, const Variant& index, const Variant& value) override;
  void GetIndexProperty(const std::string& name, const Variant& index, Variant& result) override;
  void Aggregate(TfrAggregateKind kind, const std::string& p1, const std::string& p2, const std::string& p3,
                 Variant& result) override;
  void OnUserFunction(const std::string& name, const std::string& p1, const std::string& p2, const std::string& p3,
                      Variant& result) override;
  // What scripts store, in the order of TfrResolveScope::SetScriptValue.
  bool SetDictionaryValue(const std::string& name, const Variant& value) override;
  void SetModalResult(const Variant& value) override;
  void SetCurY(std::int32_t y) override;
  void ShowProgressText(const std::string& text) override;
  bool SetPropertyValue(const std::string& name, const Variant& value) override;
  // Pending window events run (ReportHooks().ProcessMessages), then the
  // report's Cancelled flag answers.
  bool ScriptCancelled() override;

 private:
  // The object before the first point of a name: the PAGEn page, or the
  // object of that name; none when neither exists.
  TfrObject* NamedObject(std::string_view objectName) const;
  // The reference a name stands for after the dictionary's field aliases.
  std::string Unalias(const std::string& reference) const;
  int CalcWidth();

  TfrReport& report_;
  TfrResolver resolver_{*this};
  bool measuring_ = false;  // CALCWIDTH is expanding the memo's text
};

// Points the engine parser at a report for the binding's lifetime (the
// previous callbacks come back after); starts the expression engine first.
// The dictionary's cache of field references is emptied at both ends, so no
// reference outlives the preparation.
class TfrReportBinding {
 public:
  explicit TfrReportBinding(TfrReport& report);
  ~TfrReportBinding();
  TfrReportBinding(const TfrReportBinding&) = delete;
  TfrReportBinding& operator=(const TfrReportBinding&) = delete;

  TfrReportScope& Scope() { return scope_; }
  TfrResolver& Resolver() { return scope_.Resolver(); }

 private:
  TfrReportScope scope_;
  TfrResolverBinding binding_;
};

// Fills the memo's OutputText through the resolver the engine parser is
// bound to (see TfrReportScope::ExpandMemo); fails when none is bound.
void ExpandMemoView(TfrMemoView& memo);

// The engine start of expressions, idempotent: registers
// TDatabaseFunctionLibrary after the standard library and installs the
// model's Evaluate and ToPostfix hooks (the engine parser).
void StartExpressionEngine();

// The key of an aggregate accumulator: the printing band's name, the kind's
// character, the argument text and the flags text, each followed by the
// character 1; with a column field (a number, "0" for the registered entry
// of a cross-tab row) and the character 1 in front when given.
std::string AggregateKey(std::string_view bandName, TfrAggregateKind kind, std::string_view argument,
                         std::string_view flags, const std::string* column = nullptr);

// The data band kind an aggregate without a band argument runs over, for the
// kind of the band that prints it: master data for the report summary, page
// footer, master footer and group footer; detail data for the detail footer;
// subdetail data for the subdetail footer; cross data for the cross footer;
// -1 for every other kind.
int AggregateDataKind(int printingKind);

// Whether a horizontal band prints across cross-tab columns: it holds
// objects that belong to a vertical band.
bool IsCrossTabRow(const TfrBand& band);

}  // namespace talven
