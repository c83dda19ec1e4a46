#include "report/export/matrix.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "base/rounding.h"
#include "report/export/pixel_canvas.h"
#include "report/model/progress_box.h"
#include "report/model/rich_view.h"
#include "report/render/render_view.h"

namespace talven {

bool TfrIEMStyle::SameAs(const TfrIEMStyle& o) const {
  return Font.Color == o.Font.Color && Font.Name == o.Font.Name && Font.Size == o.Font.Size &&
         Font.Style == o.Font.Style && Alignment == o.Alignment && FrameTyp == o.FrameTyp &&
         FrameWidth == o.FrameWidth && FrameColor == o.FrameColor && FrameStyle == o.FrameStyle &&
         FillColor == o.FillColor;
}

std::size_t TfrIEMatrix::StyleKey::operator()(const TfrIEMStyle& s) const {
  std::size_t h = std::hash<std::string>{}(s.Font.Name);
  auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
  mix(static_cast<std::uint32_t>(s.Font.Color));
  mix(static_cast<std::uint32_t>(s.Font.Size));
  mix(s.Font.Style);
  mix(static_cast<std::uint32_t>(s.Alignment));
  mix(static_cast<std::uint32_t>(s.FrameTyp));
  mix(std::hash<float>{}(s.FrameWidth));
  mix(static_cast<std::uint32_t>(s.FrameColor));
  mix(static_cast<std::uint32_t>(s.FrameStyle));
  mix(static_cast<std::uint32_t>(s.FillColor));
  return h;
}

TfrIEMatrix::TfrIEMatrix() = default;
TfrIEMatrix::~TfrIEMatrix() = default;

int TfrIEMatrix::AddStyle(const TfrIEMStyle& style) {
  auto [it, added] = styleIndex_.try_emplace(style, static_cast<int>(styles_.size()));
  if (added) styles_.push_back(style);
  return it->second;
}

// A value already among the last 100 of the list is not added again: edges
// of neighbouring objects repeat close together, and looking no further
// keeps adding linear. The exact merge comes after sorting.
void TfrIEMatrix::AddPosition(std::vector<TfrExtended>& list, TfrExtended value) {
  const std::size_t from = list.size() > 100 ? list.size() - 100 : 0;
  for (std::size_t i = list.size(); i > from; --i)
    if (list[i - 1] == value) return;
  list.push_back(value);
}

namespace {

// 40 million pixels: a picture of 6000 × 6000 units, far beyond any paper.
constexpr std::int64_t kMaxPicturePixels = 40'000'000;

TfrIEMPicture DrawPicture(TfrView& view) {
  // One pixel per unit, with a pixel to spare on the right and below for
  // the frame line on the object's far edges.
  const int w = RoundHalfEven(static_cast<double>(view.Width)) + 1;
  const int h = RoundHalfEven(static_cast<double>(view.Height)) + 1;
  TfrIEMPicture picture;
  picture.Width = w;
  picture.Height = h;
  // An object larger than any sheet (a damaged file) keeps its place but
  // gets no picture, rather than gigabytes of pixels.
  if (w <= 1 || h <= 1 || static_cast<std::int64_t>(w) * h > kMaxPicturePixels) return picture;
  PixelCanvas canvas(ScratchCanvas().Metrics(), w, h);
  const std::int32_t left = view.Left, top = view.Top;
  const double scaleX = view.DrawScaleX, scaleY = view.DrawScaleY;
  const std::int32_t offX = view.DrawOffsetX, offY = view.DrawOffsetY;
  view.Left = view.Top = 0;
  view.DrawScaleX = view.DrawScaleY = 1.0;
  view.DrawOffsetX = view.DrawOffsetY = 0;
  struct Restore {
    TfrView& v;
    std::int32_t left, top, offX, offY;
    double scaleX, scaleY;
    ~Restore() {
      v.Left = left, v.Top = top;
      v.DrawScaleX = scaleX, v.DrawScaleY = scaleY;
      v.DrawOffsetX = offX, v.DrawOffsetY = offY;
    }
  } restore{view, left, top, offX, offY, scaleX, scaleY};
  RenderView(view, canvas);
  picture.Png = EncodePng(canvas.Image());
  return picture;
}

}  // namespace

void TfrIEMatrix::AddObject(TfrView& view) {
  TfrIEMStyle style;
  auto* memo = dynamic_cast<TfrMemoView*>(&view);
  if (memo != nullptr) {
    style.Font = memo->Font;
    style.Alignment = memo->Alignment;
    style.FrameTyp = memo->FrameTyp;
    style.FrameWidth = memo->FrameWidth;
    style.FrameColor = memo->FrameColor;
    style.FrameStyle = memo->FrameStyle;
  } else {
    style.Font = TfrFont{};  // Arial, 10, black
  }
  style.FillColor = view.FillColor;

  TfrIEMObject obj;
  obj.StyleIndex = AddStyle(style);
  obj.Left = view.Left;
  obj.Top = view.Top + PageOffsetY;
  obj.Width = view.Width;
  obj.Height = view.Height;
  auto* rich = dynamic_cast<TfrRichView*>(&view);
  if (memo != nullptr) {
    obj.Text = memo->Memo;
  } else if (rich != nullptr && ExportRich) {
    obj.Text = RichAsPlain ? RichTextPlainLines(rich->RichText) : TfrStrings{rich->RichText};
    obj.IsRich = true;
  } else {
    obj.IsText = false;
    if (DrawPictures) obj.Image = std::make_unique<TfrIEMPicture>(DrawPicture(view));
  }
  ContentRight = std::max(ContentRight, obj.Left + obj.Width);
  ContentBottom = std::max(ContentBottom, obj.Top + obj.Height);
  AddPosition(columns_, obj.Left);
  AddPosition(columns_, obj.Left + obj.Width);
  AddPosition(rows_, obj.Top);
  AddPosition(rows_, obj.Top + obj.Height);
  Append(std::move(obj));
}

void TfrIEMatrix::Append(TfrIEMObject obj) {
  TfrIEMObjectList entry;
  entry.Obj = std::make_unique<TfrIEMObject>(std::move(obj));
  objects_.push_back(std::move(entry));
}

void TfrIEMatrix::AddPageBreak() {
  PageOffsetY = ContentBottom;
  pageBreaks_.push_back(ContentBottom);
}

void TfrIEMatrix::PrepareBoundaries(std::vector<TfrExtended>& list, TfrExtended limit, TfrProgress& progress) {
  std::sort(list.begin(), list.end());
  progress.Step();
  // Of values that lie within the tolerance of their successor only the
  // successor stays, so a run of close values ends in its last one.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < list.size(); ++i)
    if (i + 1 == list.size() || list[i + 1] - list[i] > MergeTolerance) list[kept++] = list[i];
  list.resize(kept);
  progress.Step();
  bool added = false;
  if (limit > 0) {
    const std::size_t pairs = list.size();
    for (std::size_t i = 0; i + 1 < pairs; ++i) {
      const TfrExtended first = list[i], gap = list[i + 1] - first;
      if (gap <= limit) continue;
      const auto count = static_cast<long long>(std::trunc(gap / limit));
      for (long long k = 1; k <= count; ++k) AddPosition(list, first + static_cast<TfrExtended>(k) * limit);
      added = true;
    }
  }
  progress.Step();
  if (added) std::sort(list.begin(), list.end());
  progress.Step();
}

namespace {

// The index of the first position at or after the value, and the span up to
// the first position at or after the far edge (stopping at the last).
void SpanOf(const std::vector<TfrExtended>& list, TfrExtended start, TfrExtended extent, int& index, int& span) {
  const int last = static_cast<int>(list.size()) - 1;
  index = static_cast<int>(std::lower_bound(list.begin(), list.end(), start) - list.begin());
  index = std::min(index, std::max(last, 0));
  int end = static_cast<int>(std::lower_bound(list.begin() + index, list.end(), start + extent) - list.begin());
  end = std::min(end, last);
  span = std::max(end - index, 0);
}

}  // namespace

void TfrIEMatrix::PlaceEntries() {
  for (TfrIEMObjectList& e : objects_) {
    SpanOf(columns_, e.Obj->Left, e.Obj->Width, e.Col, e.ColSpan);
    SpanOf(rows_, e.Obj->Top, e.Obj->Height, e.Row, e.RowSpan);
  }
}

void TfrIEMatrix::Render() {
  cells_.assign(static_cast<std::size_t>(width_) * height_, -1);
  for (std::size_t n = 0; n < objects_.size(); ++n) {
    TfrIEMObjectList& e = objects_[n];
    if (e.Col >= width_ || e.Row >= height_) continue;
    // A transparent object takes the fill of what it lies on.
    const int under = Cell(e.Col, e.Row);
    if (styles_[e.Obj->StyleIndex].FillColor == clNone && under >= 0) {
      TfrIEMStyle style = styles_[e.Obj->StyleIndex];
      style.FillColor = styles_[objects_[under].Obj->StyleIndex].FillColor;
      e.Obj->StyleIndex = AddStyle(style);
    }
    for (int r = e.Row; r < e.Row + e.RowSpan; ++r)
      std::fill_n(&Cell(e.Col, r), e.ColSpan, static_cast<int>(n));
  }
}

void TfrIEMatrix::Analyze() {
  for (int row = 0; row < height_; ++row) {
    for (int col = 0; col < width_; ++col) {
      const int n = Cell(col, row);
      if (n < 0 || objects_[n].Placed) continue;
      // The block of equal cells that starts here: as wide as the run in its
      // first row, as deep as the rows whose run is at least that wide.
      int w = 1;
      while (col + w < width_ && Cell(col + w, row) == n) ++w;
      int h = 1;
      for (; row + h < height_; ++h) {
        int run = 0;
        while (run < w && Cell(col + run, row + h) == n) ++run;
        if (run < w) break;
      }
      TfrIEMObjectList& e = objects_[n];
      if (col == e.Col && row == e.Row && w == e.ColSpan && h == e.RowSpan) {
        e.Placed = true;
        continue;
      }
      CutBlock(n, col, row, w, h);
    }
  }
}

// A block of an object that overlaps others becomes an object of its own.
// The first block takes the text (or picture) with it; the object it came
// from is left without content.
void TfrIEMatrix::CutBlock(int number, int col, int row, int w, int h) {
  TfrIEMObjectList& from = objects_[number];
  TfrIEMObject& old = *from.Obj;
  TfrIEMObject piece;
  piece.StyleIndex = old.StyleIndex;
  piece.Left = columns_[col];
  piece.Top = rows_[row];
  piece.Width = columns_[col + w] - piece.Left;
  piece.Height = rows_[row + h] - piece.Top;
  piece.Text = std::move(old.Text);
  old.Text.clear();
  piece.Image = std::move(old.Image);
  piece.IsText = old.IsText;
  piece.IsRich = old.IsRich;
  piece.Source = &old;
  old.IsText = true;
  // Each piece keeps only the borders on the outside of the object it was
  // cut from. The edges are compared as cells: an object whose edge was
  // merged onto a neighbouring boundary still starts in its own first cell.
  if (piece.IsText) {
    const TfrIEMStyle& style = styles_[piece.StyleIndex];
    std::int32_t bits = style.FrameTyp;
    if (row != from.Row) bits &= ~frbTop;
    if (col != from.Col) bits &= ~frbLeft;
    if (row + h != from.Row + from.RowSpan) bits &= ~frbBottom;
    if (col + w != from.Col + from.ColSpan) bits &= ~frbRight;
    if (bits != style.FrameTyp) {
      TfrIEMStyle changed = style;
      changed.FrameTyp = bits;
      piece.StyleIndex = AddStyle(changed);
    }
  }
  TfrIEMObjectList entry;
  entry.Obj = std::make_unique<TfrIEMObject>(std::move(piece));
  entry.Col = col, entry.Row = row, entry.ColSpan = w, entry.RowSpan = h;
  entry.Placed = true;
  const int newNumber = static_cast<int>(objects_.size());
  objects_.push_back(std::move(entry));  // `from` and `old` are not used past here
  for (int r = row; r < row + h; ++r)
    for (int c = col; c < col + w; ++c)
      if (Cell(c, r) == number) Cell(c, r) = newNumber;
}

void TfrIEMatrix::DropBorders() {
  auto clearBit = [this](int n, std::int32_t bit) {
    TfrIEMObject& obj = *objects_[n].Obj;
    if ((styles_[obj.StyleIndex].FrameTyp & bit) == 0) return;
    TfrIEMStyle style = styles_[obj.StyleIndex];
    style.FrameTyp &= ~bit;
    obj.StyleIndex = AddStyle(style);
  };
  auto shares = [this](int n, int other, std::int32_t otherBit) {
    const TfrIEMStyle& mine = styles_[objects_[n].Obj->StyleIndex];
    const TfrIEMStyle& theirs = styles_[objects_[other].Obj->StyleIndex];
    return (theirs.FrameTyp & otherBit) != 0 && theirs.FrameWidth == mine.FrameWidth &&
           theirs.FrameColor == mine.FrameColor;
  };
  for (int row = 0; row < height_; ++row)
    for (int col = 0; col < width_; ++col) {
      const int n = Cell(col, row);
      if (n < 0) continue;
      if (row > 0) {
        const int above = Cell(col, row - 1);
        if (above >= 0 && above != n && shares(n, above, frbBottom)) clearBit(n, frbTop);
      }
      if (col > 0) {
        const int left = Cell(col - 1, row);
        if (left >= 0 && left != n && shares(n, left, frbRight)) clearBit(n, frbLeft);
      }
    }
}

void TfrIEMatrix::Prepare() {
  std::unique_ptr<TfrProgress> progress = ProgressShown ? NewProgressBox() : std::make_unique<SilentProgressBox>();
  progress->Start(11, "Prepare export", true, false);
  struct CloseBox {
    TfrProgress& p;
    ~CloseBox() { p.Close(); }
  } closeBox{*progress};

  if (Background) {
    TfrIEMStyle style;
    style.FrameTyp = 0;
    style.FillColor = clWhite;
    TfrIEMObject back;
    back.StyleIndex = AddStyle(style);
    back.Width = ContentRight;
    back.Height = ContentBottom;
    columns_.insert(columns_.begin(), 0);
    rows_.insert(rows_.begin(), 0);
    TfrIEMObjectList entry;
    entry.Obj = std::make_unique<TfrIEMObject>(std::move(back));
    objects_.insert(objects_.begin(), std::move(entry));
  }
  PrepareBoundaries(columns_, ColumnLimit, *progress);
  PrepareBoundaries(rows_, RowLimit, *progress);
  PlaceEntries();
  progress->Step();
  width_ = static_cast<int>(columns_.size());
  height_ = static_cast<int>(rows_.size());
  Render();
  progress->Step();
  Analyze();
  progress->Step();
  if (DropSharedBorders) DropBorders();
}

void TfrIEMatrix::Clear() {
  objects_.clear();
  styles_.clear();
  styleIndex_.clear();
  columns_.clear();
  rows_.clear();
  pageBreaks_.clear();
  cells_.clear();
  width_ = height_ = 0;
  PageOffsetY = 0;
}

int TfrIEMatrix::CellAt(int col, int row) const {
  if (col < 0 || row < 0 || col >= width_ || row >= height_) return -1;
  return cells_[static_cast<std::size_t>(row) * width_ + col];
}

TfrIEMObject* TfrIEMatrix::ObjectAt(int col, int row) const { return ObjectByNumber(CellAt(col, row)); }

TfrIEMObject* TfrIEMatrix::ObjectByNumber(int number) const {
  if (number < 0 || number >= ObjectCount()) return nullptr;
  return objects_[static_cast<std::size_t>(number)].Obj.get();
}

TfrIEMPlacement TfrIEMatrix::Placement(int number) const {
  const TfrIEMObjectList& e = objects_.at(static_cast<std::size_t>(number));
  return {e.Col, e.Row, e.ColSpan, e.RowSpan};
}

TfrStrings RichTextPlainLines(const std::string& rtf) {
  TfrStrings lines(1);
  // Groups whose text is not shown: font and colour tables, pictures,
  // "\*" destinations.
  std::vector<bool> hidden{false};
  for (std::size_t i = 0; i < rtf.size();) {
    const char c = rtf[i];
    if (c == '{') {
      hidden.push_back(hidden.back());
      ++i;
      continue;
    }
    if (c == '}') {
      if (hidden.size() > 1) hidden.pop_back();
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (c != '\\') {
      if (!hidden.back()) lines.back() += c;
      ++i;
      continue;
    }
    // A control word, a control symbol or an escape.
    if (i + 1 >= rtf.size()) break;
    const char next = rtf[i + 1];
    if (next == '\'' && i + 3 < rtf.size()) {
      const std::string hex = rtf.substr(i + 2, 2);
      if (!hidden.back()) lines.back() += static_cast<char>(std::strtol(hex.c_str(), nullptr, 16));
      i += 4;
      continue;
    }
    if (next == '*') {
      hidden.back() = true;
      i += 2;
      continue;
    }
    if (!std::isalpha(static_cast<unsigned char>(next))) {
      if (!hidden.back() && (next == '\\' || next == '{' || next == '}')) lines.back() += next;
      i += 2;
      continue;
    }
    std::size_t j = i + 1;
    while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
    const std::string word = rtf.substr(i + 1, j - i - 1);
    if (j < rtf.size() && (rtf[j] == '-' || std::isdigit(static_cast<unsigned char>(rtf[j])))) {
      ++j;
      while (j < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[j]))) ++j;
    }
    if (j < rtf.size() && rtf[j] == ' ') ++j;
    i = j;
    if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info" || word == "pict")
      hidden.back() = true;
    else if (!hidden.back() && (word == "par" || word == "line"))
      lines.emplace_back();
    else if (!hidden.back() && word == "tab")
      lines.back() += '\t';
  }
  while (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace talven
