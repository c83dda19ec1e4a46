#include "base/text.h"

#include <iconv.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace talven {
namespace {

// Both directions of code page 936 as flat tables, filled once from glibc's
// iconv. A table lookup per character keeps the conversion cheap on the hot
// edges (every database text passes through it) and makes the policy for bad
// input a matter of a missing table entry.
struct Cp936Tables {
  // GBK code (single byte b as b, double byte as lead << 8 | trail) -> UTF-32;
  // 0 means "no character" except for code 0 itself.
  std::vector<char32_t> toUnicode = std::vector<char32_t>(0x10000, 0);
  // BMP code point -> GBK code; 0 means unmapped (except U+0000).
  std::vector<std::uint16_t> fromUnicode = std::vector<std::uint16_t>(0x10000, 0);
};

char32_t DecodeOneUtf8(const char* p, std::size_t n) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  if (n == 1) return u[0];
  if (n == 2) return (char32_t(u[0] & 0x1F) << 6) | (u[1] & 0x3F);
  if (n == 3) return (char32_t(u[0] & 0x0F) << 12) | (char32_t(u[1] & 0x3F) << 6) | (u[2] & 0x3F);
  return (char32_t(u[0] & 0x07) << 18) | (char32_t(u[1] & 0x3F) << 12) | (char32_t(u[2] & 0x3F) << 6) |
         (u[3] & 0x3F);
}

const Cp936Tables& Tables() {
  static const std::unique_ptr<Cp936Tables> tables = [] {
    auto t = std::make_unique<Cp936Tables>();
    iconv_t cd = iconv_open("UTF-8", "CP936");
    auto convert = [&](const char* in, std::size_t inLen) -> char32_t {
      char out[8];
      char* inPtr = const_cast<char*>(in);
      char* outPtr = out;
      std::size_t inLeft = inLen, outLeft = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
        return 0;
      std::size_t n = static_cast<std::size_t>(outPtr - out);
      if (n == 0 || n > 4) return 0;
      return DecodeOneUtf8(out, n);
    };
    if (cd != reinterpret_cast<iconv_t>(-1)) {
      for (unsigned b = 1; b <= 0x80; ++b) {
        char in[1] = {static_cast<char>(b)};
        t->toUnicode[b] = convert(in, 1);
      }
      for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
          if (trail == 0x7F) continue;
          char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
          t->toUnicode[(lead << 8) | trail] = convert(in, 2);
        }
      }
      iconv_close(cd);
    } else {
      for (unsigned b = 1; b < 0x80; ++b) t->toUnicode[b] = b;
    }
    // The reverse table: the first GBK code found for a code point wins, and
    // single bytes are entered last so that they are preferred.
    for (unsigned code = 0x8140; code <= 0xFEFE; ++code) {
      char32_t cp = t->toUnicode[code];
      if (cp != 0 && cp < 0x10000 && t->fromUnicode[cp] == 0) t->fromUnicode[cp] = static_cast<std::uint16_t>(code);
    }
    for (unsigned b = 1; b <= 0x80; ++b) {
      char32_t cp = t->toUnicode[b];
      if (cp != 0 && cp < 0x10000) t->fromUnicode[cp] = static_cast<std::uint16_t>(b);
    }
    return t;
  }();
  return *tables;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Length of the valid UTF-8 sequence at s[i], or 0 when none starts there.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
  auto u = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b = u(i);
  std::size_t n;
  char32_t min;
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) { n = 2; min = 0x80; }
  else if (b >= 0xE0 && b <= 0xEF) { n = 3; min = 0x800; }
  else if (b >= 0xF0 && b <= 0xF4) { n = 4; min = 0x10000; }
  else return 0;
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((u(i + k) & 0xC0) != 0x80) return 0;
  char32_t cp = DecodeOneUtf8(s.data() + i, n);
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

template <typename F>
std::string MapAsciiLetters(std::string_view s, F f) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (IsLeadByte(out[i]) && i + 1 < out.size()) {
      ++i;  // keep the trail byte as it is
      continue;
    }
    out[i] = f(out[i]);
  }
  return out;
}

