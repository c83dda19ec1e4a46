#include "host/talven_form.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "host/digit_filter.h"
#include "qtui/qt_ui.h"
#include "host/room_grid.h"
#include "host/tree_images.h"
#include "report/engine/progress.h"
#include "report/preview/show_prepared.h"
#include "report/print/progress_form.h"
#include "report/print/qt/printing.h"
#include "rooms/filter_form.h"

namespace talven {
namespace {

QLabel* LabelAt(QWidget* parent, const char* text, int x, int y) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->move(x, y);
  label->adjustSize();
  return label;
}

QLabel* StatusPanel(QWidget* parent, int x, int width) {
  auto* panel = new QLabel(parent);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(x, 2, width - 2, 20);
  panel->setIndent(2);
  return panel;
}

}  // namespace

TTALVEN_Form::TTALVEN_Form(QWidget* owner, HostConnection* connection) : QDialog(owner) {
  logic_ = std::make_unique<TMainWindowLogic>(connection, *this);
  // 打印 ends in the modal preview; the report's pages go with it.
  logic_->OnShowPrepared = [](TfrReport& report) { ShowPrepared(report); };
  logic_->StartEngine = [] { StartPrinting(); };
  BuildControls();
}

TTALVEN_Form::~TTALVEN_Form() {
  // The grid's model observes List_Set, which the logic owns: let the
  // widgets go first.
  delete FilterDialog;
  delete Panel1;
}

