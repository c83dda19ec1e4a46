#include "report/rich/rtf.h"

#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextOption>

#include <iconv.h>

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "base/text.h"

namespace talven {

namespace {

// ---- code pages ---------------------------------------------------------

constexpr int kGbk = 936;

// The code page a font's character set reads its bytes in; the default set
// (1) and fonts the table does not declare use the document's code page.
int CodePageOfCharset(int charset, int documentCodePage) {
  switch (charset) {
    case 0: return 1252;
    case 2: return 1252;  // symbol fonts: the bytes as they stand
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return kGbk;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return documentCodePage;
  }
}

const char* IconvName(int codePage) {
  switch (codePage) {
    case 437: return "CP437";
    case 850: return "CP850";
    case 874: return "CP874";
    case 932: return "CP932";
    case 949: return "CP949";
    case 950: return "CP950";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 1361: return "JOHAB";
    case 10000: return "MACINTOSH";
    default: return "CP1252";
  }
}

// One converter a code page, opened on first use and closed at exit.
class Converters {
 public:
  ~Converters() {
    for (auto& [codePage, cd] : open_)
      if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
  iconv_t For(int codePage) {
    auto it = open_.find(codePage);
    if (it == open_.end()) it = open_.emplace(codePage, iconv_open("UTF-16LE", IconvName(codePage))).first;
    return it->second;
  }

 private:
  std::map<int, iconv_t> open_;
};

// Bytes of a code page other than GBK through iconv; a byte it cannot read
// becomes U+FFFD and reading goes on after it.
QString DecodeWithIconv(int codePage, std::string_view bytes) {
  static Converters converters;
  iconv_t cd = converters.For(codePage);
  if (cd == reinterpret_cast<iconv_t>(-1)) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  QString out;
  std::string in(bytes);
  char* src = in.data();
  std::size_t left = in.size();
  std::vector<char16_t> buffer(in.size() * 2 + 4);
  while (left > 0) {
    char* dst = reinterpret_cast<char*>(buffer.data());
    std::size_t room = buffer.size() * sizeof(char16_t);
    const std::size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(reinterpret_cast<const QChar*>(buffer.data()),
               static_cast<qsizetype>((reinterpret_cast<char16_t*>(dst) - buffer.data())));
    if (r == static_cast<std::size_t>(-1) && left > 0) {
      out.append(QChar(0xFFFD));
      ++src;
      --left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

QString Decode(int codePage, std::string_view bytes) {
  if (codePage == kGbk) {
    const std::string utf8 = GbkToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  }
  return DecodeWithIconv(codePage, bytes);
}

// Characters the document must not receive as text: paragraph and frame
// separators, which would start blocks, the object mark, control
// characters and surrogates without their partner.
QString Sanitized(const QString& s) {
  QString out;
  out.reserve(s.size());
  for (qsizetype i = 0; i < s.size(); ++i) {
    const char16_t c = s[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < s.size() && QChar::isLowSurrogate(s[i + 1].unicode())) {
      out.append(s[i]);
      out.append(s[++i]);
    } else if (QChar::isSurrogate(c) || c == 0xFFFC || c == 0xFDD0 || c == 0xFDD1) {
      out.append(QChar(0xFFFD));
    } else if (c == 0x2029 || c == '\r' || c == '\n' || c == 0x0B) {
      out.append(QChar(QChar::LineSeparator));
    } else if ((c >= 0x20 && c != 0x7F) || c == '\t') {
      out.append(s[i]);
    }
  }
  return out;
}

// ---- reader state -------------------------------------------------------

struct CharState {
  int font = -1;  // -1: the default font
  int halfPoints = static_cast<int>(kRtfDefaultPointSize * 2);
  bool bold = false, italic = false, underline = false, strike = false;
  int color = 0;      // colour table index; 0 automatic
  int highlight = 0;  // 0 none
  bool operator==(const CharState&) const = default;
};

struct ParaState {
  int align = 0;  // 0 left, 1 centre, 2 right, 3 justified
  int left = 0, right = 0, first = 0, before = 0, after = 0;
  int spacing = 0;  // \sl
  bool multiple = false;
  std::vector<int> tabs;
};

enum class Destination { Text, FontTable, ColorTable, Skip };

struct Group {
  CharState ch;
  ParaState para;
  Destination dest = Destination::Text;
  int uc = 1;
};

struct FontEntry {
  QString name;
  int charset = 1;
};

struct Run {
  QString text;
  CharState ch;
};

struct Paragraph {
  ParaState para;
  CharState mark;
  std::vector<Run> runs;
  bool Empty() const {
    for (const Run& r : runs)
      if (!r.text.isEmpty()) return false;
    return true;
  }
};

// Groups nest at most this deep; deeper groups share the state of the
// deepest one kept, so nesting costs no memory.
constexpr std::size_t kMaxDepth = 256;
constexpr std::int64_t kMaxParam = 2147483647;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsDoubleByteLead(int codePage, unsigned char b) {
  switch (codePage) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case kGbk:
    case 949:
    case 950:
    case 1361: return b >= 0x81 && b <= 0xFE;
    default: return false;
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int Clamp(std::int64_t v, int lo, int hi) { return static_cast<int>(std::clamp<std::int64_t>(v, lo, hi)); }

// Twips of indents and spacing: beyond a few metres nothing means more.
constexpr int kMaxTwips = 1 << 22;

class RtfReader {
 public:
  explicit RtfReader(std::string_view in) : in_(in) { paragraphs_.emplace_back(); }

  void Read();
  void Build(QTextDocument& doc);

 private:
  Group& Top() { return stack_.back(); }
  int CodePage();
  void AddByte(char b);
  void AddText(const QString& text);
  void Flush();
  void EndFontEntry();
  void EndParagraph();
  void ControlWord(std::string_view word, bool hasParam, std::int64_t param);
  void ControlSymbol(char c);
  void TextControl(std::string_view word, bool hasParam, std::int64_t param);
  bool Skipping() const { return stack_.back().dest == Destination::Skip; }
  // A fallback unit after "\u" is used up; true when the token is to be
  // dropped.
  bool DropFallback() {
    if (fallback_ <= 0) return false;
    --fallback_;
    return true;
  }

  std::string_view in_;
  std::size_t pos_ = 0;
  std::vector<Group> stack_{Group{}};
  std::size_t overflow_ = 0;

  std::map<int, FontEntry> fonts_;
  int fontEntry_ = -1;     // the entry the font table is defining
  bool fontNameDone_ = false;
  std::vector<std::optional<QColor>> colors_;
  int red_ = 0, green_ = 0, blue_ = 0;
  bool colorSet_ = false;
  int documentCodePage_ = kGbk;
  int deff_ = 0;
  int deftab_ = kRtfDefaultTab;

  std::string pending_;
  int pendingCodePage_ = kGbk;
  int fallback_ = 0;

  std::vector<Paragraph> paragraphs_;
  int paragraphEnds_ = 0;
};

int RtfReader::CodePage() {
  const Group& g = stack_.back();
  if (g.dest == Destination::FontTable) {
    auto it = fonts_.find(fontEntry_);
    return CodePageOfCharset(it == fonts_.end() ? 1 : it->second.charset, documentCodePage_);
  }
  auto it = fonts_.find(g.ch.font < 0 ? deff_ : g.ch.font);
  if (it == fonts_.end()) it = fonts_.find(deff_);
  return CodePageOfCharset(it == fonts_.end() ? 1 : it->second.charset, documentCodePage_);
}

void RtfReader::AddByte(char b) {
  if (DropFallback()) return;
  const int cp = CodePage();
  if (!pending_.empty() && cp != pendingCodePage_) Flush();
  pendingCodePage_ = cp;
  pending_ += b;
}

void RtfReader::AddText(const QString& text) {
  Group& g = Top();
  if (g.dest == Destination::FontTable) {
    if (fontEntry_ >= 0 && !fontNameDone_) fonts_[fontEntry_].name += text;
    return;
  }
  if (g.dest != Destination::Text) return;
  std::vector<Run>& runs = paragraphs_.back().runs;
  if (runs.empty() || !(runs.back().ch == g.ch)) runs.push_back(Run{QString(), g.ch});
  runs.back().text += text;
}

void RtfReader::Flush() {
  if (pending_.empty()) return;
  const std::string bytes = std::move(pending_);
  pending_.clear();
  if (Top().dest == Destination::FontTable) {
    // The name ends at the first ";"; the rest of the entry is not text.
    const std::size_t semi = bytes.find(';');
    AddText(Decode(pendingCodePage_, std::string_view(bytes).substr(0, semi)));
    if (semi != std::string::npos) EndFontEntry();
    return;
  }
  AddText(Decode(pendingCodePage_, bytes));
}

void RtfReader::EndFontEntry() {
  if (fontEntry_ >= 0 && !fontNameDone_) {
    // A family name is one line of printable characters.
    QString& name = fonts_[fontEntry_].name;
    name.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F || c == QLatin1Char(';'); });
    name = Sanitized(name).trimmed();
  }
  fontNameDone_ = true;
}

void RtfReader::EndParagraph() {
  Paragraph& p = paragraphs_.back();
  p.para = Top().para;
  p.mark = Top().ch;
  paragraphs_.emplace_back();
  ++paragraphEnds_;
}

void RtfReader::Read() {
  while (pos_ < in_.size()) {
    const char c = in_[pos_++];
    if (c == '{') {
      Flush();
      fallback_ = 0;
      if (stack_.size() < kMaxDepth) stack_.push_back(stack_.back());
      else ++overflow_;
    } else if (c == '}') {
      Flush();
      fallback_ = 0;
      if (overflow_ > 0) {
        --overflow_;
        continue;
      }
      if (stack_.back().dest == Destination::FontTable && stack_.size() >= 2 &&
          stack_[stack_.size() - 2].dest == Destination::FontTable)
        EndFontEntry();
      // The outermost group is closed: the document ends here, in the state
      // it had.
      if (stack_.size() <= 2) return;
      stack_.pop_back();
    } else if (c == '\\') {
      if (pos_ >= in_.size()) return;
      const char n = in_[pos_];
      if (IsLetter(n)) {
        const std::size_t start = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
        const std::string_view word = in_.substr(start, std::min<std::size_t>(pos_ - start, 32));
        bool negative = false, hasParam = false;
        std::int64_t param = 0;
        if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
          negative = true;
          ++pos_;
        }
        while (pos_ < in_.size() && IsDigit(in_[pos_])) {
          hasParam = true;
          param = std::min<std::int64_t>(param * 10 + (in_[pos_] - '0'), kMaxParam + 1);
          ++pos_;
        }
        if (negative) param = -param;
        param = std::clamp<std::int64_t>(param, -kMaxParam - 1, kMaxParam);
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        ControlWord(word, hasParam, param);
      } else {
        ++pos_;
        ControlSymbol(n);
      }
    } else if (c == '\r' || c == '\n') {
      // Line ends in the file are not text.
    } else if (Skipping()) {
    } else if (c == '\t') {
      Flush();
      if (!DropFallback()) AddText(QStringLiteral("\t"));
    } else if (static_cast<unsigned char>(c) >= 0x20) {
      if (Top().dest == Destination::ColorTable) {
        if (c == ';') {
          colors_.push_back(colorSet_ ? std::optional<QColor>(QColor(red_, green_, blue_)) : std::nullopt);
          red_ = green_ = blue_ = 0;
          colorSet_ = false;
        }
      } else {
        AddByte(c);
        // A raw lead byte of a double-byte code page takes its trail byte
        // with it, whatever that byte looks like.
        if (pos_ < in_.size() && IsDoubleByteLead(CodePage(), static_cast<unsigned char>(c))) AddByte(in_[pos_++]);
      }
    }
  }
}

void RtfReader::ControlSymbol(char c) {
  if (Skipping()) return;
  switch (c) {
    case '\\':
    case '{':
    case '}': AddByte(c); return;
    case '\'': {
      int value = -1;
      if (pos_ + 1 < in_.size()) {
        const int hi = HexValue(in_[pos_]), lo = HexValue(in_[pos_ + 1]);
        if (hi >= 0 && lo >= 0) {
          value = hi * 16 + lo;
          pos_ += 2;
        }
      }
      if (value >= 0) AddByte(static_cast<char>(value));
      return;
    }
    case '*':
      Flush();
      Top().dest = Destination::Skip;
      return;
    default: break;
  }
  Flush();
  if (DropFallback()) return;
  switch (c) {
    case '~': AddText(QString(QChar(0x00A0))); break;
    case '_': AddText(QString(QChar(0x2011))); break;
    case '\r':
    case '\n':
      if (Top().dest == Destination::Text) EndParagraph();
      break;
    default: break;  // "\-" (optional hyphen), "\|", "\:" and the unknown
  }
}

void RtfReader::ControlWord(std::string_view word, bool hasParam, std::int64_t param) {
  if (word == "bin") {
    // Binary data: its bytes are skipped, whatever group it is in.
    Flush();
    pos_ += static_cast<std::size_t>(std::min<std::int64_t>(std::max<std::int64_t>(param, 0),
                                                            static_cast<std::int64_t>(in_.size() - pos_)));
    return;
  }
  if (Skipping()) return;
  Flush();
  Group& g = Top();
  static const char* const kSkipped[] = {
      "info",       "stylesheet", "pict",       "header",      "headerl",      "headerr",     "headerf",
      "footer",     "footerl",    "footerr",    "footerf",     "footnote",     "object",      "fldinst",
      "listtable",  "listoverridetable",        "revtbl",      "rsidtbl",      "generator",   "xmlnstbl",
      "filetbl",    "themedata",  "colorschememapping",        "latentstyles", "datastore",   "pn",
      "pnseclvl",   "bkmkstart",  "bkmkend",    "annotation",  "atnid",        "atnauthor",   "xe",
      "tc",         "txe",        "template",   "userprops",   "docvar",       "nonshppict",  "shppict",
      "mmathPr",    "pgdsctbl",   "private",    "ftnsep",      "ftnsepc",      "ftncn",       "aftnsep",
      "aftnsepc",   "aftncn",     "comment",    "title",       "subject",      "author",      "operator",
      "keywords",   "doccomm",    "company"};
  for (const char* skipped : kSkipped)
    if (word == skipped) {
      g.dest = Destination::Skip;
      return;
    }
  if (word == "fonttbl") {
    g.dest = Destination::FontTable;
    return;
  }
  if (word == "colortbl") {
    g.dest = Destination::ColorTable;
    return;
  }
  if (word == "uc") {
    g.uc = Clamp(param, 0, 16);
    return;
  }
  if (word == "u") {
    if (DropFallback()) return;
    std::int64_t unit = param;
    if (unit < 0) unit += 65536;
    if (unit > 0 && unit < 65536) AddText(QString(QChar(static_cast<char16_t>(unit))));
    fallback_ = g.uc;
    return;
  }
  if (DropFallback()) return;
  switch (g.dest) {
    case Destination::FontTable:
      if (word == "f") {
        EndFontEntry();
        fontEntry_ = Clamp(param, 0, 1 << 20);
        fonts_[fontEntry_] = FontEntry{};
        fontNameDone_ = false;
      } else if (word == "fcharset" && fontEntry_ >= 0) {
        fonts_[fontEntry_].charset = Clamp(param, 0, 255);
      }
      return;
    case Destination::ColorTable:
      if (word == "red") red_ = Clamp(param, 0, 255);
      else if (word == "green") green_ = Clamp(param, 0, 255);
      else if (word == "blue") blue_ = Clamp(param, 0, 255);
      else return;
      colorSet_ = true;
      return;
    case Destination::Text: TextControl(word, hasParam, param); return;
    case Destination::Skip: return;
  }
}

void RtfReader::TextControl(std::string_view word, bool hasParam, std::int64_t param) {
  Group& g = Top();
  CharState& ch = g.ch;
  ParaState& para = g.para;
  const bool on = !hasParam || param != 0;
  auto twips = [&](int lo) { return Clamp(param, lo, kMaxTwips); };
  static const std::pair<const char*, char16_t> kCharacters[] = {
      {"line", QChar::LineSeparator}, {"tab", u'\t'},      {"cell", u'\t'},      {"emdash", 0x2014},
      {"endash", 0x2013},             {"bullet", 0x2022},  {"lquote", 0x2018},   {"rquote", 0x2019},
      {"ldblquote", 0x201C},          {"rdblquote", 0x201D}, {"emspace", 0x2003}, {"enspace", 0x2002},
      {"qmspace", 0x2005}};
  for (const auto& [name, character] : kCharacters)
    if (word == name) {
      AddText(QString(QChar(character)));
      return;
    }
  if (word == "par" || word == "sect" || word == "page" || word == "row") EndParagraph();
  else if (word == "ansicpg") documentCodePage_ = Clamp(param, 0, 65535);
  else if (word == "mac") documentCodePage_ = 10000;
  else if (word == "pc") documentCodePage_ = 437;
  else if (word == "pca") documentCodePage_ = 850;
  else if (word == "deff") deff_ = Clamp(param, 0, 1 << 20);
  else if (word == "deftab") deftab_ = param > 0 ? Clamp(param, 1, kMaxTwips) : kRtfDefaultTab;
  else if (word == "pard") para = ParaState{};
  else if (word == "plain") ch = CharState{};
  else if (word == "ql") para.align = 0;
  else if (word == "qc") para.align = 1;
  else if (word == "qr") para.align = 2;
  else if (word == "qj") para.align = 3;
  else if (word == "li") para.left = twips(-kMaxTwips);
  else if (word == "ri") para.right = twips(-kMaxTwips);
  else if (word == "fi") para.first = twips(-kMaxTwips);
  else if (word == "sb") para.before = twips(0);
  else if (word == "sa") para.after = twips(0);
  else if (word == "sl") para.spacing = twips(-kMaxTwips);
  else if (word == "slmult") para.multiple = on;
  else if (word == "tx") para.tabs.push_back(twips(0));
  else if (word == "b") ch.bold = on;
  else if (word == "i") ch.italic = on;
  else if (word == "ulnone") ch.underline = false;
  else if (word.starts_with("ul") && word != "ulc") ch.underline = on;
  else if (word == "strike" || word == "striked") ch.strike = on;
  else if (word == "f") ch.font = Clamp(param, 0, 1 << 20);
  else if (word == "fs") ch.halfPoints = hasParam && param > 0 ? Clamp(param, 2, 3276) : 24;
  else if (word == "cf") ch.color = Clamp(param, 0, 1 << 20);
  else if (word == "highlight" || word == "cb") ch.highlight = Clamp(param, 0, 1 << 20);
}

std::optional<QColor> ColorAt(const std::vector<std::optional<QColor>>& colors, int index) {
  if (index <= 0 || index >= static_cast<int>(colors.size())) return std::nullopt;
  return colors[static_cast<std::size_t>(index)];
}

QTextBlockFormat BlockFormat(const ParaState& p) {
  QTextBlockFormat f;
  static const Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
  f.setAlignment(kAlign[p.align]);
  if (p.left != 0) f.setLeftMargin(p.left);
  if (p.right != 0) f.setRightMargin(p.right);
  if (p.first != 0) f.setTextIndent(p.first);
  if (p.before != 0) f.setTopMargin(p.before);
  if (p.after != 0) f.setBottomMargin(p.after);
  if (p.spacing != 0) {
    if (p.multiple) f.setLineHeight(std::abs(p.spacing) / 2.4, QTextBlockFormat::ProportionalHeight);
    else if (p.spacing > 0) f.setLineHeight(p.spacing, QTextBlockFormat::MinimumHeight);
    else f.setLineHeight(-p.spacing, QTextBlockFormat::FixedHeight);
  }
  if (!p.tabs.empty()) {
    QList<QTextOption::Tab> tabs;
    std::vector<int> sorted = p.tabs;
    std::sort(sorted.begin(), sorted.end());
    for (int t : sorted) tabs.append(QTextOption::Tab(t, QTextOption::LeftTab));
    f.setTabPositions(tabs);
  }
  return f;
}

void RtfReader::Build(QTextDocument& doc) {
  Flush();
  EndFontEntry();
  Paragraph& last = paragraphs_.back();
  if (paragraphEnds_ > 0 && last.Empty()) {
    // The final paragraph mark ends the last paragraph rather than
    // starting an empty one.
    paragraphs_.pop_back();
  } else {
    last.para = Top().para;
    last.mark = Top().ch;
  }

  std::map<int, QTextCharFormat> byFont;
  auto charFormat = [&](const CharState& ch) {
    QTextCharFormat f;
    auto font = fonts_.find(ch.font < 0 ? deff_ : ch.font);
    if (font == fonts_.end()) font = fonts_.find(deff_);
    QString family = font != fonts_.end() ? font->second.name : QString();
    if (family.isEmpty()) family = QString::fromUtf8(kRtfDefaultFamily);
    f.setFontFamilies(QStringList{family});
    f.setProperty(kCharsetProperty, font != fonts_.end() ? font->second.charset : 1);
    f.setFontPointSize(ch.halfPoints / 2.0);
    f.setFontWeight(ch.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(ch.italic);
    f.setFontUnderline(ch.underline);
    f.setFontStrikeOut(ch.strike);
    if (auto c = ColorAt(colors_, ch.color)) f.setForeground(*c);
    if (auto c = ColorAt(colors_, ch.highlight)) f.setBackground(*c);
    return f;
  };

  doc.clear();
  QTextOption option = doc.defaultTextOption();
  option.setTabStopDistance(deftab_);
  doc.setDefaultTextOption(option);
  QTextCursor cursor(&doc);
  for (std::size_t i = 0; i < paragraphs_.size(); ++i) {
    const Paragraph& p = paragraphs_[i];
    if (i == 0) {
      cursor.setBlockFormat(BlockFormat(p.para));
      cursor.setBlockCharFormat(charFormat(p.mark));
    } else {
      cursor.insertBlock(BlockFormat(p.para), charFormat(p.mark));
    }
    for (const Run& r : p.runs) {
      const QString text = Sanitized(r.text);
      if (!text.isEmpty()) cursor.insertText(text, charFormat(r.ch));
    }
  }
}

// ---- writer -------------------------------------------------------------

struct FontKey {
  QString family;
  int charset = 1;
  bool operator<(const FontKey& o) const {
    return family != o.family ? family < o.family : charset < o.charset;
  }
};

FontKey FontOf(const QTextCharFormat& f) {
  const QStringList families = f.fontFamilies().toStringList();
  FontKey key{families.isEmpty() ? QString::fromUtf8(kRtfDefaultFamily) : families.first(),
              f.hasProperty(kCharsetProperty) ? f.intProperty(kCharsetProperty) : 1};
  return key;
}

class RtfWriter {
 public:
  explicit RtfWriter(const QTextDocument& doc) : doc_(doc) {}
  std::string Write();

 private:
  int FontIndex(const QTextCharFormat& f) {
    const FontKey key = FontOf(f);
    auto [it, added] = fontIndex_.emplace(key, static_cast<int>(fonts_.size()));
    if (added) fonts_.push_back(key);
    return it->second;
  }
  int ColorIndex(const QColor& c) {
    const QRgb rgb = c.rgb() & 0xFFFFFF;
    auto [it, added] = colorIndex_.emplace(rgb, static_cast<int>(colors_.size()) + 1);
    if (added) colors_.push_back(rgb);
    return it->second;
  }
  void Control(std::string_view word, std::optional<long long> param = std::nullopt) {
    out_ += '\\';
    out_ += word;
    if (param) out_ += std::to_string(*param);
    delimit_ = true;
  }
  void Raw(std::string_view s) {
    if (delimit_) out_ += ' ';
    delimit_ = false;
    out_ += s;
  }
  void CharProps(const QTextCharFormat& f);
  void Text(const QString& text, int codePage);
  void Unicode(char32_t c);

  const QTextDocument& doc_;
  std::string out_;
  bool delimit_ = false;
  std::map<FontKey, int> fontIndex_;
  std::vector<FontKey> fonts_;
  std::map<QRgb, int> colorIndex_;
  std::vector<QRgb> colors_;
};

void RtfWriter::CharProps(const QTextCharFormat& f) {
  Control("plain");
  Control("f", FontIndex(f));
  const double size = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : kRtfDefaultPointSize;
  Control("fs", std::llround(size * 2));
  if (f.fontWeight() >= QFont::DemiBold) Control("b");
  if (f.fontItalic()) Control("i");
  if (f.fontUnderline()) Control("ul");
  if (f.fontStrikeOut()) Control("strike");
  if (f.hasProperty(QTextFormat::ForegroundBrush)) Control("cf", ColorIndex(f.foreground().color()));
  if (f.hasProperty(QTextFormat::BackgroundBrush)) Control("highlight", ColorIndex(f.background().color()));
}

// Whether a character below 0x80 written as its byte reads back as itself in
// a code page: not so for some bytes of a few Asian code pages (0x5C is the
// won sign in Johab), which are written as Unicode instead.
bool AsciiReadsBack(int codePage, char32_t c) {
  if (codePage == kGbk || codePage == 1252) return true;
  static std::map<int, std::bitset<128>> tables;
  auto it = tables.find(codePage);
  if (it == tables.end()) {
    std::bitset<128> same;
    for (int b = 0x20; b < 0x80; ++b) {
      const char byte = static_cast<char>(b);
      same[static_cast<std::size_t>(b)] = Decode(codePage, std::string_view(&byte, 1)) == QString(QChar(b));
    }
    it = tables.emplace(codePage, same).first;
  }
  return it->second[static_cast<std::size_t>(c)];
}

void RtfWriter::Text(const QString& text, int codePage) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
      c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
      ++i;
    }
    const bool ascii = c >= 0x20 && c < 0x80;
    if (ascii && !AsciiReadsBack(codePage, c)) {
      Unicode(c);
    } else if (c == '\\' || c == '{' || c == '}') {
      Raw(std::string{'\\', static_cast<char>(c)});
    } else if (c == '\t') {
      Control("tab");
    } else if (c == QChar::LineSeparator) {
      Control("line");
    } else if (c == 0xA0) {
      Raw("\\~");
    } else if (c < 0x20) {
    } else if (ascii) {
      Raw(std::string(1, static_cast<char>(c)));
    } else if (const std::uint16_t g = codePage == kGbk ? UnicodeToGbkChar(c) : 0; g != 0) {
      static const char kHex[] = "0123456789abcdef";
      std::string bytes;
      for (int b : g > 0xFF ? std::vector<int>{g >> 8, g & 0xFF} : std::vector<int>{g})
        bytes += std::string{'\\', '\'', kHex[b >> 4], kHex[b & 15]};
      Raw(bytes);
    } else {
      Unicode(c);
    }
  }
}

void RtfWriter::Unicode(char32_t c) {
  // "?" for readers without Unicode; it needs no delimiter.
  auto unit = [&](char32_t u) {
    Control("u", u > 32767 ? static_cast<long long>(u) - 65536 : static_cast<long long>(u));
    out_ += '?';
    delimit_ = false;
  };
  if (c > 0xFFFF) {
    unit(QChar::highSurrogate(c));
    unit(QChar::lowSurrogate(c));
  } else {
    unit(c);
  }
}

std::string RtfWriter::Write() {
  std::string body;
  std::swap(out_, body);
  for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
    const QTextBlockFormat bf = block.blockFormat();
    Control("pard");
    const Qt::Alignment align = bf.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignHCenter) Control("qc");
    else if (align & Qt::AlignRight) Control("qr");
    else if (align & Qt::AlignJustify) Control("qj");
    auto twips = [&](std::string_view word, double v) {
      if (const long long t = std::llround(v); t != 0) Control(word, t);
    };
    twips("li", bf.leftMargin());
    twips("ri", bf.rightMargin());
    twips("fi", bf.textIndent());
    twips("sb", bf.topMargin());
    twips("sa", bf.bottomMargin());
    switch (bf.lineHeightType()) {
      case QTextBlockFormat::ProportionalHeight:
        Control("sl", std::llround(bf.lineHeight() * 2.4));
        Control("slmult", 1);
        break;
      case QTextBlockFormat::MinimumHeight:
        Control("sl", std::llround(bf.lineHeight()));
        Control("slmult", 0);
        break;
      case QTextBlockFormat::FixedHeight:
        Control("sl", -std::llround(bf.lineHeight()));
        Control("slmult", 0);
        break;
      default: break;
    }
    for (const QTextOption::Tab& tab : bf.tabPositions()) Control("tx", std::llround(tab.position));
    QTextCharFormat last;
    bool any = false;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      const QTextCharFormat f = fragment.charFormat();
      if (!any || f != last) CharProps(f);
      Text(fragment.text(), CodePageOfCharset(FontOf(f).charset, kGbk));
      last = f;
      any = true;
    }
    const QTextCharFormat mark = block.charFormat();
    if (!any || mark != last) CharProps(mark);
    Control("par");
    out_ += "\r\n";
    delimit_ = false;
  }
  std::swap(out_, body);

  if (fonts_.empty()) FontIndex(QTextCharFormat());
  out_ = "{\\rtf1\\ansi\\ansicpg936\\deff0";
  Control("deftab", std::llround(doc_.defaultTextOption().tabStopDistance()));
  out_ += "{\\fonttbl";
  delimit_ = false;
  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    out_ += "{";
    Control("f", static_cast<long long>(i));
    Control("fnil");
    Control("fcharset", fonts_[i].charset);
    Text(fonts_[i].family, CodePageOfCharset(fonts_[i].charset, kGbk));
    Raw(";}");
  }
  out_ += "}\r\n";
  if (!colors_.empty()) {
    out_ += "{\\colortbl ;";
    for (QRgb c : colors_)
      out_ += "\\red" + std::to_string(qRed(c)) + "\\green" + std::to_string(qGreen(c)) + "\\blue" +
              std::to_string(qBlue(c)) + ";";
    out_ += "}\r\n";
  }
  delimit_ = false;
  Control("viewkind", 4);
  Control("uc", 1);
  out_ += body;
  out_ += "}";
  return out_;
}

}  // namespace

