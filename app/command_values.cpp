#include "app/command_values.h"

#include "base/convert.h"
#include "base/formatsettings.h"
#include "base/text.h"
#include "report/expr/displayformat.h"

namespace talven::app {

namespace {

// "0123" or "-007": admission numbers and codes, never numbers.
bool HasLeadingZero(std::string_view text) {
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  return text.size() >= 2 && text[0] == '0' && text[1] >= '0' && text[1] <= '9';
}

}  // namespace

Variant CommandLineValue(const std::string& text) {
  // Decimal numbers only, as expressions write them: "$12" and "0x10" stay
  // texts (the integer reader would take them as hexadecimal), and so do
  // numbers written with a leading zero.
  if (HasLeadingZero(text)) return Variant(text);
  auto f = TryStrToFloat(text);
  if (!f) return Variant(text);
  if (auto i = TryStrToInt64(text)) return Variant(*i);
  return Variant(*f);
}

std::optional<std::pair<std::string, Variant>> VariableArgument(const std::string& utf8) {
  const std::string text = Utf8ToGbk(utf8);
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) return std::nullopt;
  return std::make_pair(text.substr(0, eq), CommandLineValue(text.substr(eq + 1)));
}

std::int32_t MemoDisplayFormat() { return MakeDisplayFormat(fmtText, 0, 2, Settings().decimalSeparator); }

}  // namespace talven::app
