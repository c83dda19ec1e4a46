// Function libraries: the functions that expressions call by name beyond
// the parser's own (COPY, IF, STRTODATE, STRTOTIME).
//
// A library lists the upper-case names it handles and computes them in
// DoFunction from the argument texts; it evaluates an argument with the
// engine parser only when it needs its value. The engine keeps one ordered
// table of at most 64 libraries, one instance per library class, and offers
// every call to them in order (see TfrResolver::DispatchFunction).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"

namespace talven {

class TfrFunctionLibrary {
 public:
  virtual ~TfrFunctionLibrary() = default;

  // Looks the name up (any letter case); when found, runs DoFunction with
  // its index and answers true.
  bool OnFunction(std::string_view name, const std::string& p1, const std::string& p2, const std::string& p3,
                  Variant& result);
  virtual void DoFunction(int index, const std::string& p1, const std::string& p2, const std::string& p3,
                          Variant& result) = 0;

  // The upper-case names, in the order DoFunction receives their index.
  const std::vector<std::string>& List() const { return list_; }

  // For design tools: a category and a description per function; functions
  // without a description are not listed.
  struct Description {
    std::string name, category, description;
  };
  const std::vector<Description>& Descriptions() const { return descriptions_; }

 protected:
  void AddFunction(std::string name) { list_.push_back(std::move(name)); }
  void AddFunctionDesc(std::string_view name, std::string_view category, std::string_view description);

 private:
  std::vector<std::string> list_;
  std::vector<Description> descriptions_;
};

// One entry of the design-tool list of all registered libraries.
struct TfrInstalledFunction {
  std::string libraryClass, name, category, description;
};

// The engine's library table. It starts with TfrStdFunctionLibrary
// registered.
class TfrFunctionLibraries {
 public:
  static constexpr std::size_t kMaxLibraries = 64;

  // Creates one instance and appends it, unless a library of that class is
  // registered already. A 65th library fails with an error.
  template <class Library>
  void Register() {
    Register(Library::kClassName, [] { return std::make_unique<Library>(); });
  }
  template <class Library>
  void Unregister() {
    Unregister(Library::kClassName);
  }
  void Register(std::string_view className, const std::function<std::unique_ptr<TfrFunctionLibrary>()>& create);
  // Frees the instance, drops its design-tool entries and closes the gap.
  void Unregister(std::string_view className);

  // The first library (in table order) whose OnFunction takes the call.
  bool Call(std::string_view name, const std::string& p1, const std::string& p2, const std::string& p3,
            Variant& result);

  std::size_t Count() const { return libraries_.size(); }
  TfrFunctionLibrary& At(std::size_t i) { return *libraries_[i].instance; }
  const std::string& ClassNameAt(std::size_t i) const { return libraries_[i].className; }
  // The design-tool entries of every registered library, in table order.
  std::vector<TfrInstalledFunction> Installed() const;

 private:
  struct Entry {
    std::string className;
    std::unique_ptr<TfrFunctionLibrary> instance;
  };
  std::vector<Entry> libraries_;
};

TfrFunctionLibraries& FunctionLibraries();

// AVG COUNT DAYOF FORMATDATETIME FORMATFLOAT FORMATTEXT INPUT LENGTH
// LOWERCASE MAX MAXNUM MESSAGEBOX MIN MINNUM MONTHOF NAMECASE POS SUM TRIM
// UPPERCASE YEAROF. Every argument is evaluated before use; an argument used
// as text is its value's text. The aggregates (SUM, AVG, MIN, MAX, COUNT)
// go to the active resolver's scope; INPUT and MESSAGEBOX to the Ui seam.
class TfrStdFunctionLibrary : public TfrFunctionLibrary {
 public:
  static constexpr const char* kClassName = "TfrStdFunctionLibrary";
  TfrStdFunctionLibrary();
  void DoFunction(int index, const std::string& p1, const std::string& p2, const std::string& p3,
                  Variant& result) override;
};

}  // namespace talven
