#include "report/preview/preview_form.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QApplication>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPaintEvent>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "base/convert.h"
#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "base/ui.h"
#include "qtui/qt_ui.h"
#include "report/model/printer_adapter.h"
#include "report/pages/report_actions.h"
#include "report/print/progress_form.h"
#include "report/engine/progress.h"
#include "report/preview/preview_search_form.h"
#include "report/preview/qt_shell.h"
#include "report/render/canvas.h"
#include "report/render/qt/qt_canvas.h"

namespace talven {

namespace {

constexpr int kSmallChange = 10;
constexpr int kLargeChange = 200;
// Pages whose top lies this far below the top of the page area count as out
// of view without asking the region to paint.
constexpr int kViewDepth = 2000;

const char* const kPositionGroup = "Form/TfrPreviewForm";

// The user's settings of the preview.
std::unique_ptr<QSettings> PreviewSettings() {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Corvelin"));
}

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

// The toolbar's small pictures, drawn so that they look alike in every style.
enum class Glyph { Zoom, Print, PageSetup, Find };

QIcon GlyphIcon(Glyph glyph) {
  QPixmap pixmap(20, 20);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, true);
  const QColor ink(40, 40, 40);
  switch (glyph) {
    case Glyph::Zoom:
    case Glyph::Find:
      p.setPen(QPen(ink, 2));
      p.setBrush(glyph == Glyph::Zoom ? QColor(200, 225, 255) : QColor(255, 250, 200));
      p.drawEllipse(QRectF(3, 3, 10, 10));
      p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(12.5, 12.5), QPointF(17, 17));
      break;
    case Glyph::Print:
      p.setPen(QPen(ink, 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(5.5, 2.5, 9, 6));
      p.setBrush(QColor(170, 170, 170));
      p.drawRoundedRect(QRectF(2.5, 8.5, 15, 7), 1.5, 1.5);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(5.5, 13.5, 9, 4));
      p.setPen(QPen(QColor(0, 150, 0), 1));
      p.drawPoint(QPointF(15, 10.5));
      break;
    case Glyph::PageSetup:
      p.setPen(QPen(ink, 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(3.5, 1.5, 12, 17));
      p.setPen(QPen(QColor(60, 110, 200), 1, Qt::DashLine));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(5.5, 3.5, 8, 13));
      break;
  }
  return QIcon(pixmap);
}

QToolButton* ToolButton(QWidget* parent, const char* name, const QIcon& icon, const char* caption, const char* hint) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setIcon(icon);
  b->setIconSize(QSize(20, 20));
  b->setText(Text(caption));
  b->setToolTip(Text(hint));
  b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

// A layout without margins, its items `spacing` apart.
template <typename Layout>
Layout* Tight(Layout* layout, int spacing = 0) {
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(spacing);
  return layout;
}

QFrame* Separator(QWidget* parent, const char* name) {
  auto* s = new QFrame(parent);
  s->setObjectName(QString::fromLatin1(name));
  s->setFrameShape(QFrame::VLine);
  s->setFrameShadow(QFrame::Sunken);
  s->setFixedWidth(8);
  return s;
}

QScrollBar* ScrollBar(Qt::Orientation orientation, QWidget* parent, const char* name) {
  auto* bar = new QScrollBar(orientation, parent);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setSingleStep(kSmallChange);
  bar->setPageStep(kLargeChange);
  bar->setRange(0, 32000);
  bar->setFocusPolicy(Qt::NoFocus);
  return bar;
}

// A greyed button shows its picture grey until the mouse is over it.
class GreyedButtons : public QObject {
 public:
  using QObject::QObject;
  void Add(QToolButton* button) {
    normal_.push_back({button, button->icon()});
    button->installEventFilter(this);
    Grey(button, true);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Enter) Grey(static_cast<QToolButton*>(watched), false);
    else if (event->type() == QEvent::Leave) Grey(static_cast<QToolButton*>(watched), true);
    return false;
  }

 private:
  void Grey(QToolButton* button, bool grey) {
    for (const auto& [b, icon] : normal_) {
      if (b != button) continue;
      b->setIcon(grey ? QIcon(icon.pixmap(b->iconSize(), QIcon::Disabled)) : icon);
    }
  }
  std::vector<std::pair<QToolButton*, QIcon>> normal_;
};

