#include "report/rich/rich_layout.h"

#include <QFont>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/model/memo_view.h"
#include "report/render/font_faces.h"
#include "report/rich/rtf.h"

namespace talven {

namespace {

// Widths beyond this many twips (about 290 metres) mean nothing more, and
// Qt's fixed-point positions stay in range.
constexpr int kMaxWidthTwips = 1 << 24;

std::string ToGbk(const QString& s) { return Utf8ToGbk(s.toUtf8().toStdString()); }

TColor ToColor(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

// The family of a character format as the program names fonts (GBK).
std::string FamilyOf(const QTextCharFormat& f) {
  const QStringList families = f.fontFamilies().toStringList();
  return families.isEmpty() || families.first().isEmpty() ? Utf8ToGbk(kRtfDefaultFamily) : ToGbk(families.first());
}

double PointSizeOf(const QTextCharFormat& f) {
  const double size = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : kRtfDefaultPointSize;
  return size > 0 ? std::min(size, 1638.0) : kRtfDefaultPointSize;
}

// The Qt font that lays out a character format: the face the font layer
// resolves the family to, then the Song face, 20 pixels a point.
const QFont& LayoutFont(const std::string& family, int twips, bool bold, bool italic) {
  static std::map<std::tuple<std::string, bool, bool>, QString> faces;
  static std::map<std::tuple<std::string, int, bool, bool>, QFont> fonts;
  const auto key = std::make_tuple(family, twips, bold, italic);
  if (auto it = fonts.find(key); it != fonts.end()) return it->second;
  auto face = faces.find({family, bold, italic});
  if (face == faces.end())
    face = faces.emplace(std::make_tuple(family, bold, italic), QString::fromStdString(ResolveFace(family, bold, italic).Family))
               .first;
  QFont font;
  font.setFamilies({face->second, QString::fromStdString(SongFace().Family)});
  font.setPixelSize(std::max(1, twips));
  font.setBold(bold);
  font.setItalic(italic);
  font.setKerning(false);
  font.setHintingPreference(QFont::PreferNoHinting);
  return fonts.emplace(key, font).first->second;
}

struct RunFont {
  CanvasFont canvas;  // PixelHeight in twips; scaled when drawn
  std::optional<TColor> background;
};

RunFont FontFor(const QTextCharFormat& f, QFont& qfont) {
  RunFont run;
  run.canvas.Name = FamilyOf(f);
  run.canvas.PointSize = PointSizeOf(f);
  run.canvas.PixelHeight = RoundHalfEven(run.canvas.PointSize * 20);
  const bool bold = f.fontWeight() >= QFont::DemiBold, italic = f.fontItalic();
  run.canvas.Style = static_cast<std::uint16_t>((bold ? fsBoldBit : 0) | (italic ? fsItalicBit : 0) |
                                                (f.fontUnderline() ? fsUnderlineBit : 0) |
                                                (f.fontStrikeOut() ? fsStrikeOutBit : 0));
  run.canvas.Color = f.hasProperty(QTextFormat::ForegroundBrush) ? ToColor(f.foreground().color()) : clBlack;
  run.canvas.Charset = static_cast<std::uint8_t>(f.hasProperty(kCharsetProperty) ? f.intProperty(kCharsetProperty) : 1);
  if (f.hasProperty(QTextFormat::BackgroundBrush)) run.background = ToColor(f.background().color());
  qfont = LayoutFont(run.canvas.Name, run.canvas.PixelHeight, bold, italic);
  return run;
}

}  // namespace

void RequireGuiApplication() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
    throw Error("rich text cannot be laid out without a QGuiApplication");
}

struct RichLayout::Piece {
  QTextLayout layout;
  int docStart = 0;
  struct Run {
    int start = 0, length = 0;  // in the piece's text
    RunFont font;
  };
  std::vector<Run> runs;
};

RichLayout::RichLayout(const QTextDocument& doc, int from, int widthTwips) {
  RequireGuiApplication();
  length_ = RichTextLength(doc);
  from = std::clamp(from, 0, length_);
  const double width = std::clamp(widthTwips, 1, kMaxWidthTwips);
  double y = 0, after = 0;
  for (QTextBlock block = doc.findBlock(from); block.isValid(); block = block.next()) {
    const int blockStart = block.position();
    const int offset = std::max(0, from - blockStart);
    auto piece = std::make_unique<Piece>();
    piece->docStart = blockStart + offset;
    const QString text = block.text().mid(offset);
    const int pieceLength = static_cast<int>(text.size());

    QList<QTextLayout::FormatRange> formats;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      const int start = std::max(0, fragment.position() - piece->docStart);
      const int end = std::min(pieceLength, fragment.position() + fragment.length() - piece->docStart);
      if (end <= start) continue;
      QFont qfont;
      RunFont font = FontFor(fragment.charFormat(), qfont);
      QTextCharFormat layoutFormat;
      layoutFormat.setFont(qfont, QTextCharFormat::FontPropertiesAll);
      formats.append(QTextLayout::FormatRange{start, end - start, layoutFormat});
      piece->runs.push_back(Piece::Run{start, end - start, std::move(font)});
    }
    QFont markFont;
    FontFor(block.charFormat(), markFont);

    const QTextBlockFormat bf = block.blockFormat();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setAlignment(bf.alignment() & Qt::AlignHorizontal_Mask);
    option.setUseDesignMetrics(true);
    option.setTabStopDistance(std::max(1.0, doc.defaultTextOption().tabStopDistance()));
    if (!bf.tabPositions().isEmpty()) option.setTabs(bf.tabPositions());
    piece->layout.setText(text);
    piece->layout.setFont(markFont);
    piece->layout.setTextOption(option);
    piece->layout.setFormats(formats);

    y += after;
    if (offset == 0) y += bf.topMargin();
    const double left = bf.leftMargin(), right = bf.rightMargin(), indent = offset == 0 ? bf.textIndent() : 0;
    const int pieceIndex = static_cast<int>(pieces_.size());
    piece->layout.beginLayout();
    for (int i = 0;; ++i) {
      QTextLine line = piece->layout.createLine();
      if (!line.isValid()) break;
      // Indents never take a line out of the area.
      const double x = std::max(0.0, left + (i == 0 ? indent : 0));
      const double end = width - std::max(0.0, right);
      line.setLineWidth(std::clamp(end - x, 1.0, static_cast<double>(kMaxWidthTwips)));
      line.setPosition(QPointF(x, 0));
      const double natural = line.ascent() + line.descent();
      double h = natural;
      switch (bf.lineHeightType()) {
        case QTextBlockFormat::MinimumHeight: h = std::max(natural, bf.lineHeight()); break;
        case QTextBlockFormat::FixedHeight: h = bf.lineHeight(); break;
        case QTextBlockFormat::ProportionalHeight: h = natural * bf.lineHeight() / 100; break;
        default: break;
      }
      // Extra space of a taller line goes above the text.
      lines_.push_back(Line{pieceIndex, i, piece->docStart + line.textStart(), y, h, y + h - line.descent()});
      y += h;
    }
    piece->layout.endLayout();
    after = bf.bottomMargin();
    pieces_.push_back(std::move(piece));
  }
}