inline bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
  const Cp936Tables& t = Tables();
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    std::size_t n = Utf8SequenceLength(utf8, i);
    if (n == 0) {
      out += '?';
      ++i;
      continue;
    }
    char32_t cp = DecodeOneUtf8(utf8.data() + i, n);
    i += n;
    std::uint16_t code = cp < 0x10000 ? t.fromUnicode[cp] : 0;
    if (code == 0) {
      out += '?';
    } else if (code < 0x100) {
      out += static_cast<char>(code);
    } else {
      out += static_cast<char>(code >> 8);
      out += static_cast<char>(code & 0xFF);
    }
  }
  return out;
}

char32_t GbkCharToUnicode(std::uint16_t code) { return code == 0 ? 0 : Tables().toUnicode[code]; }

std::uint16_t UnicodeToGbkChar(char32_t cp) { return cp == 0 || cp >= 0x10000 ? 0 : Tables().fromUnicode[cp]; }

std::string GbkToUtf8(std::string_view gbk) {
  const Cp936Tables& t = Tables();
  std::string out;
  out.reserve(gbk.size() + gbk.size() / 2);
  for (std::size_t i = 0; i < gbk.size();) {
    unsigned char b = static_cast<unsigned char>(gbk[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    char32_t cp = 0;
    std::size_t used = 1;
    if (IsLeadByte(b) && i + 1 < gbk.size()) {
      cp = t.toUnicode[(unsigned(b) << 8) | static_cast<unsigned char>(gbk[i + 1])];
      if (cp != 0) used = 2;
    }
    if (cp == 0) cp = t.toUnicode[b];
    AppendUtf8(out, cp != 0 ? cp : 0xFFFD);
    i += used;
  }
  return out;
}

bool IsValidGbk(std::string_view gbk) {
  const Cp936Tables& t = Tables();
  for (std::size_t i = 0; i < gbk.size();) {
    unsigned char b = static_cast<unsigned char>(gbk[i]);
    if (b < 0x80) {
      ++i;
    } else if (IsLeadByte(b) && i + 1 < gbk.size() &&
               t.toUnicode[(unsigned(b) << 8) | static_cast<unsigned char>(gbk[i + 1])] != 0) {
      i += 2;
    } else if (t.toUnicode[b] != 0) {
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

std::string UpperCase(std::string_view s) { return MapAsciiLetters(s, AsciiUpper); }
std::string LowerCase(std::string_view s) { return MapAsciiLetters(s, AsciiLower); }

int CompareText(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  bool trail = false;
  for (std::size_t i = 0; i < n; ++i) {
    char ca = a[i], cb = b[i];
    if (!trail) {
      ca = AsciiUpper(ca);
      cb = AsciiUpper(cb);
    }
    if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb) ? -1 : 1;
    trail = !trail && IsLeadByte(a[i]);
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

std::string Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlankOrControl(s[i])) ++i;
  return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && IsBlankOrControl(s[n - 1])) --n;
  return std::string(s.substr(0, n));
}

std::size_t Pos(std::string_view part, std::string_view s) {
  if (part.empty()) return 0;
  std::size_t p = s.find(part);
  return p == std::string_view::npos ? 0 : p + 1;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string out;
  out.reserve(s.size());
  std::size_t start = 0;
  for (std::size_t p; (p = s.find(from, start)) != std::string_view::npos; start = p + from.size()) {
    out.append(s.substr(start, p - start));
    out.append(to);
  }
  out.append(s.substr(start));
  return out;
}

std::string CutToWidth(std::string_view s, std::size_t width) {
  if (s.size() <= width) return std::string(s);
  // Walk characters from the start: a trail byte cannot be told from a single
  // byte by looking at it alone.
  std::size_t end = 0;
  while (end < width) {
    std::size_t step = (IsLeadByte(s[end]) && end + 1 < s.size()) ? 2 : 1;
    if (end + step > width) break;
    end += step;
  }
  return std::string(s.substr(0, end));
}

}  // namespace talven