void TTALVEN_Form::BuildControls() {
  setObjectName(QStringLiteral("TTALVEN_Form"));
  setWindowTitle(QString::fromUtf8("笔试考场签到表打印"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
  setFixedSize(610, 354);
  setFont(QFont(QString::fromUtf8("宋体"), 9));

  Panel1 = new QFrame(this);
  Panel1->setGeometry(0, 0, 610, 298);
  auto* panelLayout = new QHBoxLayout(Panel1);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  Splitter1 = new QSplitter(Qt::Horizontal, Panel1);
  Splitter1->setHandleWidth(3);
  Splitter1->setChildrenCollapsible(false);
  panelLayout->addWidget(Splitter1);

  GroupBox1 = new QGroupBox(QString::fromUtf8("机构列表"), Splitter1);
  auto* groupLayout = new QVBoxLayout(GroupBox1);
  groupLayout->setContentsMargins(2, 2, 2, 2);
  TreeView1 = new QTreeWidget(GroupBox1);
  TreeView1->setHeaderHidden(true);
  TreeView1->setIndentation(19);
  TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TreeView1->setMouseTracking(true);  // hot tracking
  TreeView1->setAttribute(Qt::WA_Hover);
  TreeView1->setIconSize(QSize(16, 16));
  groupLayout->addWidget(TreeView1);

  DBGrid1 = new RoomGrid(logic_->List_Set, logic_->Sorting, Splitter1);
  Splitter1->addWidget(GroupBox1);
  Splitter1->addWidget(DBGrid1);
  Splitter1->setSizes({184, 610 - 184 - 3});
  Splitter1->setStretchFactor(1, 1);

  Label6 = LabelAt(this, "从", 2, 311);
  Edit2 = new QLineEdit(this);
  Edit2->setGeometry(22, 307, 42, 20);
  Label7 = LabelAt(this, "到", 72, 311);
  Edit3 = new QLineEdit(this);
  Edit3->setGeometry(93, 307, 42, 20);
  Label8 = LabelAt(this, "条记录", 143, 311);
  auto* digits = new DigitOnlyFilter(this);
  Edit2->installEventFilter(digits);
  Edit3->installEventFilter(digits);

  CheckBox2 = new QCheckBox(QString::fromUtf8("按座位顺序的S型打印"), this);
  CheckBox2->setGeometry(206, 308, 134, 17);
  CheckBox2->setChecked(true);
  CheckBox2->hide();
  CheckBox1 = new QCheckBox(QString::fromUtf8("含相片"), this);
  CheckBox1->setGeometry(349, 308, 57, 17);

  BitBtn9 = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QString::fromUtf8("打印"), this);
  BitBtn9->setGeometry(413, 303, 65, 25);
  BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView), QString::fromUtf8("过滤"), this);
  BitBtn1->setGeometry(478, 303, 65, 25);
  SpeedButton1 = new QToolButton(this);
  SpeedButton1->setText(QString::fromUtf8("退出"));
  SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
  SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  SpeedButton1->setAutoRaise(true);  // flat
  SpeedButton1->setFocusPolicy(Qt::NoFocus);
  SpeedButton1->setGeometry(543, 303, 65, 25);
  for (QPushButton* b : {BitBtn9, BitBtn1}) b->setAutoDefault(false);

  auto* statusBar = new QFrame(this);
  statusBar->setGeometry(0, 331, 610, 23);
  StatusPanel0 = StatusPanel(statusBar, 0, 150);
  StatusPanel1 = StatusPanel(statusBar, 150, 100);

  // The design names, so that the window's parts can be found by name.
  const std::pair<QWidget*, const char*> names[] = {
      {Panel1, "Panel1"},       {GroupBox1, "GroupBox1"}, {TreeView1, "TreeView1"},     {Splitter1, "Splitter1"},
      {DBGrid1, "DBGrid1"},     {Edit2, "Edit2"},         {Edit3, "Edit3"},             {CheckBox1, "CheckBox1"},
      {CheckBox2, "CheckBox2"}, {BitBtn9, "BitBtn9"},     {BitBtn1, "BitBtn1"},         {SpeedButton1, "SpeedButton1"},
      {StatusPanel0, "StatusPanel0"}, {StatusPanel1, "StatusPanel1"}};
  for (const auto& [widget, name] : names) widget->setObjectName(QString::fromLatin1(name));

  // Tab order: 打印, the range, the panel (grid, then tree), the check boxes, 过滤.
  QWidget* order[] = {BitBtn9, Edit2, Edit3, DBGrid1, TreeView1, CheckBox1, CheckBox2, BitBtn1};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

  connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this] {
    if (!quietTree_) TreeView1Change();
  });
  connect(CheckBox1, &QCheckBox::toggled, this, [this] { logic_->CheckBox1Click(); });
  connect(BitBtn9, &QPushButton::clicked, this, [this] { BitBtn9Click(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
}

void TTALVEN_Form::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  logic_->FormShow();
}

void TTALVEN_Form::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TTALVEN_Form::TreeView1Change() {
  auto it = nodes_.find(TreeView1->currentItem());
  if (it == nodes_.end()) return;
  RunShowingErrors([&] { logic_->TreeView1Change(it->second); });
}

void TTALVEN_Form::BitBtn1Click() {
  if (!FilterDialog) FilterDialog = new TFilter_Form(this);
  logic_->PrepareFilterDialog(FilterDialog->Model());
  if (FilterDialog->isVisible()) {
    FilterDialog->raise();
    FilterDialog->activateWindow();
  } else {
    // Centred on the main window.
    FilterDialog->move(geometry().center() - FilterDialog->rect().center());
    FilterDialog->show();
  }
  logic_->ReleaseFilterDialog(FilterDialog->Model());
}

void TTALVEN_Form::BitBtn9Click() {
  // The preparation runs inside the progress window, whose 取消 stops it.
  TfrProgressForm progress(this);
  ProgressWindowScope progressScope(progress);
  RunShowingErrors([&] { logic_->BitBtn9Click(); });
}

void TTALVEN_Form::SpeedButton1Click() { close(); }

std::string TTALVEN_Form::Edit2Text() const { return FromQt(Edit2->text()); }
void TTALVEN_Form::SetEdit2Text(const std::string& text) { Edit2->setText(ToQt(text)); }
std::string TTALVEN_Form::Edit3Text() const { return FromQt(Edit3->text()); }
void TTALVEN_Form::SetEdit3Text(const std::string& text) { Edit3->setText(ToQt(text)); }

void TTALVEN_Form::SetStatusText(int panel, const std::string& text) {
  (panel == 0 ? StatusPanel0 : StatusPanel1)->setText(ToQt(text));
}

void TTALVEN_Form::ShowTree(const OrgTree& tree) {
  const std::vector<QPixmap> images = MakeTreeImages();
  quietTree_ = true;
  TreeView1->clear();
  nodes_.clear();
  items_.clear();
  std::function<void(const OrgNode&, QTreeWidgetItem*)> add = [&](const OrgNode& node, QTreeWidgetItem* parent) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView1);
    item->setText(0, ToQt(node.text));
    QIcon icon(images.at(static_cast<std::size_t>(node.ImageIndex())));
    icon.addPixmap(images.at(static_cast<std::size_t>(node.SelectedIndex())), QIcon::Selected);
    item->setIcon(0, icon);
    nodes_[item] = &node;
    items_[&node] = item;
    for (const auto& child : node.children) add(*child, item);
  };
  for (const auto& root : tree.Roots()) add(*root, nullptr);
  TreeView1->setCurrentItem(nullptr);
  quietTree_ = false;
}

void TTALVEN_Form::ShowSelectedNode(const OrgNode& node) {
  auto it = items_.find(&node);
  if (it == items_.end()) return;
  quietTree_ = true;
  for (QTreeWidgetItem* p = it->second->parent(); p; p = p->parent()) p->setExpanded(true);
  TreeView1->setCurrentItem(it->second);
  TreeView1->scrollToItem(it->second);
  quietTree_ = false;
}

bool TTALVEN_Form::PhotosChecked() const { return CheckBox1->isChecked(); }

void TTALVEN_Form::SetPhotosChecked(bool checked) {
  CheckBox1->setChecked(checked);
  logic_->CheckBox1Click();  // also when the state did not change
}

void TTALVEN_Form::SetPhotosEnabled(bool enabled) { CheckBox1->setEnabled(enabled); }
bool TTALVEN_Form::SeatOrderChecked() const { return CheckBox2->isChecked(); }
void TTALVEN_Form::SetSeatOrderVisible(bool visible) { CheckBox2->setVisible(visible); }

}  // namespace talven
