// Name resolution and function dispatch for the report being prepared.
//
// TfrResolver holds the engine's fixed search order for a name
// (ResolveVariable), bracket formatting (BracketValue), bracket expansion
// and function dispatch. Everything it needs of the report, its pages,
// bands and objects and of the host's events comes through a
// TfrResolveScope, so that the resolution itself does not depend on the
// object model: the report engine implements the scope over the real
// objects, and tests and `talven eval` use TfrPlainScope.
//
// The resolver works on the engine parser: while a TfrResolverBinding is
// alive, EngineParser()'s value callback is ResolveVariable and its function
// callback DispatchFunction.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "base/variant.h"

namespace talven {

// The names the engine answers itself, only in exactly this upper-case form.
// The names from CurY on are tried only after the engine variables.
enum class TfrSpecialName {
  Value,             // "VALUE": the value BracketValue obtained last
  PageNo,            // "PAGE#": PageIndex + 1
  Date,              // "DATE": RunDate
  Time,              // "TIME": RunTime
  LineNo,            // "LINE#"
  LineThroughNo,     // "LINETHROUGH#"
  ColumnNo,          // "COLUMN#"
  CurrentNo,         // "CURRENT#"
  TotalPages,        // "TOTALPAGES"
  ReportComment,     // "REPORTCOMMENT"
  ReportName,        // "REPORTNAME"
  ReportAuthor,      // "REPORTAUTOR"
  VersionMajor,      // "VMAJOR"
  VersionMinor,      // "VMINOR"
  VersionRelease,    // "VRELEASE"
  VersionBuild,      // "VBUILD"
  ReportDate,        // "REPORTDATE"
  ReportLastChange,  // "REPORTLASTCHANGE"
  CalcWidth,         // "CALCWIDTH"
  CurY,              // "CURY"
  FreeSpace,         // "FREESPACE"
  FinalPass,         // "FINALPASS"
  PageHeight,        // "PAGEHEIGHT"
  PageWidth,         // "PAGEWIDTH"
};
std::optional<TfrSpecialName> FindSpecialName(std::string_view name);
constexpr bool IsLateSpecialName(TfrSpecialName n) { return n >= TfrSpecialName::CurY; }

// The aggregate functions, with the character codes their accumulator keys
// use.
enum class TfrAggregateKind : char { Sum = 11, Min = 12, Max = 13, Avg = 14, Count = 15 };

// The display settings of the object whose bracket is being printed.
struct TfrBracketFormat {
  std::int32_t displayFormat = 0;
  std::string displayFormatText;
  bool hideZeros = false;
};

// What resolution and dispatch need of the report being prepared. Every
// operation has a neutral default, so a scope overrides only what it has.
class TfrResolveScope {
 public:
  virtual ~TfrResolveScope() = default;

  // ---- values, in the order ResolveVariable asks for them
  // The host's OnGetValue, with the name exactly as it arrived; leaving the
  // value unassigned passes the name on.
  virtual void OnGetValue(const std::string& name, Variant& value);
  // The data dictionary: true when it knows the name (field references,
  // aliases, dictionary variables evaluated as expressions).
  virtual bool DictionaryValue(const std::string& name, Variant& value);
  // A special name other than VALUE. The default answers PAGE#, DATE, TIME,
  // TOTALPAGES and FINALPASS from the state below; the names that read the
  // report, page, band or object give 0, or the empty text for the report's
  // information texts.
  virtual Variant SpecialValue(TfrSpecialName name);
  // A property of an object named by the name (Memo1.Left, Page2.Height)
  // or of the current object: true when there is one.
  virtual bool PropertyValue(const std::string& name, Variant& value);

