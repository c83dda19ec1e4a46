#include "report/export/workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>
#include <memory>
#include <unistd.h>

#include "base/error.h"
#include "base/format.h"
#include "base/text.h"
#include "report/model/progress_box.h"
#include "report/render/canvas.h"

namespace talven {

double WorkbookRowHeight(TfrExtended top, TfrExtended bottom, double scaleY) {
  return std::min(static_cast<double>((bottom - top) * scaleY / 1.31L), kMaxRowHeight);
}

double WorkbookColumnWidth(TfrExtended left, TfrExtended right, double scaleX) {
  return static_cast<double>((right - left) * scaleX / 8.0L);
}

std::string ColumnName(int column) {
  std::string name;
  for (int n = column; n > 0; n = (n - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  return name;
}

std::string CellName(int column, int row) { return ColumnName(column) + std::to_string(row); }

std::string CellText(const TfrStrings& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    for (char c : lines[i])
      if (c != '\r' && c != '\x01') text += c;
  }
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

namespace {

lxw_color_t ToLxwColor(TColor color) {
  const Rgb c = ColorToRgb(color);
  return static_cast<lxw_color_t>(c.R) << 16 | static_cast<lxw_color_t>(c.G) << 8 | c.B;
}

std::string ErrorText(lxw_error e) { return lxw_strerror(e); }

// A cell holds at most 32767 characters; a longer text keeps its start.
constexpr std::size_t kMaxCellChars = 32767;
std::string CutToCell(std::string utf8) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
    if (++chars > kMaxCellChars) {
      utf8.resize(i);
      break;
    }
  }
  return utf8;
}

// The cell formats of one workbook: a matrix style (or none), the frame
// lines a cell draws on its edges, and wrapping, made once each.
class Formats {
 public:
  Formats(lxw_workbook* wb, const TfrIEMatrix& matrix, bool wrap) : wb_(wb), matrix_(matrix), wrap_(wrap) {}

  // The named style "S<number>": font, fill, alignments.
  void DefineStyle(int number) {
    const TfrIEMStyle& s = matrix_.StyleByNumber(number);
    StyleCells cells;
    cells.Bold = (s.Font.Style & fsBoldBit) != 0;
    cells.Italic = (s.Font.Style & fsItalicBit) != 0;
    cells.Underline = (s.Font.Style & fsUnderlineBit) != 0;
    cells.FontName = GbkToUtf8(s.Font.Name);
    cells.FontSize = s.Font.Size;
    cells.FontColor = ToLxwColor(s.Font.Color);
    cells.Filled = s.FillColor != clNone;
    cells.Fill = cells.Filled ? ToLxwColor(s.FillColor) : 0;
    switch (s.Alignment & 3) {
      case 3: cells.Horizontal = LXW_ALIGN_JUSTIFY; break;
      case 1: cells.Horizontal = LXW_ALIGN_RIGHT; break;
      case 2: cells.Horizontal = LXW_ALIGN_CENTER; break;
      default: cells.Horizontal = LXW_ALIGN_LEFT; break;
    }
    if (s.Alignment & frtaMiddle) cells.Vertical = LXW_ALIGN_VERTICAL_CENTER;
    else if (s.Alignment & frtaDown) cells.Vertical = LXW_ALIGN_VERTICAL_BOTTOM;
    else cells.Vertical = LXW_ALIGN_VERTICAL_TOP;
    styles_[number] = cells;
  }

  // A format for a cell: its style (-1: none) and the frame bits of its
  // own edges.
  lxw_format* For(int style, int edges) {
    const long key = (static_cast<long>(style) + 1) << 4 | edges;
    auto it = made_.find(key);
    if (it != made_.end()) return it->second;
    lxw_format* f = workbook_add_format(wb_);
    if (style >= 0) {
      auto s = styles_.find(style);
      if (s != styles_.end()) Apply(f, s->second);
    }
    if (edges & frbLeft) format_set_left(f, LXW_BORDER_THIN);
    if (edges & frbRight) format_set_right(f, LXW_BORDER_THIN);
    if (edges & frbTop) format_set_top(f, LXW_BORDER_THIN);
    if (edges & frbBottom) format_set_bottom(f, LXW_BORDER_THIN);
    if (wrap_) format_set_text_wrap(f);
    made_.emplace(key, f);
    return f;
  }

  // What empty cells carry: wrapping, when on.
  lxw_format* Plain() { return wrap_ ? For(-1, 0) : nullptr; }

 private:
  struct StyleCells {
    bool Bold = false, Italic = false, Underline = false;
    std::string FontName;
    double FontSize = 10;
    lxw_color_t FontColor = 0;
    bool Filled = false;
    lxw_color_t Fill = 0;
    std::uint8_t Horizontal = LXW_ALIGN_LEFT, Vertical = LXW_ALIGN_VERTICAL_TOP;
  };

  static void Apply(lxw_format* f, const StyleCells& s) {
    if (s.Bold) format_set_bold(f);
    if (s.Italic) format_set_italic(f);
    if (s.Underline) format_set_underline(f, LXW_UNDERLINE_SINGLE);
    if (!s.FontName.empty()) format_set_font_name(f, s.FontName.c_str());
    format_set_font_size(f, s.FontSize);
    format_set_font_color(f, s.FontColor == 0 ? lxw_color_t{LXW_COLOR_BLACK} : s.FontColor);
    if (s.Filled) {
      format_set_pattern(f, LXW_PATTERN_SOLID);
      format_set_fg_color(f, s.Fill == 0 ? lxw_color_t{LXW_COLOR_BLACK} : s.Fill);
    }
    format_set_align(f, s.Horizontal);
    format_set_align(f, s.Vertical);
  }

  lxw_workbook* wb_;
  const TfrIEMatrix& matrix_;
  bool wrap_;
  std::map<int, StyleCells> styles_;
  std::map<long, lxw_format*> made_;
};

// The workbook is written beside its target and renamed into place, so a
// failed export leaves no half-written file under the user's name.
std::string TemporaryBeside(const std::string& target) {
  return target + ".part" + std::to_string(static_cast<long>(getpid()));
}

// A workbook given up on the way is closed and its file removed.
struct WorkbookCloser {
  lxw_workbook* wb;
  std::string file;
  ~WorkbookCloser() {
    if (wb == nullptr) return;
    workbook_close(wb);
    std::error_code ec;
    std::filesystem::remove(file, ec);
  }
};

}  // namespace

void WriteWorkbook(TfrIEMatrix& matrix, const std::string& fileName, const TfrWorkbookOptions& options,
                   const TfrWorkbookPageSetup& setup, bool* cancelFlag) {
  const int columns = std::max(matrix.Width() - 1, 0), rows = std::max(matrix.Height() - 1, 0);
  if (columns > LXW_COL_MAX || rows > LXW_ROW_MAX)
    throw Error(Format("The export needs %d columns and %d rows; a worksheet holds %d columns and %d rows",
                       {columns, rows, LXW_COL_MAX, LXW_ROW_MAX}));
  const std::string target = GbkToUtf8(fileName);
  const std::string temporary = TemporaryBeside(target);
  std::error_code ignoredError;
  std::filesystem::remove(temporary, ignoredError);

  lxw_workbook_options wbOptions{};
  wbOptions.use_zip64 = LXW_TRUE;
  WorkbookCloser closer{workbook_new_opt(temporary.c_str(), &wbOptions), temporary};
  if (closer.wb == nullptr) throw Error("Cannot create file \"" + fileName + "\"");
  lxw_workbook* wb = closer.wb;
  lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
  if (ws == nullptr) throw Error("Cannot create file \"" + fileName + "\"");

  if (setup.Known) {
    // Margins in points are a quarter of the report units; the sheet wants
    // inches.
    auto inches = [](std::int32_t units) { return units / 4.0 / 72.0; };
    worksheet_set_margins(ws, inches(setup.Margins.Left), inches(setup.Margins.Right), inches(setup.Margins.Top),
                          inches(setup.Margins.Bottom));
    if (setup.Landscape) worksheet_set_landscape(ws);
    else worksheet_set_portrait(ws);
  }

  bool ignored = false;
  bool& reportCancelled = cancelFlag != nullptr ? *cancelFlag : ignored;
  reportCancelled = false;
  Formats formats(wb, matrix, options.CellsWrapWords);
  std::unique_ptr<TfrProgress> box = NewProgressBox();
  struct CloseBox {
    TfrProgress& p;
    ~CloseBox() { p.Close(); }
  } closeBox{*box};

  // Rows: only the report's flag can stop this pass.
  box->Start(rows, "Please wait", true, true);
  for (int s = 1; s <= rows && !reportCancelled; ++s) {
    box->Step();
    const double h = WorkbookRowHeight(matrix.RowPosition(s - 1), matrix.RowPosition(s), options.ScaleY);
    worksheet_set_row(ws, static_cast<lxw_row_t>(s - 1), h, nullptr);
  }
  auto stopped = [&] { return box->Cancelled() || reportCancelled; };
  if (!stopped()) {
    box->Start(columns, "Progress columns", true, true);
    lxw_format* plain = formats.Plain();
    for (int u = 1; u <= columns && !stopped(); ++u) {
      box->Step();
      const double w = WorkbookColumnWidth(matrix.ColumnPosition(u - 1), matrix.ColumnPosition(u), options.ScaleX);
      worksheet_set_column(ws, static_cast<lxw_col_t>(u - 1), static_cast<lxw_col_t>(u - 1), w, plain);
    }
  }
  if (!stopped()) {
    box->Start(std::max(matrix.StyleCount() - 1, 0), "Progress styles", true, true);
    for (int i = 0; i < matrix.StyleCount() && !stopped(); ++i) {
      formats.DefineStyle(i);
      box->Step();
    }
  }
  if (!stopped()) {
    box->Start(matrix.Height(), "Progress objects", true, true);
    for (int s = 1; s <= matrix.Height() && !stopped(); ++s) {
      box->Step();
      for (int c = 1; c <= matrix.Width(); ++c) {
        const int number = matrix.CellAt(c - 1, s - 1);
        TfrIEMObject* obj = matrix.ObjectByNumber(number);
        if (obj == nullptr || obj->Written) continue;
        obj->Written = true;
        const TfrIEMPlacement p = matrix.Placement(number);
        const auto r0 = static_cast<lxw_row_t>(s - 1), r1 = static_cast<lxw_row_t>(s - 2 + p.RowSpan);
        const auto c0 = static_cast<lxw_col_t>(c - 1), c1 = static_cast<lxw_col_t>(c - 2 + p.ColSpan);
        if (obj->IsText) {
          const int style = options.HighQuality ? obj->StyleIndex : -1;
          const int bits = options.CellsBorders ? matrix.StyleByNumber(obj->StyleIndex).FrameTyp & 15 : 0;
          // The frame lines go on the outer edges of the range.
          auto edgesOf = [&](lxw_row_t r, lxw_col_t col) {
            int e = 0;
            if (col == c0) e |= bits & frbLeft;
            if (col == c1) e |= bits & frbRight;
            if (r == r0) e |= bits & frbTop;
            if (r == r1) e |= bits & frbBottom;
            return e;
          };
          const std::string text = CutToCell(GbkToUtf8(CellText(obj->Text)));
          lxw_error e = LXW_NO_ERROR;
          const bool merge = options.CellsMerged && (p.ColSpan > 1 || p.RowSpan > 1);
          if (merge) e = worksheet_merge_range(ws, r0, c0, r1, c1, text.c_str(), formats.For(style, edgesOf(r0, c0)));
          else if (!text.empty()) e = worksheet_write_string(ws, r0, c0, text.c_str(), formats.For(style, edgesOf(r0, c0)));
          if (e != LXW_NO_ERROR) throw Error("Cannot write " + CellName(c, s) + ": " + ErrorText(e));
          // The other cells of the range carry the style and their edges.
          for (lxw_row_t r = r0; r <= r1; ++r)
            for (lxw_col_t col = c0; col <= c1; ++col) {
              if (r == r0 && col == c0 && (merge || !text.empty())) continue;
              lxw_format* f = formats.For(style, edgesOf(r, col));
              if (style >= 0 || edgesOf(r, col) != 0 || merge) worksheet_write_blank(ws, r, col, f);
            }
        } else if (options.Pictures && obj->Image != nullptr && !obj->Image->Png.empty()) {
          // Pictures keep their size: a pixel of the drawing is 1/1.33 point.
          lxw_image_options io{};
          io.x_scale = io.y_scale = 1.0 / (1.33 * 0.75);
          io.object_position = LXW_OBJECT_MOVE_DONT_SIZE;
          const lxw_error e = worksheet_insert_image_buffer_opt(
              ws, r0, c0, reinterpret_cast<const unsigned char*>(obj->Image->Png.data()), obj->Image->Png.size(), &io);
          if (e != LXW_NO_ERROR) throw Error("Cannot insert the picture at " + CellName(c, s) + ": " + ErrorText(e));
        }
      }
    }
  }
  if (options.PageBreaks) {
    // A break before the first row of every page but the first; a sheet
    // holds at most 1023 of them.
    std::vector<lxw_row_t> breaks;
    for (TfrExtended y : matrix.PageBreaks()) {
      const std::vector<TfrExtended>& positions = matrix.RowPositions();
      const int row = static_cast<int>(std::lower_bound(positions.begin(), positions.end(), y) - positions.begin());
      if (row > 0 && row < rows && (breaks.empty() || breaks.back() < static_cast<lxw_row_t>(row)))
        breaks.push_back(static_cast<lxw_row_t>(row));
    }
    if (breaks.size() > 1023) breaks.resize(1023);
    if (!breaks.empty()) {
      breaks.push_back(0);
      worksheet_set_h_pagebreaks(ws, breaks.data());
    }
  }
  worksheet_set_selection(ws, 0, 0, 0, 0);

  lxw_workbook* toClose = closer.wb;
  closer.wb = nullptr;
  const lxw_error e = workbook_close(toClose);
  if (e != LXW_NO_ERROR) {
    std::filesystem::remove(temporary, ignoredError);
    throw Error("Cannot create file \"" + fileName + "\": " + ErrorText(e));
  }
  std::error_code ec;
  std::filesystem::rename(temporary, target, ec);
  if (ec) {
    std::filesystem::remove(temporary, ignoredError);
    throw Error("Cannot create file \"" + fileName + "\": " + Utf8ToGbk(ec.message()));
  }
}

}  // namespace talven
