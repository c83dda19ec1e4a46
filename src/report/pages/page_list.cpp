#include "report/pages/page_list.h"

#include <algorithm>
#include <string>

#include "base/error.h"

namespace talven {

namespace {

// A decimal number; huge ones saturate, which selects nothing beyond the
// last page either way.
long long DecimalOf(const std::string& item) {
  if (item.empty() || !std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; }))
    throw ConvertError("'" + item + "' is not a valid integer value");
  long long n = 0;
  for (char c : item) n = std::min(n * 10 + (c - '0'), 1LL << 40);
  return n;
}

}  // namespace

std::vector<bool> SelectedPages(std::string_view list, int pageCount) {
  const std::size_t count = pageCount > 0 ? static_cast<std::size_t>(pageCount) : 0;
  std::string text;
  for (char c : list)
    if (c != ' ') text.push_back(c);
  if (text.empty()) return std::vector<bool>(count, true);
  if (text.back() == '-') text += std::to_string(pageCount);
  text.push_back(',');

  std::vector<bool> selected(count, false);
  const auto select = [&](long long from, long long to) {
    from = std::max(from, 1LL);
    to = std::min(to, static_cast<long long>(count));
    for (long long n = from; n <= to; ++n) selected[static_cast<std::size_t>(n - 1)] = true;
  };
  std::size_t start = 0;
  long long rangeStart = -1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '-') {
      rangeStart = DecimalOf(text.substr(start, i - start));
      start = i + 1;
    } else if (text[i] == ',') {
      const long long n = DecimalOf(text.substr(start, i - start));
      if (rangeStart >= 0) select(rangeStart, n);
      else select(n, n);
      rangeStart = -1;
      start = i + 1;
    }
  }
  return selected;
}

}  // namespace talven