// The mouse cursors a report's hover event may choose (the engine's cursor
// numbers).
Qt::CursorShape CursorShape(int cursor) {
  switch (cursor) {
    case -1: return Qt::BlankCursor;
    case -3: return Qt::CrossCursor;
    case -4: return Qt::IBeamCursor;
    case -6: return Qt::SizeBDiagCursor;
    case -7: return Qt::SizeVerCursor;
    case -8: return Qt::SizeFDiagCursor;
    case -9: return Qt::SizeHorCursor;
    case -10: return Qt::UpArrowCursor;
    case -11: return Qt::WaitCursor;
    case -12: return Qt::DragCopyCursor;
    case -13: case -18: return Qt::ForbiddenCursor;
    case -14: return Qt::SplitHCursor;
    case -15: return Qt::SplitVCursor;
    case -19: return Qt::BusyCursor;
    case -20: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case -22: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

QRect ToQRect(const TfrRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

TfrRect Offset(const TfrRect& r, int dx, int dy) {
  return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

// A save-dialog entry: the filter's description, with its mask unless the
// description shows it already.
QString FilterEntry(const std::string& description, const std::string& mask) {
  const QString text = ToQt(description);
  const QString pattern = ToQt(mask);
  if (text.contains(QLatin1Char('(') + pattern + QLatin1Char(')'))) return text;
  return text + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

}  // namespace

// ---- helpers of the interface

QString PreviewCaption(const TfrReport& report) {
  QString caption = Text("预览");
  if (!report.Title.empty()) caption += QStringLiteral(" - ") + ToQt(report.Title);
  return caption;
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
  const std::size_t slash = fileName.find_last_of('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || dot < start) return fileName + extension;
  return fileName.substr(0, dot) + extension;
}

std::optional<int> LinkPage(const std::string& hint) {
  const std::size_t at = hint.find('@');
  if (at == std::string::npos || at + 1 >= hint.size()) return std::nullopt;
  const std::string digits = hint.substr(at + 1);
  // A decimal number only: what follows the at sign is not read as
  // hexadecimal or anything else.
  std::size_t i = 0;
  while (i < digits.size() && digits[i] == ' ') ++i;
  if (i < digits.size() && (digits[i] == '+' || digits[i] == '-')) ++i;
  if (i == digits.size()) return std::nullopt;
  for (std::size_t j = i; j < digits.size(); ++j)
    if (digits[j] < '0' || digits[j] > '9') return std::nullopt;
  const std::optional<std::int32_t> n = TryStrToInt(digits);
  if (!n) return std::nullopt;
  return std::max(*n, 1);
}

// ---- the page area

TfrPBox::TfrPBox(TfrPreviewForm& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName(QStringLiteral("PBox"));
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TfrPBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  form_.PaintPages(painter, event->region());
}

void TfrPBox::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  form_.PageAreaResized();
}

void TfrPBox::mousePressEvent(QMouseEvent* event) { form_.MouseDown(*this, *event); }
void TfrPBox::mouseMoveEvent(QMouseEvent* event) { form_.MouseMove(*this, *event); }
void TfrPBox::mouseReleaseEvent(QMouseEvent*) { form_.MouseUp(*this); }
void TfrPBox::mouseDoubleClickEvent(QMouseEvent*) { form_.DoubleClick(*this); }

void TfrPBox::wheelEvent(QWheelEvent* event) {
  wheelRest_ += event->angleDelta().y();
  const int notches = wheelRest_ / 120;
  wheelRest_ -= notches * 120;
  if (notches != 0) form_.WheelNotches(notches);
  event->accept();
}

// ---- the window

// Gives the pages back to the report for as long as it lives.
class TfrPreviewForm::Handover {
 public:
  explicit Handover(TfrPreviewForm& form) : form_(form) { form_.ReturnPages(); }
  ~Handover() { form_.TakePages(); }
  Handover(const Handover&) = delete;
  Handover& operator=(const Handover&) = delete;

 private:
  TfrPreviewForm& form_;
};

TfrPreviewForm::TfrPreviewForm(QWidget* owner) : QDialog(owner) {
  BuildControls();
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

TfrPreviewForm::~TfrPreviewForm() {
  // Closing frees the pages the window holds; the report keeps its empty
  // list.
  pages_.reset();
}

void TfrPreviewForm::BuildControls() {
  setObjectName(QStringLiteral("TfrPreviewForm"));
  setWindowTitle(Text("预览"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setSizeGripEnabled(false);
  resize(800, 600);

  auto* layout = Tight(new QVBoxLayout(this));

  ToolBar = new QFrame(this);
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setFrameShape(QFrame::StyledPanel);
  ToolBar->setFrameShadow(QFrame::Raised);
  auto* barLayout = new QHBoxLayout(ToolBar);
  barLayout->setContentsMargins(2, 2, 2, 2);
  Panel1 = new QFrame(ToolBar);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  auto* panelLayout = Tight(new QHBoxLayout(Panel1), 1);
  barLayout->addWidget(Panel1);
  barLayout->addStretch();

  QStyle* s = style();
  ZoomBtn = ToolButton(Panel1, "ZoomBtn", GlyphIcon(Glyph::Zoom), "100%", "放缩");
  ZoomBtn->setMinimumWidth(76);
  frTBSeparator1 = Separator(Panel1, "frTBSeparator1");
  LoadBtn = ToolButton(Panel1, "LoadBtn", s->standardIcon(QStyle::SP_DialogOpenButton), "打开", "打开报表");
  SaveBtn = ToolButton(Panel1, "SaveBtn", s->standardIcon(QStyle::SP_DialogSaveButton), "保存", "保存报表");
  PrintBtn = ToolButton(Panel1, "PrintBtn", GlyphIcon(Glyph::Print), "打印", "打印报表");
  PageSetupBtn = ToolButton(Panel1, "PageSetupBtn", GlyphIcon(Glyph::PageSetup), "页面设置", "页面设置");
  frTBSeparator2 = Separator(Panel1, "frTBSeparator2");
  FindBtn = ToolButton(Panel1, "FindBtn", GlyphIcon(Glyph::Find), "查找", "查找文本");
  HelpBtn = ToolButton(Panel1, "HelpBtn", s->standardIcon(QStyle::SP_DialogHelpButton), "帮助", "显示帮助");
  frTBSeparator3 = Separator(Panel1, "frTBSeparator3");
  ExitBtn = ToolButton(Panel1, "ExitBtn", s->standardIcon(QStyle::SP_DialogCloseButton), "关闭", "关闭预览");
  for (QWidget* w : std::initializer_list<QWidget*>{ZoomBtn, frTBSeparator1, LoadBtn, SaveBtn, PrintBtn, PageSetupBtn,
                                                     frTBSeparator2, FindBtn, HelpBtn, frTBSeparator3, ExitBtn})
    panelLayout->addWidget(w);
  layout->addWidget(ToolBar);

  PreviewPanel = new QWidget(this);
  PreviewPanel->setObjectName(QStringLiteral("PreviewPanel"));
  auto* previewLayout = Tight(new QVBoxLayout(PreviewPanel));
  layout->addWidget(PreviewPanel, 1);

  ScrollBox1 = new QWidget(PreviewPanel);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  auto* boxLayout = Tight(new QHBoxLayout(ScrollBox1));
  PBox = new TfrPBox(*this, ScrollBox1);
  boxLayout->addWidget(PBox, 1);

  // The vertical bar with the page buttons under it, 16 pixels each.
  RPanel = new QWidget(ScrollBox1);
  RPanel->setObjectName(QStringLiteral("RPanel"));
  VScrollBar = ScrollBar(Qt::Vertical, RPanel, "VScrollBar");
  const int barExtent = VScrollBar->sizeHint().width();
  RPanel->setFixedWidth(barExtent);
  auto* rLayout = Tight(new QVBoxLayout(RPanel));
  PgUp = new QToolButton(RPanel);
  PgUp->setObjectName(QStringLiteral("PgUp"));
  PgUp->setArrowType(Qt::UpArrow);
  PgDown = new QToolButton(RPanel);
  PgDown->setObjectName(QStringLiteral("PgDown"));
  PgDown->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {PgUp, PgDown}) {
    b->setFixedSize(barExtent, 16);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(false);
  }
  PgUp->setToolTip(Text("上一页"));
  PgDown->setToolTip(Text("下一页"));
  rLayout->addWidget(VScrollBar, 1);
  rLayout->addSpacing(1);
  rLayout->addWidget(PgUp);
  rLayout->addWidget(PgDown);
  boxLayout->addWidget(RPanel);
  previewLayout->addWidget(ScrollBox1, 1);

  // Under the pages: the horizontal bar, then the page and the link hint.
  BPanel = new QWidget(PreviewPanel);
  BPanel->setObjectName(QStringLiteral("BPanel"));
  auto* bLayout = Tight(new QVBoxLayout(BPanel));
  auto* hRow = new QHBoxLayout;
  hRow->setSpacing(0);
  HScrollBar = ScrollBar(Qt::Horizontal, BPanel, "HScrollBar");
  hRow->addWidget(HScrollBar, 1);
  hRow->addSpacing(barExtent);
  bLayout->addLayout(hRow);
  auto* status = new QHBoxLayout;
  status->setContentsMargins(0, 1, 0, 1);
  status->setSpacing(2);
  Label1 = new QLabel(BPanel);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label2 = new QLabel(BPanel);
  Label2->setObjectName(QStringLiteral("Label2"));
  for (QLabel* l : {Label1, Label2}) {
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setIndent(4);
    l->setMinimumHeight(20);
  }
  Label1->setFixedWidth(110);
  status->addWidget(Label1);
  status->addWidget(Label2, 1);
  bLayout->addLayout(status);
  previewLayout->addWidget(BPanel);

  // The zoom menu; its editing entries need a report designer, which this
  // program has not, and stay hidden.
  ProcMenu = new QMenu(this);
  ProcMenu->setObjectName(QStringLiteral("ProcMenu"));
  ZoomGroup = new QActionGroup(this);
  ZoomGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  const std::pair<const char*, int> items[] = {{"200%", 200}, {"150%", 150}, {"100%", 100}, {"75%", 75},
                                               {"50%", 50},   {"25%", 25},   {"10%", 10},   {"页宽(&P)", 1},
                                               {"全页(&W)", 2}, {"双页(&T)", 3}};
  for (const auto& [caption, tag] : items) {
    QAction* a = ProcMenu->addAction(Text(caption));
    a->setCheckable(true);
    a->setData(tag);
    a->setChecked(tag == 100);
    ZoomGroup->addAction(a);
    const int t = tag;
    connect(a, &QAction::triggered, this, [this, t] { ChooseZoom(t); });
  }
  N5 = ProcMenu->addSeparator();
  EditPageItem = ProcMenu->addAction(QStringLiteral("Edit page..."));
  AddPageItem = ProcMenu->addAction(QStringLiteral("Add page"));
  RemovePageItem = ProcMenu->addAction(QStringLiteral("Remove page"));
  for (QAction* a : {N5, EditPageItem, AddPageItem, RemovePageItem}) a->setVisible(false);

  connect(ZoomBtn, &QToolButton::clicked, this, [this] { ZoomBtnClick(); });
  connect(LoadBtn, &QToolButton::clicked, this, [this] { LoadBtnClick(); });
  connect(SaveBtn, &QToolButton::clicked, this, [this] { SaveBtnClick(); });
  connect(PrintBtn, &QToolButton::clicked, this, [this] { PrintBtnClick(); });
  connect(PageSetupBtn, &QToolButton::clicked, this, [this] { PageSetupBtnClick(); });
  connect(FindBtn, &QToolButton::clicked, this, [this] { FindBtnClick(); });
  connect(HelpBtn, &QToolButton::clicked, this, [this] { HelpBtnClick(); });
  connect(ExitBtn, &QToolButton::clicked, this, [this] { ExitBtnClick(); });
  connect(PgUp, &QToolButton::clicked, this, [this] { PrevPage(); });
  connect(PgDown, &QToolButton::clicked, this, [this] { NextPage(); });
  connect(VScrollBar, &QScrollBar::valueChanged, this, [this](int v) { VScrolled(v); });
  connect(HScrollBar, &QScrollBar::valueChanged, this, [this](int v) { HScrolled(v); });
  HScrollBar->setValue(0);
  VScrollBar->setValue(0);
}

// ---- pages in and out

void TfrPreviewForm::Connect(TfrReport& report) {
  report_ = &report;
  setWindowTitle(PreviewCaption(report));
  // A click on a link opens its target on the desktop, unless someone (a
  // test) has put a shell of their own in place.
  if (!shellScope_ && dynamic_cast<HeadlessShell*>(&CurrentShell()) != nullptr) {
    shell_ = std::make_unique<QtShell>();
    shellScope_ = std::make_unique<ShellScope>(*shell_);
  }
  TakePages();
  ApplyButtons();
  ResetView(true);
  const QSignalBlocker h(HScrollBar), v(VScrollBar);
  HScrollBar->setValue(0);
  VScrollBar->setValue(0);
  offsetX_ = offsetY_ = prevX_ = prevY_ = 0;
}

void TfrPreviewForm::PresentReport(TfrReport& report) {
  Connect(report);
  const bool maximized = RestorePosition();
  setWindowState(maximized ? Qt::WindowMaximized : Qt::WindowNoState);
  if (report.ModalPreview) {
    exec();
  } else {
    show();
  }
}

void TfrPreviewForm::TakePages() {
  if (report_ == nullptr) return;
  pages_.reset();
  pages_ = report_->PreparedPages ? report_->PreparedPages : std::make_shared<TfrEMFPages>(report_);
  report_->PreparedPages = std::make_shared<TfrEMFPages>(report_);
}

void TfrPreviewForm::ReturnPages() {
  if (report_ == nullptr) return;
  report_->PreparedPages = pages_ ? pages_ : std::make_shared<TfrEMFPages>(report_);
  pages_.reset();
}

// ---- the view

void TfrPreviewForm::ResetView(bool reset) {
  const TfrZoomState& zoom = EngineZoomState();
  factor_ = zoom.Factor;
  mode_ = zoom.Mode;
  CheckZoomItem();
  if (reset) {
    currentPage_ = 1;
    offsetX_ = offsetY_ = prevX_ = prevY_ = 0;
    highlight_ = false;
    const QSignalBlocker h(HScrollBar), v(VScrollBar);
    HScrollBar->setValue(0);
    VScrollBar->setValue(0);
  }
  UpdateStatus();
  RelayoutPages();
  if (pages_) {
    for (int i = 0; i < pages_->PageCount(); ++i) {
      pages_->PageAt(i).InView = false;
      pages_->DrawPage(i, ScratchCanvas(), TfrRect{});
    }
  }
  RemovePageItem->setEnabled(pages_ && pages_->PageCount() > 1);
  PBox->update();
}

void TfrPreviewForm::ApplyButtons() {
  if (report_ == nullptr) return;
  const int buttons = report_->PreviewButtons;
  const auto show = [buttons](QWidget* w, int bit) { w->setVisible((buttons & bit) != 0); };
  show(ZoomBtn, pbZoom);
  frTBSeparator1->setVisible((buttons & pbZoom) != 0);
  show(LoadBtn, pbLoad);
  show(SaveBtn, pbSave);
  show(PrintBtn, pbPrint);
  show(PageSetupBtn, pbPageSetup);
  show(FindBtn, pbFind);
  // The toolbar sits in this window, so help and exit may show.
  show(HelpBtn, pbHelp);
  show(ExitBtn, pbExit);
  frTBSeparator3->setVisible((buttons & (pbFind | pbHelp)) != 0);

  const TfrReportActions& actions = ReportActions();
  const bool printers = actions.HasPrinters && actions.HasPrinters();
  const bool canPrint = printers && actions.PrintPrepared && (!report_->ShowPrintDialog || actions.PrintDialog);
  PrintBtn->setEnabled(canPrint);
  PageSetupBtn->setEnabled(canPrint && static_cast<bool>(actions.PageSetup));

  for (QAction* a : {N5, EditPageItem, AddPageItem, RemovePageItem}) a->setVisible(false);

  switch (report_->InitialZoom) {
    case pzPageWidth: EngineZoomState().Mode = zmPageWidth; break;
    case pzOnePage: EngineZoomState().Mode = zmOnePage; break;
    case pzTwoPages: EngineZoomState().Mode = zmTwoPages; break;
    default: break;
  }

  if (report_->GrayedButtons && findChild<GreyedButtons*>() == nullptr) {
    auto* greyed = new GreyedButtons(this);
    for (QToolButton* b : {ZoomBtn, LoadBtn, SaveBtn, PrintBtn, PageSetupBtn, FindBtn, HelpBtn, ExitBtn}) greyed->Add(b);
  }
}

int TfrPreviewForm::AreaWidth() const { return PBox->width(); }
int TfrPreviewForm::AreaHeight() const { return PBox->height(); }

void TfrPreviewForm::CheckZoomItem() {
  const int tag = mode_ == zmPercent ? RoundHalfEven(factor_ * 100) : mode_;
  for (QAction* a : ZoomGroup->actions()) a->setChecked(a->data().toInt() == tag);
}

void TfrPreviewForm::RelayoutPages() {
  if (!pages_ || pages_->PageCount() == 0) return;
  paintAllowed_ = false;
  currentPage_ = std::clamp(currentPage_, 1, pages_->PageCount());
  const TfrPreparedPage& reference = pages_->PageAt(currentPage_ - 1);
  factor_ = ZoomFactorFor(mode_, factor_, AreaWidth(), AreaHeight(), reference);
  CheckZoomItem();
  ZoomBtn->setText(QString::number(RoundHalfEven(factor_ * 100)) + QLatin1Char('%'));
  const TfrLayoutExtent extent = LayoutPages(*pages_, factor_, mode_, AreaWidth());
  {
    keepCurrent_ = true;
    const int h = ScrollRange(extent.Right, AreaWidth()), v = ScrollRange(extent.Bottom, AreaHeight());
    HScrollBar->setRange(0, h);
    HScrollBar->setEnabled(h > 0);
    VScrollBar->setRange(0, v);
    VScrollBar->setEnabled(v > 0);
    keepCurrent_ = false;
  }
  if (isVisible()) PBox->setFocus();
  ScrollToCurrentPage();
  paintAllowed_ = true;
  PBox->update();
}

void TfrPreviewForm::PageAreaResized() { RelayoutPages(); }

void TfrPreviewForm::UpdateStatus() {
  if (!pages_ || pages_->PageCount() == 0) {
    Label1->clear();
    return;
  }
  Label1->setText(Text("页") + QLatin1Char(' ') + QString::number(currentPage_) + QLatin1Char('/') +
                  QString::number(pages_->PageCount()));
}

void TfrPreviewForm::ScrollToCurrentPage() {
  if (!pages_ || currentPage_ < 1 || currentPage_ > pages_->PageCount()) return;
  keepCurrent_ = true;
  VScrollBar->setValue(pages_->PageAt(currentPage_ - 1).LayoutRect.Top - 10);
  keepCurrent_ = false;
}

void TfrPreviewForm::ShowPage(int page) {
  if (!pages_ || pages_->PageCount() == 0) return;
  currentPage_ = std::clamp(page, 1, pages_->PageCount());
  UpdateStatus();
  ScrollToCurrentPage();
}

void TfrPreviewForm::VScrolled(int position) {
  const int dy = prevY_ - position;
  prevY_ = position;
  offsetY_ = -position;
  if (dy != 0) PBox->scroll(0, dy);
  if (!keepCurrent_ && pages_) {
    const int page = PageCrossing(*pages_, 11 + position);
    if (page >= 0) currentPage_ = page + 1;
  }
  UpdateStatus();
}

void TfrPreviewForm::HScrolled(int position) {
  const int dx = prevX_ - position;
  prevX_ = position;
  offsetX_ = -position;
  if (dx != 0) PBox->scroll(dx, 0);
}

void TfrPreviewForm::ChooseZoom(int tag) {
  if (tag >= 1 && tag <= 3) {
    mode_ = tag;
  } else {
    mode_ = zmPercent;
    factor_ = tag / 100.0;
  }
  {
    const QSignalBlocker block(HScrollBar);
    HScrollBar->setValue(0);
  }
  offsetX_ = prevX_ = 0;
  CheckZoomItem();
  RelayoutPages();
  EngineZoomState() = {factor_, mode_};
  PBox->update();
}

// ---- painting

void TfrPreviewForm::PaintPages(QPainter& painter, const QRegion& region) {
  if (!paintAllowed_) return;
  if (!pages_ || pages_->PageCount() == 0) {
    painter.fillRect(region.boundingRect(), palette().color(QPalette::Button));
    return;
  }
  const int count = pages_->PageCount();
  QRegion grey = region;
  for (int i = 0; i < count; ++i) {
    TfrPreparedPage& p = pages_->PageAt(i);
    const TfrRect r = Offset(p.LayoutRect, offsetX_, offsetY_);
    p.InView = !(r.Top > kViewDepth || r.Bottom < 0) && region.intersects(ToQRect(r));
    if (p.InView) grey -= ToQRect(r).adjusted(1, 1, -1, -1);
  }
  painter.setClipRegion(grey);
  painter.fillRect(region.boundingRect(), QColor(128, 128, 128));
  painter.setClipRegion(region);

  for (int i = 0; i < count; ++i) {
    const TfrPreparedPage& p = pages_->PageAt(i);
    if (!p.InView) continue;
    const TfrRect r = Offset(p.LayoutRect, offsetX_, offsetY_);
    const QRect q = ToQRect(r);
    painter.fillRect(q, Qt::white);
    painter.fillRect(QRect(q.left(), q.top(), q.width(), 1), Qt::black);
    painter.fillRect(QRect(q.left(), r.Bottom - 1, q.width(), 1), Qt::black);
    painter.fillRect(QRect(q.left(), q.top(), 1, q.height()), Qt::black);
    painter.fillRect(QRect(r.Right - 1, q.top(), 1, q.height()), Qt::black);
    // The shadow under and right of the page.
    painter.fillRect(QRect(r.Left + 1, r.Bottom, r.Right - r.Left - 1, 1), Qt::black);
    painter.fillRect(QRect(r.Right, r.Top + 2, 1, r.Bottom - r.Top - 1), Qt::black);
  }

  const QRect exposed = region.boundingRect();
  QtCanvas canvas(painter, ProductionMetrics(), std::max(1, RoundHalfEven(96 * factor_)));
  for (int i = 0; i < count; ++i) {
    TfrPreparedPage& p = pages_->PageAt(i);
    if (!p.InView) {
      pages_->DrawPage(i, canvas, TfrRect{});
      continue;
    }
    const TfrRect r = Offset(p.LayoutRect, offsetX_, offsetY_);
    const QRect inside = ToQRect(r).adjusted(1, 1, -1, -1).intersected(exposed);
    canvas.SetClipRect(TfrRect{inside.left(), inside.top(), inside.right() + 1, inside.bottom() + 1});
    try {
      pages_->DrawPage(i, canvas, PageDrawRect(p, r, factor_));
    } catch (const std::exception& e) {
      ReportPaintError(e);
    }
  }
  canvas.SetClipRect(std::nullopt);
  painter.setClipRegion(region);

  // The match of the last search, inverted.
  if (highlight_ && highlightPage_ >= 0 && highlightPage_ < count && pages_->PageAt(highlightPage_).InView) {
    const TfrRect& page = pages_->PageAt(highlightPage_).LayoutRect;
    const TfrRect& b = highlightBounds_;
    const int x = page.Left + offsetX_ + RoundHalfEven(b.Left * factor_);
    const int y = page.Top + offsetY_ + RoundHalfEven(b.Top * factor_);
    const int w = RoundHalfEven((b.Right - b.Left) * factor_), h = RoundHalfEven((b.Bottom - b.Top) * factor_);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(QRect(x, y, w, h + 1), Qt::white);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
}

void TfrPreviewForm::ReportPaintError(const std::exception& e) {
  // A damaged page draws what could be read; the message is shown once,
  // after the paint.
  if (paintErrorShown_) return;
  paintErrorShown_ = true;
  const std::string message = MessageOf(e);
  QMetaObject::invokeMethod(this, [message] { ShowErrorBox(message); }, Qt::QueuedConnection);
}

// ---- the mouse

void TfrPreviewForm::MouseDown(TfrPBox& box, QMouseEvent& event) {
  if (event.button() == Qt::RightButton) {
    ProcMenu->popup(event.globalPosition().toPoint());
    return;
  }
  if (event.button() != Qt::LeftButton || !pages_) return;
  highlight_ = false;
  const QPoint pos = event.position().toPoint();
  const int x = pos.x() - offsetX_, y = pos.y() - offsetY_;
  box.LastClickedPage = currentPage_;
  for (int i = 0; i < pages_->PageCount(); ++i) {
    const TfrPreparedPage& p = pages_->PageAt(i);
    if (!LayoutHolds(p, x, y)) continue;
    box.LastClickedPage = i + 1;
    const int px = RoundHalfEven((x - p.LayoutRect.Left) / factor_);
    const int py = RoundHalfEven((y - p.LayoutRect.Top) / factor_);
    std::string hint;
    int cursor = 0;
    bool hit = false;
    try {
      hit = pages_->HitTest(i, px, py, true, hint, cursor);
    } catch (const std::exception& e) {
      ShowErrorBox(MessageOf(e));
      return;
    }
    if (hit) {
      // A link to a page of the report jumps there; one past the end, or
      // one that names no page, does nothing.
      if (const std::optional<int> target = LinkPage(hint); target && *target <= pages_->PageCount())
        ShowPage(*target);
      PBox->update();
      return;
    }
  }
  box.Dragging = true;
  box.LastMouse = pos;
  currentPage_ = box.LastClickedPage;
  UpdateStatus();
  PBox->update();
}

void TfrPreviewForm::MouseMove(TfrPBox& box, QMouseEvent& event) {
  const QPoint pos = event.position().toPoint();
  if (box.Dragging) {
    HScrollBar->setValue(HScrollBar->value() + box.LastMouse.x() - pos.x());
    VScrollBar->setValue(VScrollBar->value() + box.LastMouse.y() - pos.y());
    box.LastMouse = pos;
    return;
  }
  if (!pages_) return;
  const int x = pos.x() - offsetX_, y = pos.y() - offsetY_;
  int cursor = 0;
  std::string hint;
  for (int i = 0; i < pages_->PageCount(); ++i) {
    const TfrPreparedPage& p = pages_->PageAt(i);
    if (!LayoutHolds(p, x, y)) continue;
    const int px = RoundHalfEven((x - p.LayoutRect.Left) / factor_);
    const int py = RoundHalfEven((y - p.LayoutRect.Top) / factor_);
    try {
      if (!pages_->HitTest(i, px, py, false, hint, cursor)) cursor = 0;
    } catch (const std::exception&) {
      // A damaged page has no links; its error shows when it is drawn.
      hint.clear();
      cursor = 0;
    }
    break;
  }
  box.setCursor(CursorShape(cursor));
  if (hint.find('@') != std::string::npos) {
    const std::optional<int> page = LinkPage(hint);
    Label2->setText(page ? Text("页") + QLatin1Char(' ') + QString::number(*page) : QString());
  } else {
    Label2->setText(ToQt(hint));
  }
}

void TfrPreviewForm::MouseUp(TfrPBox& box) { box.Dragging = false; }

void TfrPreviewForm::DoubleClick(TfrPBox& box) {
  box.Dragging = false;
  if (box.LastClickedPage >= 1 && pages_ && box.LastClickedPage <= pages_->PageCount()) {
    currentPage_ = box.LastClickedPage;
    UpdateStatus();
  }
}

void TfrPreviewForm::WheelNotches(int notches) {
  VScrollBar->setValue(VScrollBar->value() - notches * VScrollBar->singleStep() * wheelStep_);
}

// ---- the keyboard

bool TfrPreviewForm::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
  const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
  const auto move = [](QScrollBar* bar, int by) { bar->setValue(bar->value() + by); };
  switch (key) {
    case Qt::Key_Up: move(VScrollBar, -kSmallChange); return true;
    case Qt::Key_Down: move(VScrollBar, kSmallChange); return true;
    case Qt::Key_Left: move(HScrollBar, -kSmallChange); return true;
    case Qt::Key_Right: move(HScrollBar, kSmallChange); return true;
    case Qt::Key_PageUp:
      if (ctrl) PrevPage();
      else move(VScrollBar, -kLargeChange);
      return true;
    case Qt::Key_PageDown:
      if (ctrl) NextPage();
      else move(VScrollBar, kLargeChange);
      return true;
    case Qt::Key_Space: ZoomBtnClick(); return true;
    case Qt::Key_Escape: ExitBtnClick(); return true;
    case Qt::Key_Home:
      if (!ctrl) return false;
      VScrollBar->setValue(0);
      return true;
    case Qt::Key_End:
      if (!ctrl || !pages_) return false;
      ShowPage(pages_->PageCount());
      return true;
    case Qt::Key_F3:
      if (ctrl || search_.Text.empty()) return false;
      FindNextText();
      return true;
    case Qt::Key_O:
      if (!ctrl) return false;
      LoadBtnClick();
      return true;
    case Qt::Key_S:
      if (!ctrl) return false;
      SaveBtnClick();
      return true;
    case Qt::Key_F:
      if (!ctrl) return false;
      FindBtnClick();
      return true;
    case Qt::Key_P:
      if (!ctrl || !PrintBtn->isEnabled()) return false;
      PrintBtnClick();
      return true;
    default: return false;
  }
}

bool TfrPreviewForm::eventFilter(QObject* watched, QEvent* event) {
  // The window sees every key before its controls, and dialog navigation
  // (Tab) moves nothing.
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return true;
    if (HandleKey(key->key(), key->modifiers())) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TfrPreviewForm::keyPressEvent(QKeyEvent* event) {
  if (HandleKey(event->key(), event->modifiers())) return;
  // Escape and Enter are the window's keys, not the dialog's.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
  QDialog::keyPressEvent(event);
}

// ---- the toolbar

void TfrPreviewForm::ZoomBtnClick() {
  ProcMenu->exec(ZoomBtn->mapToGlobal(QPoint(0, ZoomBtn->height())));
}

QString TfrPreviewForm::AskOpenFileName(const QString& filter) {
  return QFileDialog::getOpenFileName(this, QString(), QString(), filter);
}

bool TfrPreviewForm::AskSaveFileName(const QStringList& filters, int& entry, QString& fileName) {
  QFileDialog dialog(this);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  if (entry >= 0 && entry < filters.size()) dialog.selectNameFilter(filters[entry]);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  fileName = dialog.selectedFiles().front();
  entry = std::max<int>(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())));
  return true;
}

bool TfrPreviewForm::AskFind(TfrPreviewSearchForm& form) { return form.exec() == QDialog::Accepted; }

void TfrPreviewForm::LoadBtnClick() {
  if (report_ == nullptr) return;
  const QString file = AskOpenFileName(Text("Report 文件") + QStringLiteral(" (*.frp)"));
  if (file.isEmpty()) return;
  RunShowingErrors([&] { LoadFile(FromQt(file)); });
}

void TfrPreviewForm::LoadFile(const std::string& fileName) {
  if (report_ == nullptr) return;
  std::shared_ptr<TfrEMFPages> shown = std::move(pages_);
  std::exception_ptr failure;
  try {
    LoadPrepared(*report_, fileName);
  } catch (...) {
    failure = std::current_exception();
  }
  // A file that gave no page at all leaves the pages shown as they were;
  // otherwise the window shows what was read.
  if (failure && PreparedPagesOf(*report_).PageCount() == 0) {
    pages_ = std::move(shown);
    std::rethrow_exception(failure);
  }
  shown.reset();
  TakePages();
  currentPage_ = 1;
  highlight_ = false;
  search_.Page = 0;
  search_.Record = 0;
  search_.Found = false;
  paintErrorShown_ = false;
  RelayoutPages();
  UpdateStatus();
  ScrollToCurrentPage();
  RemovePageItem->setEnabled(pages_->PageCount() > 1);
  PBox->update();
  if (failure) std::rethrow_exception(failure);
}

void TfrPreviewForm::SaveBtnClick() {
  if (report_ == nullptr) return;
  QStringList filters{Text("Report 文件") + QStringLiteral(" (*.frp)")};
  int entry = 0;
  const TfrReportActions& actions = ReportActions();
  if (actions.ExportFilters && actions.ExportWith) {
    const std::vector<TfrExportFilterEntry> registered = actions.ExportFilters();
    for (std::size_t i = 0; i < registered.size(); ++i) {
      filters << FilterEntry(registered[i].Description, registered[i].Mask);
      if (entry == 0 && registered[i].Default) entry = static_cast<int>(i) + 1;
    }
  }
  QString file;
  if (!AskSaveFileName(filters, entry, file) || file.isEmpty()) return;
  RunShowingErrors([&] { SaveAs(FromQt(file), entry); });
}

void TfrPreviewForm::SaveAs(const std::string& fileName, int entry) {
  if (report_ == nullptr) return;
  if (entry <= 0) {
    Handover handover(*this);
    SavePrepared(*report_, ChangeFileExt(fileName, ".frp"));
    return;
  }
  const TfrReportActions& actions = ReportActions();
  if (!actions.ExportFilters || !actions.ExportWith) return;
  const std::vector<TfrExportFilterEntry> registered = actions.ExportFilters();
  if (entry > static_cast<int>(registered.size())) return;
  const TfrExportFilterEntry& filter = registered[static_cast<std::size_t>(entry - 1)];
  if (filter.Filter == nullptr) return;
  // "*.xls" gives ".xls", whatever extension the name was typed with.
  const std::string extension = filter.Mask.size() > 1 ? filter.Mask.substr(1) : std::string();
  {
    Handover handover(*this);
    actions.ExportWith(*report_, *filter.Filter, ChangeFileExt(fileName, extension));
  }
  ResetView(false);
}

bool TfrPreviewForm::PrepareAgain() {
  const TfrReportActions& actions = ReportActions();
  if (report_ == nullptr || !actions.PrepareReport) return false;
  // The report prepares into the empty list it holds; the pages shown stay
  // until the new ones are there. Its progress shows in a window over this
  // one unless the program has put a window of its own in place.
  PreparedPagesOf(*report_).Clear();
  std::unique_ptr<TfrProgressForm> progress;
  std::unique_ptr<ProgressWindowScope> progressScope;
  if (dynamic_cast<HeadlessProgress*>(&CurrentProgressWindow()) != nullptr) {
    progress = std::make_unique<TfrProgressForm>(this, report_);
    progressScope = std::make_unique<ProgressWindowScope>(*progress);
  }
  if (!actions.PrepareReport(*report_)) {
    PreparedPagesOf(*report_).Clear();
    return false;
  }
  TakePages();
  highlight_ = false;
  search_.Page = 0;
  search_.Record = 0;
  search_.Found = false;
  paintErrorShown_ = false;
  return true;
}

void TfrPreviewForm::PrintBtnClick() {
  if (report_ == nullptr || !PrintBtn->isEnabled()) return;
  const TfrReportActions& actions = ReportActions();
  if (!actions.HasPrinters || !actions.HasPrinters() || !actions.PrintPrepared) return;
  RunShowingErrors([&] {
    const TfrPrinterAdapter* printer = EnginePrinter();
    const int oldIndex = printer != nullptr ? printer->PrinterIndex() : -1;
    TfrPrintChoice choice;
    choice.Copies = report_->DefaultCopies;
    choice.Collate = report_->DefaultCollate;
    choice.PrinterIndex = oldIndex;
    if (report_->ShowPrintDialog) {
      if (!actions.PrintDialog || !actions.PrintDialog(*report_, currentPage_, choice)) return;
    }
    if (report_->RebuildPrinter && choice.PrinterIndex != oldIndex && report_->Rebuildable) {
      if (actions.SwitchPrinter && !actions.SwitchPrinter(*report_, oldIndex, choice.PrinterIndex)) return;
      if (!PrepareAgain()) return;
    }
    {
      Handover handover(*this);
      actions.PrintPrepared(*report_, choice);
    }
    ResetView(false);
  });
}

void TfrPreviewForm::PageSetupBtnClick() {
  if (report_ == nullptr || !PageSetupBtn->isEnabled()) return;
  const TfrReportActions& actions = ReportActions();
  if (!actions.PageSetup) return;
  RunShowingErrors([&] {
    bool changed = false;
    {
      // The dialog starts from the margins of the first prepared page.
      Handover handover(*this);
      changed = actions.PageSetup(*report_);
    }
    if (!changed) return;
    // Pages read from a file have no template behind them to prepare again
    // from; they stay as they are.
    if (report_->Rebuildable) PrepareAgain();
    ResetView(true);
  });
}

void TfrPreviewForm::FindBtnClick() {
  if (report_ == nullptr) return;
  TfrPreviewSearchForm form(this);
  if (!AskFind(form)) return;
  RunShowingErrors([&] { StartFind(FromQt(form.Edit1->text()), form.CB1->isChecked(), form.RB1->isChecked()); });
}

void TfrPreviewForm::HelpBtnClick() { QWhatsThis::enterWhatsThisMode(); }

void TfrPreviewForm::ExitBtnClick() {
  if (report_ != nullptr && !report_->ModalPreview) close();
  else accept();
}

// ---- find

void TfrPreviewForm::StartFind(const std::string& text, bool caseSensitive, bool fromFirstPage) {
  if (text.empty() || !pages_) return;
  const int lastPage = search_.Page, lastRecord = search_.Record;
  search_.SetText(text, caseSensitive);
  if (!fromFirstPage) {
    // From the current page; on the page of the last search, after its
    // match.
    search_.Page = currentPage_ - 1;
    search_.Record = lastPage == currentPage_ - 1 ? lastRecord : 0;
  }
  paintAllowed_ = false;
  bool found = false;
  try {
    BusyCursor busy;
    found = FindNext(*pages_, search_);
  } catch (...) {
    paintAllowed_ = true;
    PBox->update();
    throw;
  }
  paintAllowed_ = true;
  if (found) ShowMatch();
  PBox->update();
}

void TfrPreviewForm::FindNextText() {
  if (search_.Text.empty() || !pages_) return;
  if (search_.Page != currentPage_ - 1) {
    search_.Page = currentPage_ - 1;
    search_.Record = 0;
  }
  paintAllowed_ = false;
  bool found = false;
  RunShowingErrors([&] {
    BusyCursor busy;
    found = FindNext(*pages_, search_);
  });
  paintAllowed_ = true;
  if (found) ShowMatch();
  PBox->update();
}

void TfrPreviewForm::ShowMatch() {
  currentPage_ = search_.FoundPage + 1;
  UpdateStatus();
  const TfrRect& page = pages_->PageAt(search_.FoundPage).LayoutRect;
  const TfrRect& b = search_.Bounds;
  const int h = RoundHalfEven((b.Bottom - b.Top) * factor_), w = RoundHalfEven((b.Right - b.Left) * factor_);
  const int ty = RoundHalfEven(b.Top * factor_) + 10, tx = RoundHalfEven(b.Left * factor_) + 10;
  keepCurrent_ = true;
  // The match comes into view at 10 pixels from the page's top and left, or
  // at the bottom and right of the area when it lies further in.
  VScrollBar->setValue(AreaHeight() - h < ty ? page.Top + ty + h - AreaHeight() - 10 : page.Top - 10);
  HScrollBar->setValue(AreaWidth() - w < tx ? page.Left + tx + w - AreaWidth() - 10 : page.Left - 10);
  keepCurrent_ = false;
  highlight_ = true;
  highlightPage_ = search_.FoundPage;
  highlightBounds_ = b;
}

// ---- the window's position

void TfrPreviewForm::done(int result) {
  if (isVisible()) SavePosition();
  QDialog::done(result);
}

void TfrPreviewForm::SavePosition() {
  const bool maximized = isMaximized();
  const QRect g = maximized ? normalGeometry() : geometry();
  std::unique_ptr<QSettings> settings = PreviewSettings();
  settings->beginGroup(QString::fromLatin1(kPositionGroup));
  settings->setValue(QStringLiteral("XPosition"), g.x());
  settings->setValue(QStringLiteral("YPosition"), g.y());
  settings->setValue(QStringLiteral("Width"), g.width());
  settings->setValue(QStringLiteral("Height"), g.height());
  settings->setValue(QStringLiteral("Maximized"), maximized);
  settings->endGroup();
  settings->sync();
}

bool TfrPreviewForm::RestorePosition() {
  std::unique_ptr<QSettings> settings = PreviewSettings();
  settings->beginGroup(QString::fromLatin1(kPositionGroup));
  QRect g = geometry();
  const auto read = [&](const char* key, int fallback) {
    bool ok = false;
    const int v = settings->value(QString::fromLatin1(key)).toInt(&ok);
    return ok ? v : fallback;
  };
  const int x = read("XPosition", g.x()), y = read("YPosition", g.y());
  const int w = read("Width", g.width()), h = read("Height", g.height());
  if (w > 0 && h > 0) g = QRect(x, y, w, h);
  const bool maximized = settings->value(QStringLiteral("Maximized"), true).toBool();
  setGeometry(g);
  return maximized;
}

}  // namespace talven
