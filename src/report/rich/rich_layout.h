// Rich-text formatting: the text of a document (rtf.h) laid out into lines
// at a width in twips with Qt's text layout, from any character position;
// which character is the first that does not fit a height, and drawing the
// lines that fit onto a canvas.
//
// Layout works in twips: a font of s points is laid out 20 × s twips high,
// with unhinted advances, so lines break the same for every output and
// scale. A paragraph that starts mid-way (formatting from a position inside
// it) has neither its first-line indent nor its space before: it continues.
// Fonts are the font layer's (font_faces.h): the face a family resolves to,
// and the Song face for characters it lacks, so the canvas draws each glyph
// with the face it was measured with.
//
// Needs a QGuiApplication; without one, laying out fails with an Error.
#pragma once

#include <QTextDocument>
#include <QTextLayout>

#include <memory>
#include <optional>
#include <vector>

#include "report/model/view.h"
#include "report/render/canvas.h"

namespace talven {

class RichLayout {
 public:
  // Lays out the document's text from the position on (0 at the start) at
  // the width (twips; less than one twip counts as one).
  RichLayout(const QTextDocument& doc, int from, int widthTwips);
  ~RichLayout();
  RichLayout(const RichLayout&) = delete;
  RichLayout& operator=(const RichLayout&) = delete;

  // The position of the first character whose line does not fit the height
  // (twips) below the start; the text's length when every line fits. A line
  // fits when its bottom is at most the height; the space after the last
  // paragraph need not fit.
  int FitPosition(double heightTwips) const;

  // Draws the lines that fit the height into the area (device pixels),
  // twips scaled to the area by the factors (device pixels per twip);
  // highlights as filled rectangles, then the text runs with their fonts and
  // colours, every character where the layout put it. Text is clipped to the
  // area.
  void Draw(Canvas& canvas, const TfrRect& area, double heightTwips, double pixelsPerTwipX,
            double pixelsPerTwipY) const;

  int TextLength() const { return length_; }

 private:
  struct Piece;
  struct Line {
    int piece = 0;
    int index = 0;       // line of the piece's layout
    int start = 0;       // document position of its first character
    double top = 0, height = 0, baseline = 0;
  };

  std::vector<std::unique_ptr<Piece>> pieces_;
  std::vector<Line> lines_;
  int length_ = 0;
};

// Fails with an Error unless a QGuiApplication runs: Qt's fonts need one.
void RequireGuiApplication();

// The part [from, to) of a document's text as a document of its own, with
// the formatting of its characters and paragraphs; a first paragraph cut
// mid-way loses its first-line indent and its space before, and a part
// that ends where a paragraph begins ends with the paragraph before.
void CopyRichRange(const QTextDocument& src, int from, int to, QTextDocument& dst);

}  // namespace talven