void ReadRtf(std::string_view rtf, QTextDocument& doc) {
  std::size_t start = 0;
  while (start < rtf.size() && (rtf[start] == ' ' || rtf[start] == '\r' || rtf[start] == '\n' || rtf[start] == '\t'))
    ++start;
  if (rtf.substr(start, 5) != "{\\rtf") {
    // Plain text: one paragraph a line, in the default font.
    std::string rtfText = "{\\rtf1\\deff0{\\fonttbl{\\f0\\fcharset1 " + Utf8ToGbk(kRtfDefaultFamily) + ";}}";
    for (std::size_t i = 0; i < rtf.size(); ++i) {
      const char c = rtf[i];
      if (c == '\r' || c == '\n') {
        rtfText += "\\par ";
        if (c == '\r' && i + 1 < rtf.size() && rtf[i + 1] == '\n') ++i;
        continue;
      }
      if (IsLeadByte(c) && i + 1 < rtf.size()) {
        // A double-byte character goes as it stands: the reader joins the
        // pair, its trail byte never escaped.
        rtfText += c;
        rtfText += rtf[++i];
        continue;
      }
      if (c == '\\' || c == '{' || c == '}') rtfText += '\\';
      rtfText += c;
    }
    rtfText += "}";
    RtfReader reader(rtfText);
    reader.Read();
    reader.Build(doc);
    return;
  }
  RtfReader reader(rtf.substr(start));
  reader.Read();
  reader.Build(doc);
}

std::string WriteRtf(const QTextDocument& doc) { return RtfWriter(doc).Write(); }

int RichTextLength(const QTextDocument& doc) { return std::max(0, doc.characterCount() - 1); }

}  // namespace talven
