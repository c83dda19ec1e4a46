// The pieces of the template text form that other text forms share (the
// prepared-report text form builds its objects through them): texts, the
// field reader with its checks, and report objects as JSON values.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include <nlohmann/json.hpp>

#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/view.h"

namespace talven {

using TfrJson = nlohmann::ordered_json;

namespace json_form {

// A GBK text as a JSON string, or {"bytes": base64} when it is not valid
// GBK; and back, failing with an Error at `path`.
TfrJson TextJson(const std::string& text);
std::string GbkOf(const TfrJson& j, const std::string& path);

// Fails with an Error "<path>: <what>".
[[noreturn]] void Fail(const std::string& path, const std::string& what);

// The fields of one JSON object, taken one by one; whatever is left at the
// end is a field the target does not have.
class Fields {
 public:
  Fields(const TfrJson& j, std::string path) : j_(j), path_(std::move(path)) {
    if (!j_.is_object()) Fail(path_, "expected an object");
  }

  const std::string& Path() const { return path_; }
  std::string PathOf(const std::string& key) const { return path_ + "." + key; }

  const TfrJson* Take(const std::string& key) {
    auto it = j_.find(key);
    if (it == j_.end()) return nullptr;
    used_.push_back(key);
    return &*it;
  }

  template <class T>
  void Int(const std::string& key, T& target) {
    if (const TfrJson* v = Take(key)) target = IntOf<T>(*v, PathOf(key));
  }
  void Bool(const std::string& key, bool& target) {
    if (const TfrJson* v = Take(key)) {
      if (!v->is_boolean()) Fail(PathOf(key), "expected true or false");
      target = v->get<bool>();
    }
  }
  template <class T>
  void Real(const std::string& key, T& target) {
    const TfrJson* v = Take(key);
    if (v == nullptr) return;
    if (v->is_number()) {
      target = static_cast<T>(v->get<double>());
      return;
    }
    const std::string path = PathOf(key);
    if (!v->is_object() || v->size() != 1 || !v->contains("bits") || !(*v)["bits"].is_string())
      Fail(path, "expected a number");
    const std::string& hex = (*v)["bits"].get_ref<const std::string&>();
    if (hex.size() != 18 || !hex.starts_with("0x") || hex.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos)
      Fail(path, "expected \"bits\": \"0x\" and 16 hexadecimal digits");
    std::uint64_t bits = std::stoull(hex.substr(2), nullptr, 16);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    target = static_cast<T>(d);
  }
  void Text(const std::string& key, std::string& target) {
    if (const TfrJson* v = Take(key)) target = GbkOf(*v, PathOf(key));
  }
  void Lines(const std::string& key, TfrStrings& target) {
    const TfrJson* v = Take(key);
    if (v == nullptr) return;
    if (!v->is_array()) Fail(PathOf(key), "expected an array of lines");
    target.clear();
    for (std::size_t i = 0; i < v->size(); ++i)
      target.push_back(GbkOf((*v)[i], PathOf(key) + "[" + std::to_string(i) + "]"));
  }

  void Finish() const {
    for (auto it = j_.begin(); it != j_.end(); ++it)
      if (std::find(used_.begin(), used_.end(), it.key()) == used_.end()) Fail(PathOf(it.key()), "unknown field");
  }

  template <class T>
  static T IntOf(const TfrJson& v, const std::string& path) {
    std::int64_t n = 0;
    if (v.is_number_integer()) {
      n = v.is_number_unsigned() ? static_cast<std::int64_t>(std::min<std::uint64_t>(v.get<std::uint64_t>(), INT64_MAX))
                                 : v.get<std::int64_t>();
    } else if (v.is_string() && v.get_ref<const std::string&>().starts_with("0x")) {
      const std::string& s = v.get_ref<const std::string&>();
      if (s.size() < 3 || s.size() > 10 || s.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos)
        Fail(path, "expected a hexadecimal number 0x0 to 0xFFFFFFFF");
      std::uint32_t u = static_cast<std::uint32_t>(std::stoul(s.substr(2), nullptr, 16));
      // Colours such as 0xFF00000F are signed 32-bit values.
      n = std::is_signed_v<T> && sizeof(T) == 4 ? static_cast<std::int32_t>(u) : static_cast<std::int64_t>(u);
    } else {
      Fail(path, "expected an integer");
    }
    if (n < static_cast<std::int64_t>(std::numeric_limits<T>::min()) ||
        n > static_cast<std::int64_t>(std::numeric_limits<T>::max()))
      Fail(path, "value " + std::to_string(n) + " out of range");
    return static_cast<T>(n);
  }

 private:
  const TfrJson& j_;
  std::string path_;
  std::vector<std::string> used_;
};

// A JSON document, failing with an Error that says where it is not JSON.
TfrJson ParseJson(const std::string& text);
// Takes the document's "format", which when given must be `format`.
void TakeFormat(Fields& document, const char* format);

// An object with every field of its class, and an object created from its
// JSON on a page (which owns it). A field left out keeps the class default,
// an unknown field or class is an error.
TfrJson ViewJson(TfrView& view);
void ViewFromJson(const TfrJson& j, const std::string& path, TfrPage& page, TfrReport& report);

}  // namespace json_form

}  // namespace talven
