// TfrIEMatrix, the cell-layout matrix: objects of prepared pages, which sit
// anywhere on a page, mapped onto a grid of cells for table-like outputs.
//
// Objects are added one by one with their positions and styles; pages are
// stacked downwards (AddPageBreak). Prepare then derives the column and row
// boundaries from the objects' edges, merges boundaries that lie within
// MergeTolerance of each other (the later one survives), splits rows and
// columns longer than RowLimit / ColumnLimit, gives every object its
// rectangle of cells, cuts objects that overlap into rectangular pieces
// (the first piece keeps the text, each piece keeps only the borders it
// shares with the outside of the object it was cut from), and fills the
// cell array with object numbers.
//
// The matrix knows nothing of spreadsheets. Coordinates are report units,
// as long doubles; equality tests on them are exact.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "report/model/memo_view.h"
#include "report/model/view.h"

namespace talven {

using TfrExtended = long double;

// The visual style of a matrix object. Two styles are the same style when
// every field but the font's character set is equal (the font name
// compared exactly).
struct TfrIEMStyle {
  TfrFont Font;
  std::int32_t Alignment = 0;  // the memo's Alignment bits
  std::int32_t FrameTyp = 0;   // frbRight, frbBottom, frbLeft, frbTop
  float FrameWidth = 1.0f;
  TColor FrameColor = clBlack;
  std::int32_t FrameStyle = psSolid;
  TColor FillColor = clNone;

  bool SameAs(const TfrIEMStyle& o) const;
};

// The picture of a non-text object, drawn at one pixel per report unit and
// kept as PNG bytes (a page of photographs would otherwise hold megabytes of
// raw pixels until the workbook is written).
struct TfrIEMPicture {
  int Width = 0, Height = 0;  // pixels
  std::string Png;
};

struct TfrIEMObject {
  TfrStrings Text;
  int StyleIndex = 0;
  bool IsText = true;
  bool IsRich = false;
  TfrExtended Left = 0, Top = 0, Width = 0, Height = 0;
  std::unique_ptr<TfrIEMPicture> Image;
  // The object this piece was cut from, or none.
  TfrIEMObject* Source = nullptr;
  // Set by a writer once the object is out.
  bool Written = false;
};

// A placement entry: the object and its rectangle of cells.
struct TfrIEMObjectList {
  std::unique_ptr<TfrIEMObject> Obj;
  int Col = 0, Row = 0;
  int ColSpan = 1, RowSpan = 1;
  // The entry's cells form exactly its rectangle.
  bool Placed = false;
};

struct TfrIEMPlacement {
  int Col = 0, Row = 0, ColSpan = 0, RowSpan = 0;
};

class TfrProgress;

class TfrIEMatrix {
 public:
  TfrIEMatrix();
  ~TfrIEMatrix();
  TfrIEMatrix(const TfrIEMatrix&) = delete;
  TfrIEMatrix& operator=(const TfrIEMatrix&) = delete;

  // Options.
  bool ProgressShown = true;
  TfrExtended RowLimit = 0;     // largest row height; 0: none
  TfrExtended ColumnLimit = 0;  // largest column width; 0: none
  TfrExtended MergeTolerance = 0;
  bool RichAsPlain = true;
  bool ExportRich = false;
  bool Background = false;
  bool DropSharedBorders = false;
  // Draw the pictures of non-text objects; without, they keep their place
  // and have no picture.
  bool DrawPictures = true;

  // Added to every object's top: the height of the pages stacked so far.
  TfrExtended PageOffsetY = 0;
  TfrExtended ContentRight = 0, ContentBottom = 0;

  // Adds a report object at its Left and Top (the page offset added): a
  // memo with its text and style, a rich-text object as text when
  // ExportRich is set, anything else as a picture drawn at one pixel per
  // unit.
  void AddObject(TfrView& view);
  // The next page starts below the lowest object so far.
  void AddPageBreak();
  // Boundaries, cells and pieces; see the file comment.
  void Prepare();
  // Drops objects, styles, boundaries and page breaks and the cells; the
  // page offset returns to 0 (the content extent stays).
  void Clear();

  // The number of an equal style, or the style appended.
  int AddStyle(const TfrIEMStyle& style);

  // After Prepare: Width column positions and Height row positions; cells
  // are Width × Height, so the grid proper has Width − 1 columns and
  // Height − 1 rows.
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The object number of a cell; -1 for an empty cell or outside the grid.
  int CellAt(int col, int row) const;
  TfrIEMObject* ObjectAt(int col, int row) const;
  TfrIEMObject* ObjectByNumber(int number) const;
  int ObjectCount() const { return static_cast<int>(objects_.size()); }
  TfrIEMPlacement Placement(int number) const;
  const TfrIEMObjectList& Entry(int number) const { return objects_.at(static_cast<std::size_t>(number)); }
  const TfrIEMStyle& StyleByNumber(int number) const { return styles_.at(static_cast<std::size_t>(number)); }
  int StyleCount() const { return static_cast<int>(styles_.size()); }
  TfrExtended ColumnPosition(int i) const { return columns_.at(static_cast<std::size_t>(i)); }
  TfrExtended RowPosition(int i) const { return rows_.at(static_cast<std::size_t>(i)); }
  int ColumnPositionCount() const { return static_cast<int>(columns_.size()); }
  int RowPositionCount() const { return static_cast<int>(rows_.size()); }
  const std::vector<TfrExtended>& RowPositions() const { return rows_; }
  const std::vector<TfrExtended>& PageBreaks() const { return pageBreaks_; }

 private:
  struct StyleKey {
    std::size_t operator()(const TfrIEMStyle& s) const;
  };
  struct StyleEq {
    bool operator()(const TfrIEMStyle& a, const TfrIEMStyle& b) const { return a.SameAs(b); }
  };

  void Append(TfrIEMObject obj);
  static void AddPosition(std::vector<TfrExtended>& list, TfrExtended value);
  void PrepareBoundaries(std::vector<TfrExtended>& list, TfrExtended limit, TfrProgress& progress);
  void PlaceEntries();
  void Render();
  void Analyze();
  void CutBlock(int number, int col, int row, int w, int h);
  void DropBorders();
  int& Cell(int col, int row) { return cells_[static_cast<std::size_t>(row) * width_ + col]; }

  std::vector<TfrIEMObjectList> objects_;
  std::vector<TfrIEMStyle> styles_;
  std::unordered_map<TfrIEMStyle, int, StyleKey, StyleEq> styleIndex_;
  std::vector<TfrExtended> columns_, rows_, pageBreaks_;
  std::vector<int> cells_;
  int width_ = 0, height_ = 0;
};

// The lines of a rich text without its markup: paragraphs become lines,
// control words and groups of destinations are dropped, \'hh escapes give
// their byte.
TfrStrings RichTextPlainLines(const std::string& rtf);

}  // namespace talven
