// The byte stream that templates, report objects and prepared pages are read
// from and written to, and the stream routines of the template format:
// little-endian integers, stream strings and stream text lists in their old
// and new forms.
//
// A stream is a byte buffer with a position. Reading never goes past the end:
// a read that needs more bytes than are left fails with TfrStreamError and
// leaves the position where it was, so a damaged file is an error, never an
// out-of-bounds access. Writing past the end grows the buffer (with zero bytes
// when the position was moved beyond it).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"

namespace talven {

// A list of text lines (memo texts, scripts).
using TfrStrings = std::vector<std::string>;

class TfrStreamError : public Error {
 public:
  using Error::Error;
};

class TfrStream {
 public:
  // Where the bytes came from. Password-protected templates are asked for
  // only when read from a file; the window-stored form is a memory stream.
  enum class Origin { Memory, File };

  TfrStream() = default;
  explicit TfrStream(std::string bytes, Origin origin = Origin::Memory)
      : data_(std::move(bytes)), origin_(origin) {}

  std::size_t Position() const { return pos_; }
  std::size_t Size() const { return data_.size(); }
  std::size_t Remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
  bool AtEnd() const { return pos_ >= data_.size(); }
  // Any position may be set; reading there fails when it lies beyond the end.
  void Seek(std::size_t position) { pos_ = position; }
  bool IsMemory() const { return origin_ == Origin::Memory; }

  const std::string& Bytes() const { return data_; }
  std::string TakeBytes() { return std::move(data_); }
  void Clear() {
    data_.clear();
    pos_ = 0;
  }
  // Room for n bytes in all, so that writing up to there allocates once;
  // and giving back the room beyond the bytes written.
  void Reserve(std::size_t n) { data_.reserve(n); }
  void Compact() { data_.shrink_to_fit(); }

  // Reads exactly n bytes or fails (TfrStreamError "Stream read error").
  void Read(void* target, std::size_t n);
  std::string ReadBytes(std::size_t n);
  std::uint8_t ReadU8();
  std::uint16_t ReadU16();
  std::int16_t ReadI16() { return static_cast<std::int16_t>(ReadU16()); }
  std::int32_t ReadI32();
  float ReadF32();
  double ReadF64();

  void Write(const void* source, std::size_t n);
  void WriteBytes(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
  void WriteU8(std::uint8_t v) { Write(&v, 1); }
  void WriteU16(std::uint16_t v);
  void WriteI16(std::int16_t v) { WriteU16(static_cast<std::uint16_t>(v)); }
  void WriteI32(std::int32_t v);
  void WriteF32(float v);
  void WriteF64(double v);

  // Overwrites the int32 at `at` and keeps the position (end-position
  // placeholders).
  void PatchI32(std::size_t at, std::int32_t v);

 private:
  std::string data_;
  std::size_t pos_ = 0;
  Origin origin_ = Origin::Memory;
};

// Stream routines of the template format. Reading chooses the old form for
// stream versions 21 and 22 (the engine's current stream version,
// EngineState().StreamVersion) and the new form from 23 on; writing always
// uses the new form.
//   new string: uint16 length, the bytes, one byte 0
//   old string: the bytes up to and excluding a byte 0
std::string ReadStreamString(TfrStream& s);
std::string ReadNewStreamString(TfrStream& s);
// A text longer than 65535 bytes is cut to what the uint16 length can hold
// (never inside a double-byte character) rather than written with a wrong
// length.
void WriteStreamString(TfrStream& s, std::string_view text);

//   new list: uint16 line count; per line a new-form length and bytes and a
//             byte 13 when another line follows, 0 after the last; an empty
//             list is the count 0 and one byte 0. The count only tells an
//             empty list from a non-empty one.
//   old list: the lines separated by byte 13 and ended by byte 0; an empty
//             last line before the 0 is dropped.
TfrStrings ReadStreamTextList(TfrStream& s);
TfrStrings ReadNewStreamTextList(TfrStream& s);
void WriteStreamTextList(TfrStream& s, const TfrStrings& lines);

// An end position (an absolute int32 stream position just after a block).
// It must lie between the position after it and the end of the stream:
// anything else is damaged data (TfrStreamError "Invalid end position"),
// which would otherwise move a reader backwards or out of the stream.
std::size_t ReadEndPosition(TfrStream& s);

// uint16 length and the bytes, without a terminator (the report
// information). A longer text is cut as WriteStreamString cuts it.
std::string ReadLengthText(TfrStream& s);
void WriteLengthText(TfrStream& s, std::string_view text);

// uint8 length and bytes (the old data-dictionary form).
std::string ReadShortString(TfrStream& s);

// uint16: 0 false, anything else true; written as 0xFFFF.
bool ReadBoolean16(TfrStream& s);
void WriteBoolean16(TfrStream& s, bool v);

// Line texts: the lines joined with carriage return + line feed, and a text
// split at CR LF, CR or LF (a final line break adds no empty line).
std::string JoinLines(const TfrStrings& lines);
TfrStrings SplitLines(std::string_view text);

}  // namespace talven
