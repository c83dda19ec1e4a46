// TfrPreviewForm, the preview window: a report's prepared pages on a grey
// page area at a zoom, paged through with the keyboard, the wheel, the
// scroll bars and the two page buttons, with links followed, text found, and
// the toolbar's zoom, open, save, print, page setup, find and close.
//
// The window holds the report's prepared pages while it is open (the report
// keeps an empty list) and gives them back only while printing, saving or
// exporting runs on them. Printing, page setup, preparing again and export
// are reached through ReportActions(); an action whose entry is empty is not
// offered. Pages are drawn through the Qt canvas on every paint, and only the
// pages that touch the visible area hold their objects.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

#include "report/model/report.h"
#include "report/pages/prepared_pages.h"
#include "report/pages/shell.h"
#include "report/preview/preview_layout.h"
#include "report/preview/preview_search.h"

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QScrollBar;
class QToolButton;

namespace talven {

class TfrPreviewForm;
class TfrPreviewSearchForm;

// The page area: paints the pages and takes the mouse.
class TfrPBox : public QWidget {
 public:
  explicit TfrPBox(TfrPreviewForm& form, QWidget* parent);

  // The mouse state: dragging, where the mouse was last, the page clicked
  // last (1-based, 0 none).
  bool Dragging = false;
  QPoint LastMouse;
  int LastClickedPage = 0;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  TfrPreviewForm& form_;
  int wheelRest_ = 0;  // wheel movement short of a notch
};

class TfrPreviewForm : public QDialog {
 public:
  explicit TfrPreviewForm(QWidget* owner = nullptr);
  ~TfrPreviewForm() override;

  // Takes the report's pages over, applies the buttons, resets the view and
  // shows the window where it was last: modally (returning when it closes)
  // when the report's ModalPreview is set, else modelessly.
  void PresentReport(TfrReport& report);
  // Everything PresentReport does before showing the window.
  void Connect(TfrReport& report);

  // The hand-over of the prepared pages: the window takes the report's
  // pages and leaves it an empty list, or gives its pages back.
  void TakePages();
  void ReturnPages();

  // Loads the shared zoom and lays the pages out again; with reset also
  // back to page 1 at the top. Every page lets go of its objects.
  void ResetView(bool reset);
  // Which toolbar buttons show and which are enabled, from the report's
  // PreviewButtons and the actions available.
  void ApplyButtons();
  // Lays the pages out for the page area's size and the zoom.
  void RelayoutPages();
  void UpdateStatus();
  void ScrollToCurrentPage();
  // Makes the page (1-based, kept within the report) current and scrolls to
  // it.
  void ShowPage(int page);
  void PrevPage() { ShowPage(currentPage_ - 1); }
  void NextPage() { ShowPage(currentPage_ + 1); }
  // A zoom menu choice: 1, 2, 3 the modes, else a percentage.
  void ChooseZoom(int tag);
  // The keys of the window; true when the key was handled.
  bool HandleKey(int key, Qt::KeyboardModifiers modifiers);

  // The toolbar.
  void ZoomBtnClick();
  void LoadBtnClick();
  void SaveBtnClick();
  void PrintBtnClick();
  void PageSetupBtnClick();
  void FindBtnClick();
  void HelpBtnClick();
  void ExitBtnClick();

  // Opens a prepared-report file in the window (GBK name).
  void LoadFile(const std::string& fileName);
  // Saving under a name with the entry chosen in the save dialog: 0 the
  // prepared report, else the export filter of that place in the registry
  // (1-based). The extension is replaced by the entry's.
  void SaveAs(const std::string& fileName, int entry);
  // A new search from the first or the current page (text in GBK).
  void StartFind(const std::string& text, bool caseSensitive, bool fromFirstPage);
  // F3: the search again from the current page.
  void FindNextText();

