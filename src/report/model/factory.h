// The object factory, the engine-wide object counter and the registry of
// add-in object classes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

#include "base/error.h"
#include "report/model/view.h"

namespace talven {

// An add-in class name that no registered class has; the message is the
// engine's list of missing class names, each followed by a carriage return.
class TfrClassNotFound : public Error {
 public:
  using Error::Error;
};

struct TfrAddInEntry {
  std::type_index Class;
  std::string ClassName;
  std::function<std::unique_ptr<TfrView>()> Create;
  std::string Hint;  // for editing tools
  int Reserved = 0;
};

// The registry, in registration order. The rich-text class (TfrRichView,
// hint "55223") is registered before first use.
const std::vector<TfrAddInEntry>& AddIns();

// Appends an entry unless the class is registered already.
void RegisterAddIn(std::type_index cls, std::string className, std::function<std::unique_ptr<TfrView>()> create,
                   std::string hint);
template <class T>
void RegisterAddIn(std::string hint) {
  RegisterAddIn(typeid(T), T().ClassName(), [] { return std::make_unique<T>(); }, std::move(hint));
}

// Type 0 to 4: the class of the type code with its defaults. Type 10: the
// first registered add-in whose class name equals className exactly (letter
// case counts), with TypeCode 10; an unknown name sets the engine's
// missing-classes flag, appends the name and a carriage return to the
// missing-classes text and fails with TfrClassNotFound carrying that text.
// Any other code: no object. A created object takes the object counter as
// its ObjectId, and the counter moves on.
std::unique_ptr<TfrView> MakeObject(int typeCode, std::string_view className);

// The engine-wide object counter (the ObjectId the next object gets).
int ObjectCounter();

}  // namespace talven
