#include "report/model/stream.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "report/model/prepare_state.h"

namespace talven {

void TfrStream::Read(void* target, std::size_t n) {
  if (n > Remaining()) throw TfrStreamError("Stream read error");
  if (n > 0) std::memcpy(target, data_.data() + pos_, n);
  pos_ += n;
}

std::string TfrStream::ReadBytes(std::size_t n) {
  if (n > Remaining()) throw TfrStreamError("Stream read error");
  std::string out = data_.substr(pos_, n);
  pos_ += n;
  return out;
}

std::uint8_t TfrStream::ReadU8() {
  std::uint8_t b;
  Read(&b, 1);
  return b;
}

std::uint16_t TfrStream::ReadU16() {
  unsigned char b[2];
  Read(b, 2);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::int32_t TfrStream::ReadI32() {
  unsigned char b[4];
  Read(b, 4);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                   (static_cast<std::uint32_t>(b[2]) << 16) |
                                   (static_cast<std::uint32_t>(b[3]) << 24));
}

float TfrStream::ReadF32() {
  std::uint32_t bits = static_cast<std::uint32_t>(ReadI32());
  float v;
  std::memcpy(&v, &bits, 4);
  return v;
}

double TfrStream::ReadF64() {
  std::uint64_t lo = static_cast<std::uint32_t>(ReadI32());
  std::uint64_t hi = static_cast<std::uint32_t>(ReadI32());
  std::uint64_t bits = lo | (hi << 32);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

void TfrStream::Write(const void* source, std::size_t n) {
  if (pos_ > data_.size()) data_.resize(pos_, '\0');
  std::size_t overlap = std::min(n, data_.size() - pos_);
  if (overlap > 0) std::memcpy(data_.data() + pos_, source, overlap);
  if (n > overlap) data_.append(static_cast<const char*>(source) + overlap, n - overlap);
  pos_ += n;
}

void TfrStream::WriteU16(std::uint16_t v) {
  unsigned char b[2] = {static_cast<unsigned char>(v & 0xFF), static_cast<unsigned char>(v >> 8)};
  Write(b, 2);
}

void TfrStream::WriteI32(std::int32_t v) {
  std::uint32_t u = static_cast<std::uint32_t>(v);
  unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                        static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
  Write(b, 4);
}

void TfrStream::WriteF32(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, 4);
  WriteI32(static_cast<std::int32_t>(bits));
}

void TfrStream::WriteF64(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, 8);
  WriteI32(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)));
  WriteI32(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits >> 32)));
}

void TfrStream::PatchI32(std::size_t at, std::int32_t v) {
  std::size_t saved = pos_;
  pos_ = at;
  WriteI32(v);
  pos_ = saved;
}

namespace {

bool OldForms() { return EngineState().StreamVersion < 23; }

std::string ReadOldStreamString(TfrStream& s) {
  std::string out;
  for (;;) {
    char c = static_cast<char>(s.ReadU8());
    if (c == '\0') return out;
    out.push_back(c);
  }
}

TfrStrings ReadOldStreamTextList(TfrStream& s) {
  TfrStrings lines;
  std::string line;
  for (;;) {
    char c = static_cast<char>(s.ReadU8());
    if (c == '\0') break;
    if (c == '\r') {
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

constexpr std::size_t kMaxStreamText = 0xFFFF;

}  // namespace

std::string ReadNewStreamString(TfrStream& s) {
  std::uint16_t n = s.ReadU16();
  std::string out = s.ReadBytes(n);
  s.ReadU8();
  return out;
}

std::string ReadStreamString(TfrStream& s) { return OldForms() ? ReadOldStreamString(s) : ReadNewStreamString(s); }

std::string ReadLengthText(TfrStream& s) {
  std::uint16_t n = s.ReadU16();
  return s.ReadBytes(n);
}

void WriteLengthText(TfrStream& s, std::string_view text) {
  std::string cut;
  if (text.size() > kMaxStreamText) {
    cut = CutToWidth(text, kMaxStreamText);
    text = cut;
  }
  s.WriteU16(static_cast<std::uint16_t>(text.size()));
  s.WriteBytes(text);
}

void WriteStreamString(TfrStream& s, std::string_view text) {
  WriteLengthText(s, text);
  s.WriteU8(0);
}

TfrStrings ReadNewStreamTextList(TfrStream& s) {
  TfrStrings lines;
  if (s.ReadU16() == 0) {
    s.ReadU8();
    return lines;
  }
  // Every line takes at least three bytes, so the loop ends with the stream.
  for (;;) {
    std::uint16_t n = s.ReadU16();
    lines.push_back(s.ReadBytes(n));
    if (s.ReadU8() == 0) return lines;
  }
}

TfrStrings ReadStreamTextList(TfrStream& s) {
  return OldForms() ? ReadOldStreamTextList(s) : ReadNewStreamTextList(s);
}

void WriteStreamTextList(TfrStream& s, const TfrStrings& lines) {
  // The count only tells an empty list from a non-empty one; it must never
  // wrap round to 0.
  s.WriteU16(static_cast<std::uint16_t>(std::min<std::size_t>(lines.size(), 0xFFFF)));
  if (lines.empty()) {
    s.WriteU8(0);
    return;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    WriteLengthText(s, lines[i]);
    s.WriteU8(i + 1 < lines.size() ? 13 : 0);
  }
}

std::size_t ReadEndPosition(TfrStream& s) {
  std::int32_t end = s.ReadI32();
  if (end < 0 || static_cast<std::size_t>(end) < s.Position() || static_cast<std::size_t>(end) > s.Size())
    throw TfrStreamError("Invalid end position");
  return static_cast<std::size_t>(end);
}

std::string ReadShortString(TfrStream& s) {
  std::uint8_t n = s.ReadU8();
  return s.ReadBytes(n);
}

bool ReadBoolean16(TfrStream& s) { return s.ReadU16() != 0; }
void WriteBoolean16(TfrStream& s, bool v) { s.WriteU16(v ? 0xFFFF : 0); }

std::string JoinLines(const TfrStrings& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += "\r\n";
    out += lines[i];
  }
  return out;
}

TfrStrings SplitLines(std::string_view text) {
  TfrStrings lines;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t start = i;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    lines.emplace_back(text.substr(start, i - start));
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
  }
  return lines;
}

}  // namespace talven