  TfrReport* Report() const { return report_; }
  TfrEMFPages* Pages() const { return pages_.get(); }
  int CurrentPage() const { return currentPage_; }
  double ZoomFactor() const { return factor_; }
  int ZoomMode() const { return mode_; }
  const TfrTextSearch& Search() const { return search_; }
  // The page area's size in pixels.
  int AreaWidth() const;
  int AreaHeight() const;

  // Called by the page area.
  void PaintPages(QPainter& painter, const QRegion& region);
  void PageAreaResized();
  void MouseDown(TfrPBox& box, QMouseEvent& event);
  void MouseMove(TfrPBox& box, QMouseEvent& event);
  void MouseUp(TfrPBox& box);
  void DoubleClick(TfrPBox& box);
  void WheelNotches(int notches);

  // The controls, under their design names.
  QFrame* ToolBar;
  QFrame* Panel1;
  QToolButton* ZoomBtn;
  QFrame* frTBSeparator1;
  QToolButton* LoadBtn;
  QToolButton* SaveBtn;
  QToolButton* PrintBtn;
  QToolButton* PageSetupBtn;
  QFrame* frTBSeparator2;
  QToolButton* FindBtn;
  QToolButton* HelpBtn;
  QFrame* frTBSeparator3;
  QToolButton* ExitBtn;
  QWidget* PreviewPanel;
  QWidget* ScrollBox1;
  TfrPBox* PBox;
  QWidget* RPanel;
  QScrollBar* VScrollBar;
  QToolButton* PgUp;
  QToolButton* PgDown;
  QWidget* BPanel;
  QLabel* Label1;
  QLabel* Label2;
  QScrollBar* HScrollBar;
  QMenu* ProcMenu;
  QActionGroup* ZoomGroup;
  QAction* N5;  // the separator before the editing entries
  QAction* EditPageItem;
  QAction* AddPageItem;
  QAction* RemovePageItem;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Every way of closing passes here: the window's position is kept.
  void done(int result) override;

  // The file dialogs and the find dialog (tests answer them instead). The
  // open dialog gives the chosen file or nothing; the save dialog the file
  // and the 0-based entry of the filter chosen.
  virtual QString AskOpenFileName(const QString& filter);
  virtual bool AskSaveFileName(const QStringList& filters, int& entry, QString& fileName);
  virtual bool AskFind(TfrPreviewSearchForm& form);

 private:
  class Handover;

  void BuildControls();
  void VScrolled(int position);
  void HScrolled(int position);
  void CheckZoomItem();
  void SavePosition();
  // Applies the stored position; returns whether the window opens
  // maximized.
  bool RestorePosition();
  // Prepares the report again; the window keeps its pages when that fails
  // or is cancelled.
  bool PrepareAgain();
  void ShowMatch();
  void ReportPaintError(const std::exception& e);

  TfrReport* report_ = nullptr;
  std::shared_ptr<TfrEMFPages> pages_;
  int currentPage_ = 1;
  double factor_ = 1.0;
  int mode_ = zmPercent;
  int offsetX_ = 0, offsetY_ = 0;
  int prevX_ = 0, prevY_ = 0;
  bool paintAllowed_ = true;
  // While the window scrolls to a page it made current, the scroll does not
  // choose the current page from the view.
  bool keepCurrent_ = false;
  int wheelStep_ = 1;
  TfrTextSearch search_;
  // The match shown inverted: a search that finds nothing leaves it.
  bool highlight_ = false;
  int highlightPage_ = -1;
  TfrRect highlightBounds_;
  bool paintErrorShown_ = false;
  std::unique_ptr<TfrShell> shell_;
  std::unique_ptr<ShellScope> shellScope_;
};

// The window caption: "预览", and " - " with the report's title when it has
// one.
QString PreviewCaption(const TfrReport& report);

// The file name with its extension (from the last "." of its last part)
// replaced, or the extension added.
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);

// The page number a link's hint jumps to: what follows its "@" as a
// decimal number, at least 1; none for a hint without "@" and characters
// after it, or when they are no number.
std::optional<int> LinkPage(const std::string& hint);

}  // namespace talven