RichLayout::~RichLayout() = default;

int RichLayout::FitPosition(double heightTwips) const {
  for (const Line& line : lines_)
    if (line.top + line.height > heightTwips + 1e-6) return line.start;
  return length_;
}

void RichLayout::Draw(Canvas& canvas, const TfrRect& area, double heightTwips, double fx, double fy) const {
  const auto deviceX = [&](double x) { return area.Left + x * fx; };
  const auto deviceY = [&](double y) { return area.Top + y * fy; };
  const auto whole = [](double v) { return static_cast<int>(std::floor(v + 0.5)); };
  for (const Line& line : lines_) {
    if (line.top + line.height > heightTwips + 1e-6) break;
    const Piece& piece = *pieces_[static_cast<std::size_t>(line.piece)];
    const QTextLine ql = piece.layout.lineAt(line.index);
    const int lineStart = ql.textStart(), lineEnd = ql.textStart() + ql.textLength();
    const QString& text = piece.layout.text();
    const int top = whole(deviceY(line.top)), bottom = whole(deviceY(line.top + line.height));
    for (int pass = 0; pass < 2; ++pass) {
      for (const Piece::Run& run : piece.runs) {
        const int from = std::max(run.start, lineStart), to = std::min(run.start + run.length, lineEnd);
        if (to <= from) continue;
        const int left = whole(deviceX(ql.cursorToX(from))), right = whole(deviceX(ql.cursorToX(to)));
        if (pass == 0) {
          // Highlights first, so that no run covers the text of another.
          if (run.font.background) {
            canvas.SetBrush(CanvasBrush{*run.font.background, false});
            canvas.FillRect(TfrRect{std::min(left, right), top, std::max(left, right), bottom});
          }
          continue;
        }
        std::string gbk;
        std::vector<PlacedChar> chars;
        const double baseline = deviceY(line.baseline);
        for (int i = from; i < to; ++i) {
          char32_t c = text[i].unicode();
          const int at = i;
          if (QChar::isHighSurrogate(c) && i + 1 < to && QChar::isLowSurrogate(text[i + 1].unicode())) {
            c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
          }
          if (c < 0x20 || c == QChar::LineSeparator) continue;
          std::uint16_t code = UnicodeToGbkChar(c);
          if (code == 0) code = '?';
          if (code > 0xFF) gbk += static_cast<char>(code >> 8);
          gbk += static_cast<char>(code & 0xFF);
          chars.push_back(PlacedChar{code, deviceX(ql.cursorToX(at)), baseline});
        }
        if (chars.empty()) continue;
        CanvasFont font = run.font.canvas;
        font.PixelHeight = std::max(1, whole(font.PixelHeight * fy));
        canvas.SetFont(font);
        canvas.GlyphsOut(gbk, std::move(chars), TfrRect{std::min(left, right), top, std::max(left, right), bottom},
                         area);
      }
    }
  }
}

void CopyRichRange(const QTextDocument& src, int from, int to, QTextDocument& dst) {
  const int length = RichTextLength(src);
  to = std::clamp(to, 0, length);
  from = std::clamp(from, 0, to);
  dst.clear();
  dst.setDefaultTextOption(src.defaultTextOption());
  QTextCursor out(&dst);
  bool first = true;
  for (QTextBlock block = src.findBlock(from); block.isValid(); block = block.next()) {
    const int blockStart = block.position(), blockEnd = blockStart + block.length() - 1;
    if (!first && blockStart >= to) break;
    QTextBlockFormat format = block.blockFormat();
    if (first && from > blockStart) {
      format.clearProperty(QTextFormat::TextIndent);
      format.clearProperty(QTextFormat::BlockTopMargin);
    }
    if (first) {
      out.setBlockFormat(format);
      out.setBlockCharFormat(block.charFormat());
    } else {
      out.insertBlock(format, block.charFormat());
    }
    first = false;
    const int start = std::max(from, blockStart), end = std::min(to, blockEnd);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      const int a = std::max(start, fragment.position()), b = std::min(end, fragment.position() + fragment.length());
      if (b > a) out.insertText(fragment.text().mid(a - fragment.position(), b - a), fragment.charFormat());
    }
  }
}

}  // namespace talven
