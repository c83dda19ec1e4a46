#include "report/rich/rich_render.h"

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/rounding.h"
#include "base/text.h"
#include "report/expr/resolver.h"
#include "report/expr/tokens.h"
#include "report/model/report.h"
#include "report/model/report_data_set.h"
#include "report/render/memo_layout.h"
#include "report/render/paint.h"
#include "report/render/render_view.h"
#include "report/rich/rich_layout.h"
#include "report/rich/rtf.h"

namespace talven {

namespace {

// Report units are pixels at 96 an inch: 15 twips each.
constexpr std::int64_t kTwipsPerUnit = 1440 / 96;
constexpr std::int64_t kMaxTwips = 1 << 30;

int Twips(std::int64_t units) { return static_cast<int>(std::clamp<std::int64_t>(units * kTwipsPerUnit, 0, kMaxTwips)); }

int WidthTwips(const TfrRichView& r) { return Twips(std::int64_t{r.Width} - 2 * std::int64_t{r.GapX}); }
int HeightTwips(const TfrRichView& r) { return Twips(std::int64_t{r.Height} - 2 * std::int64_t{r.GapY}); }

std::unique_ptr<QTextDocument>& Scratch() {
  static std::unique_ptr<QTextDocument> scratch = std::make_unique<QTextDocument>();
  return scratch;
}

// The scratch text keeps only the characters [from, to).
void KeepScratchRange(int from, int to) {
  auto part = std::make_unique<QTextDocument>();
  CopyRichRange(*Scratch(), from, to, *part);
  Scratch() = std::move(part);
}

// The bound data field's content (when the field exists), then the
// report's OnBeforePrint, as for any object printed for a record.
void LoadForRecord(TfrRichView& rich) {
  rich.OutputText = rich.Memo;
  if (rich.BoundDataSet != nullptr && !rich.BoundField.empty()) {
    const int field = rich.BoundDataSet->FieldIndex(rich.BoundField);
    if (field >= 0) rich.LoadBlob(rich.BoundDataSet->FieldBytes(field));
  }
  if (TfrReport* report = EngineState().CurrentReport; report != nullptr && report->OnBeforePrint)
    report->OnBeforePrint(rich.OutputText, &rich);
}

QString InsertedText(const std::string& gbk) {
  const std::string utf8 = GbkToUtf8(gbk);
  const QString value = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    const char16_t c = value[i].unicode();
    if (c == '\r') {
      out += QLatin1Char('\n');
      if (i + 1 < value.size() && value[i + 1] == QLatin1Char('\n')) ++i;
    } else if (c >= 0x20 || c == '\t' || c == '\n') {
      out += value[i];
    }
  }
  return out;
}

// Qt lays rich text out with its fonts, which need a QGuiApplication. A
// program that has none when it first meets rich text (a command that writes
// a prepared report or a PDF file) gets one, off screen without a display,
// kept to the end of the program; reports without rich text never start Qt.
void EnsureGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "talven";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  (void)app;
}

}  // namespace

QTextDocument& ScratchRichText() { return *Scratch(); }

int FormatRichRange(const QTextDocument& doc, int from, int widthTwips, int heightTwips) {
  return RichLayout(doc, from, widthTwips).FitPosition(heightTwips);
}

std::int32_t MeasureRichHeight(TfrRichView& rich) {
  const QTextDocument& doc = ScratchRichText();
  // Lines do not depend on the height: one layout serves every step.
  const RichLayout layout(doc, rich.FormatFrom, WidthTwips(rich));
  const int length = layout.TextLength();
  int lo = 0, hi = 1000000;
  while (hi - lo > 1) {
    const int mid = lo + (hi - lo) / 2;
    if (layout.FitPosition(static_cast<double>(Twips(mid))) >= length) hi = mid;
    else lo = mid;
  }
  if (hi < 2) hi = 8;
  return 2 * rich.GapY + hi;
}

void ReplaceRichBrackets(QTextDocument& doc) {
  TfrResolver* resolver = ActiveResolver();
  if (resolver == nullptr) return;
  // The text in GBK, as bracket expressions are read, with the document
  // position of every byte; paragraph ends are carriage returns.
  std::string text;
  std::vector<int> at;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    const QString s = block.text();
    int position = block.position();
    for (qsizetype i = 0; i < s.size(); ++i, ++position) {
      char32_t c = s[i].unicode();
      const int start = position;
      if (QChar::isHighSurrogate(c) && i + 1 < s.size() && QChar::isLowSurrogate(s[i + 1].unicode())) {
        c = QChar::surrogateToUcs4(s[i].unicode(), s[i + 1].unicode());
        ++i;
        ++position;
      }
      std::uint16_t code = c == QChar::LineSeparator ? '\n' : UnicodeToGbkChar(c);
      if (code == 0) code = '?';
      if (code > 0xFF) {
        text += static_cast<char>(code >> 8);
        at.push_back(start);
      }
      text += static_cast<char>(code & 0xFF);
      at.push_back(start);
    }
    if (block.next().isValid()) {
      text += '\r';
      at.push_back(position);
    }
  }
  at.push_back(RichTextLength(doc));

  QTextCursor cursor(&doc);
  int shift = 0;  // inserted minus removed characters so far
  std::size_t done = 0;
  for (std::size_t open = FindBracket(text, 0); open != std::string::npos; open = FindBracket(text, done)) {
    const std::size_t end = BracketEnd(text, open);
    if (end == std::string::npos) break;
    const std::string value = resolver->BracketValue(std::string_view(text).substr(open + 1, end - open - 2));
    const int from = at[open] + shift, to = at[end - 1] + 1 + shift;
    cursor.setPosition(from + 1);
    QTextCharFormat format = cursor.charFormat();  // the opening bracket's
    format.setProperty(kCharsetProperty, 1);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    const QString inserted = InsertedText(value);
    if (inserted.isEmpty()) cursor.removeSelectedText();
    else cursor.insertText(inserted, format);
    shift += static_cast<int>(inserted.size()) - (to - from);
    done = end;
  }
}