  // ---- the engine's preparation state
  virtual int PageIndex() const { return 0; }
  virtual int TotalPages() const { return 0; }
  virtual TDateTime RunDate() const { return 0; }
  virtual TDateTime RunTime() const { return 0; }
  virtual bool InFinalPass() const { return true; }
  // Aggregate registration: undefined names stay unassigned and brackets
  // print nothing.
  virtual bool RegistrationMode() const { return false; }
  // DisplayFormat, DisplayFormatText and HideZeros of the current object.
  virtual TfrBracketFormat CurrentFormat() const { return {}; }

  // ---- functions, in the order DispatchFunction tries them (after the
  // function libraries and the engine's INC, DEC, SETARRAY and GETARRAY)
  // STOPREPORT, NEWPAGE, NEWCOLUMN, SHOWBAND and object methods: true when
  // handled. The default handles nothing, so the result stays "0".
  virtual bool ReportFunction(const std::string& name, const std::string& p1, const std::string& p2,
                              const std::string& p3, Variant& result);
  // SETARRAY and GETARRAY on a name with a point: the indexed property of
  // the object the name stands for (CallMethod SETINDEXPROPERTY and
  // GETINDEXPROPERTY). The defaults do nothing.
  virtual void SetIndexProperty(const std::string& name, const Variant& index, const Variant& value);
  virtual void GetIndexProperty(const std::string& name, const Variant& index, Variant& result);
  // SUM, AVG, MIN, MAX (expression, band, flags) and COUNT (band, flags).
  // The default leaves the result as it is ("0").
  virtual void Aggregate(TfrAggregateKind kind, const std::string& p1, const std::string& p2,
                         const std::string& p3, Variant& result);
  // The report's OnUserFunction, called after the report's own functions.
  virtual void OnUserFunction(const std::string& name, const std::string& p1, const std::string& p2,
                              const std::string& p3, Variant& result);

  // ---- what scripts store
  // The script interpreter's value setter (TInterpretator, interpreter.h):
  // script assignments and INC and DEC store here, the name as written. The
  // default takes these steps in turn, over the hooks below:
  //   1. an engine variable of that name (any letter case) is set;
  //   2. else a name the dictionary knows: SetDictionaryValue;
  //   3. else MODALRESULT (any letter case): SetModalResult;
  //   4. else CURY (any letter case): SetCurY with the value as an integer;
  //   5. else PROGRESS (any letter case): ShowProgressText with its text;
  //   6. else an object property the name names: SetPropertyValue;
  //   7. else the engine variable is created.
  virtual void SetScriptValue(const std::string& name, const Variant& value);
  // The data dictionary: true when it knows the name and has set its
  // variable. The default knows none.
  virtual bool SetDictionaryValue(const std::string& name, const Variant& value);
  // The modal result of the dialog page being prepared, the value read as
  // an integer; nothing on any other page. The default does nothing.
  virtual void SetModalResult(const Variant& value);
  // CurY of the current page; when the current band has page or column
  // breaks pending (NewPageRequests or NewColumnRequests above 0), also its
  // RestoreY, so that the band engine puts the position back after the
  // breaks. The default does nothing.
  virtual void SetCurY(std::int32_t y);
  // The second line of the progress window, after which pending window
  // messages run. The default does nothing.
  virtual void ShowProgressText(const std::string& text);
  // A property of an object named by the name (the rule of PropertyValue):
  // true when the object has it and has taken the value. The default has
  // no objects.
  virtual bool SetPropertyValue(const std::string& name, const Variant& value);

  // Asked by a running script every few thousand steps: true stops it. The
  // default never stops.
  virtual bool ScriptCancelled();
};

// A scope without a report: the host's events as callbacks and the
// preparation state as plain fields. RunDate and RunTime start as the
// moment of construction.
class TfrPlainScope : public TfrResolveScope {
 public:
  TfrPlainScope();

  std::function<void(const std::string& name, Variant& value)> onGetValue;
  std::function<void(const std::string& name, const std::string& p1, const std::string& p2, const std::string& p3,
                     Variant& result)>
      onUserFunction;
  int pageIndex = 0;
  int totalPages = 0;
  TDateTime runDate = 0;
  TDateTime runTime = 0;
  bool finalPass = true;
  bool registrationMode = false;
  TfrBracketFormat format;

