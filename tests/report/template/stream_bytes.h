// Streams written byte by byte, for the stream versions the engine reads but
// no longer writes.
#pragma once

#include <string>
#include <string_view>

#include "report/model/stream.h"

namespace talven {

// A byte image of a stream, written field by field.
class StreamBytes {
 public:
  StreamBytes& U8(int v) {
    s_.WriteU8(static_cast<std::uint8_t>(v));
    return *this;
  }
  StreamBytes& U16(int v) {
    s_.WriteU16(static_cast<std::uint16_t>(v));
    return *this;
  }
  StreamBytes& I32(std::int32_t v) {
    s_.WriteI32(v);
    return *this;
  }
  StreamBytes& F64(double v) {
    s_.WriteF64(v);
    return *this;
  }
  StreamBytes& Raw(std::string_view b) {
    s_.WriteBytes(b);
    return *this;
  }
  // Old-form string and list (versions 21 and 22).
  StreamBytes& OldString(std::string_view t) { return Raw(t).U8(0); }
  StreamBytes& OldList(const TfrStrings& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) Raw(lines[i]).U8(i + 1 < lines.size() ? 13 : 0);
    if (lines.empty()) U8(0);
    return *this;
  }
  StreamBytes& NewString(std::string_view t) {
    WriteStreamString(s_, t);
    return *this;
  }
  StreamBytes& NewList(const TfrStrings& lines) {
    WriteStreamTextList(s_, lines);
    return *this;
  }
  // Report information with empty texts.
  StreamBytes& Info(bool protectedByPassword = false, std::string_view hexPassword = "") {
    for (int i = 0; i < 7; ++i) U16(0);
    U16(static_cast<int>(hexPassword.size())).Raw(hexPassword);
    return U8(88).U8(protectedByPassword ? 1 : 0).F64(40000).F64(40001);
  }
  std::string str() const { return s_.Bytes(); }

 private:
  TfrStream s_;
};

}  // namespace talven