void LoadScratchRichText(TfrRichView& rich) {
  ReadRtf(rich.RichText, ScratchRichText());
  if (!rich.TextOnly()) ReplaceRichBrackets(ScratchRichText());
}

void RenderRich(TfrRichView& rich, Canvas& canvas) {
  SettleBandAlign(rich, canvas);
  BeginPaint(rich);
  try {
    PaintBackground(rich, canvas);
    TfrRect area = rich.DrawRect;
    area.Left += rich.GapX;
    area.Right -= rich.GapX;
    area.Top += rich.GapY;
    area.Bottom -= rich.GapY;
    rich.FormatFrom = 0;
    if (rich.Width > 0 && rich.Height > 0) {
      // Laid out in the object's design size, drawn at its drawing scale.
      const int width = Twips(std::int64_t{rich.Kept.Width} - 2 * std::int64_t{rich.Kept.GapX});
      const int height = Twips(std::int64_t{rich.Kept.Height} - 2 * std::int64_t{rich.Kept.GapY});
      if (width > 0 && height > 0) {
        QTextDocument doc;
        ReadRtf(rich.RichText, doc);
        const RichLayout layout(doc, rich.FormatFrom, width);
        if (area.Right > area.Left && area.Bottom > area.Top)
          layout.Draw(canvas, area, height, rich.DrawScaleX / kTwipsPerUnit, rich.DrawScaleY / kTwipsPerUnit);
        rich.PartEnd = layout.FitPosition(height);
      }
    }
    PaintFrame(rich, canvas);
  } catch (...) {
    EndPaint(rich);
    throw;
  }
  EndPaint(rich);
}

std::int32_t RichContentHeight(TfrRichView& rich) {
  rich.PartEnd = 0;
  rich.PartStart = 0;
  RunViewScript(rich);
  if (!rich.Visible) return 0;
  LoadForRecord(rich);
  LoadScratchRichText(rich);
  rich.FormatFrom = 0;
  return MeasureRichHeight(rich);
}

std::int32_t RichMinimumHeight(TfrRichView&) { return 8; }

std::int32_t RichRemainingHeight(TfrRichView& rich) {
  LoadScratchRichText(rich);
  const int partEnd = rich.PartEnd, partStart = rich.PartStart;
  rich.FormatFrom = 0;
  KeepScratchRange(partEnd, RichTextLength(ScratchRichText()));
  rich.PartEnd = FormatRichRange(ScratchRichText(), 0, WidthTwips(rich), HeightTwips(rich));
  KeepScratchRange(0, rich.PartEnd);
  const std::int32_t h = MeasureRichHeight(rich);
  rich.PartEnd = partEnd;
  rich.PartStart = partStart;
  // The room this part leaves unused below its last line goes to the next
  // part, with that part's own gaps and frame.
  return std::max(rich.Height - h, 0) + 2 * rich.GapY + RoundHalfEven(2.0 * rich.FrameWidth);
}

void EmitRich(TfrRichView& rich, const std::function<void()>& write) {
  LoadScratchRichText(rich);
  if (rich.EvalState == 2) {
    rich.FormatFrom = rich.PartEnd;
    rich.PartEnd = FormatRichRange(ScratchRichText(), rich.FormatFrom, WidthTwips(rich), HeightTwips(rich));
    KeepScratchRange(rich.PartStart, rich.PartEnd);
    rich.PartStart = rich.PartEnd;
  }
  std::string own = std::move(rich.RichText);
  rich.RichText = WriteRtf(ScratchRichText());
  try {
    write();
  } catch (...) {
    rich.RichText = std::move(own);
    throw;
  }
  rich.RichText = std::move(own);
}

void StartRichEngine() {
  RegisterViewRenderer(
      "TfrRichView",
      {[](TfrView& v, Canvas& c) {
         EnsureGuiApplication();
         RenderRich(static_cast<TfrRichView&>(v), c);
       },
       [](TfrStretcheable& v, TfrHeightKind kind) -> std::int32_t {
         EnsureGuiApplication();
         auto& rich = static_cast<TfrRichView&>(v);
         switch (kind) {
           case TfrHeightKind::Content: return RichContentHeight(rich);
           case TfrHeightKind::Minimum: return RichMinimumHeight(rich);
           case TfrHeightKind::Remaining: return RichRemainingHeight(rich);
         }
         return rich.Height;
       },
       [](TfrView& v, const std::function<void()>& write) {
         EnsureGuiApplication();
         EmitRich(static_cast<TfrRichView&>(v), write);
       }});
}

}  // namespace talven