  void OnGetValue(const std::string& name, Variant& value) override;
  void OnUserFunction(const std::string& name, const std::string& p1, const std::string& p2, const std::string& p3,
                      Variant& result) override;
  int PageIndex() const override { return pageIndex; }
  int TotalPages() const override { return totalPages; }
  TDateTime RunDate() const override { return runDate; }
  TDateTime RunTime() const override { return runTime; }
  bool InFinalPass() const override { return finalPass; }
  bool RegistrationMode() const override { return registrationMode; }
  TfrBracketFormat CurrentFormat() const override { return format; }
};

class TfrResolver {
 public:
  explicit TfrResolver(TfrResolveScope& scope) : scope_(scope) {}
  TfrResolver(const TfrResolver&) = delete;
  TfrResolver& operator=(const TfrResolver&) = delete;

  TfrResolveScope& Scope() { return scope_; }

  // The value of a name, searched in this order: the host's OnGetValue; the
  // dictionary; the special names VALUE ... CALCWIDTH; the engine variables
  // (any letter case); CURY ... PAGEWIDTH; an object property; the engine
  // constants (any letter case). A name still without a value is evaluated
  // as an expression; when that evaluation comes back to the same name, the
  // name is undefined: "符号没定义 "NAME"" (in registration mode the value
  // stays unassigned).
  void ResolveVariable(const std::string& name, Variant& value);

  // The printed text of a bracket's inner text: the name (or expression)
  // with an optional " #" format part, resolved, then formatted by
  // the current object's display format.
  std::string BracketValue(std::string_view bracket);

  // Replaces every bracketed part of the text by its BracketValue; inserted
  // text is not expanded again. An opening bracket without its closing one
  // stays as it is, with the rest of the text.
  std::string ExpandBrackets(std::string_view text);

  // The output lines of a memo: each line expanded (unless textOnly), an
  // empty result giving one empty line, and line breaks inside inserted
  // values starting new lines.
  std::vector<std::string> ExpandMemo(const std::vector<std::string>& lines, bool textOnly);

  // A function call from an expression: the result starts as "0"; the
  // function libraries are offered the call in turn; when none takes it,
  // the engine's own functions run (INC, DEC, SETARRAY, GETARRAY, then the
  // scope's report functions), then the scope's OnUserFunction.
  void DispatchFunction(const std::string& name, const std::string& p1, const std::string& p2,
                        const std::string& p3, Variant& result);

  // "VALUE": the value BracketValue obtained last.
  const Variant& Value() const { return value_; }
  // The name part of the bracket being printed.
  const std::string& BracketName() const { return bracketName_; }

 private:
  void ReportFunctions(const std::string& name, const std::string& p1, const std::string& p2,
                       const std::string& p3, Variant& result);

  TfrResolveScope& scope_;
  std::string pending_;
  Variant value_;
  std::string bracketName_;
};

// Points the engine parser's callbacks at a resolver, and makes it the
// active one, for the binding's lifetime; the previous ones come back after.
class TfrResolverBinding {
 public:
  explicit TfrResolverBinding(TfrResolver& resolver);
  ~TfrResolverBinding();
  TfrResolverBinding(const TfrResolverBinding&) = delete;
  TfrResolverBinding& operator=(const TfrResolverBinding&) = delete;

 private:
  TfrResolver* previous_;
  std::function<void(const std::string&, Variant&)> previousValue_;
  std::function<void(const std::string&, const std::string&, const std::string&, const std::string&, Variant&)>
      previousFunction_;
};

// The resolver the engine parser is bound to, or null.
TfrResolver* ActiveResolver();

// The engine variable of an array element: "Arr_" name "_" index, the index
// a text as it is, any other value its integer in decimal.
std::string ArrayVariableName(std::string_view name, const Variant& index);

}  // namespace talven
