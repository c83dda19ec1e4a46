#include "report/print/qt/print_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include <string>

#include "base/convert.h"
#include "base/text.h"
#include "base/ui.h"
#include "report/model/report.h"
#include "report/print/printer.h"

namespace talven {

namespace {

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }
QString FromGbk(const std::string& s) { return QString::fromUtf8(GbkToUtf8(s).c_str()); }
std::string ToGbk(const QString& s) { return Utf8ToGbk(s.toUtf8().toStdString()); }

// The printer list's rows: the printer picture 2 pixels from the left, the
// name 24 pixels from the left.
class PrinterRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    const QPixmap icon = PrinterIcon();
    painter->drawPixmap(option.rect.left() + 2, option.rect.top() + (option.rect.height() - icon.height()) / 2, icon);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(option.rect.adjusted(24, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                      index.data(Qt::DisplayRole).toString());
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    return {size.width() + 24, std::max(size.height(), 18)};
  }
};

// One sheet of the collation picture with its page number.
void DrawSheet(QPainter& p, int x, int y, int number) {
  const QRect sheet(x, y, 21, 30);
  p.setPen(QColor(0, 0, 0));
  p.setBrush(Qt::white);
  p.drawRect(sheet);
  p.setPen(QColor(128, 128, 128));
  for (int line = y + 12; line < y + 27; line += 4) p.drawLine(x + 4, line, x + 17, line);
  p.setPen(Qt::black);
  p.drawText(QRect(x + 2, y + 1, 10, 11), Qt::AlignLeft | Qt::AlignTop, QString::number(number));
}

}  // namespace

QPixmap PrinterIcon() {
  QPixmap icon(18, 16);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setPen(QColor(64, 64, 64));
  p.setBrush(Qt::white);
  p.drawRect(5, 1, 8, 5);  // the paper going in
  p.setBrush(QColor(192, 192, 192));
  p.drawRect(1, 6, 15, 6);  // the body
  p.setBrush(QColor(128, 128, 128));
  p.drawRect(3, 12, 11, 2);  // the tray
  p.setPen(QColor(0, 160, 0));
  p.drawPoint(13, 8);  // the power light
  return icon;
}

TfrCollatePicture::TfrCollatePicture(QWidget* parent) : QWidget(parent) { setFixedSize(100, 61); }

void TfrCollatePicture::SetCollated(bool collated) {
  collated_ = collated;
  update();
}

void TfrCollatePicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Button));
  QFont small = font();
  small.setPixelSize(9);
  p.setFont(small);
  if (collated_) {
    // 74 × 53, 8 pixels from the left: two sets, 1 2 3 each.
    for (int set = 0; set < 2; ++set)
      for (int page = 0; page < 3; ++page) DrawSheet(p, 8 + set * 40 + page * 6, page * 11, page + 1);
  } else {
    // 92 × 40, 8 pixels from the top: the copies of each page together.
    for (int page = 0; page < 3; ++page)
      for (int copy = 0; copy < 2; ++copy) DrawSheet(p, page * 32 + copy * 6, 8 + copy * 9, page + 1);
  }
}

TfrPrintForm::TfrPrintForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle(Text("打印"));

  GroupBox1 = new QGroupBox(Text("打印机"), this);
  Label4 = new QLabel(Text("名称(&N):"), GroupBox1);
  CB1 = new QComboBox(GroupBox1);
  CB1->setItemDelegate(new PrinterRowDelegate(CB1));
  CB1->setIconSize(QSize(18, 16));
  CB1->setMinimumWidth(260);
  Label4->setBuddy(CB1);
  PropButton = new QPushButton(Text("属性"), GroupBox1);
  auto* printerRow = new QHBoxLayout(GroupBox1);
  printerRow->addWidget(Label4);
  printerRow->addWidget(CB1, 1);
  printerRow->addWidget(PropButton);

  GroupBox2 = new QGroupBox(Text("页范围"), this);
  RB1 = new QRadioButton(Text("全部(&A)"), GroupBox2);
  RB2 = new QRadioButton(Text("当前页(&g)"), GroupBox2);
  RB3 = new QRadioButton(Text("页(&P):"), GroupBox2);
  RB1->setChecked(true);
  E2 = new QLineEdit(GroupBox2);
  Label2 = new QLabel(Text("输入页号或页范围,逗号分隔.例如: 1,3,5-12"), GroupBox2);
  Label2->setWordWrap(true);
  auto* pagesBox = new QGridLayout(GroupBox2);
  pagesBox->addWidget(RB1, 0, 0, 1, 2);
  pagesBox->addWidget(RB2, 1, 0, 1, 2);
  pagesBox->addWidget(RB3, 2, 0);
  pagesBox->addWidget(E2, 2, 1);
  pagesBox->addWidget(Label2, 3, 0, 1, 2);

  GroupBox3 = new QGroupBox(Text("打印份数"), this);
  Label1 = new QLabel(Text("打印份数(&c):"), GroupBox3);
  E1 = new QLineEdit(Text("1"), GroupBox3);
  E1->setFixedWidth(48);
  Label1->setBuddy(E1);
  UpButton = new QToolButton(GroupBox3);
  UpButton->setArrowType(Qt::UpArrow);
  DownButton = new QToolButton(GroupBox3);
  DownButton->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {UpButton, DownButton}) b->setFixedSize(16, 11);
  auto* upDown = new QVBoxLayout;
  upDown->setSpacing(0);
  upDown->addWidget(UpButton);
  upDown->addWidget(DownButton);
  CollateCB = new QCheckBox(GroupBox3);
  CollateCB->setChecked(true);
  Label3 = new QLabel(Text("对齐(&l)"), GroupBox3);
  Label3->setBuddy(CollateCB);
  Label3->installEventFilter(this);
  PB1 = new TfrCollatePicture(GroupBox3);
  auto* copiesBox = new QGridLayout(GroupBox3);
  auto* copiesRow = new QHBoxLayout;
  copiesRow->addWidget(Label1);
  copiesRow->addWidget(E1);
  copiesRow->addLayout(upDown);
  copiesRow->addStretch(1);
  auto* collateRow = new QHBoxLayout;
  collateRow->addWidget(CollateCB);
  collateRow->addWidget(Label3);
  collateRow->addStretch(1);
  copiesBox->addLayout(copiesRow, 0, 0);
  copiesBox->addLayout(collateRow, 1, 0);
  copiesBox->addWidget(PB1, 0, 1, 2, 1);

  Label5 = new QLabel(Text("打印(&r)"), this);
  CB2 = new QComboBox(this);
  CB2->addItems({Text("全部页"), Text("奇数页"), Text("偶数页")});
  CB2->setCurrentIndex(0);
  Label5->setBuddy(CB2);
  OkButton = new QPushButton(Text("确认"), this);
  OkButton->setDefault(true);
  CancelButton = new QPushButton(Text("取消"), this);
  auto* bottom = new QHBoxLayout;
  bottom->setSpacing(11);
  bottom->addWidget(Label5);
  bottom->addWidget(CB2);
  bottom->addStretch(1);
  bottom->addWidget(OkButton);
  bottom->addWidget(CancelButton);

  auto* middle = new QHBoxLayout;
  middle->addWidget(GroupBox2, 1);
  middle->addWidget(GroupBox3, 1);
  auto* all = new QVBoxLayout(this);
  all->addWidget(GroupBox1);
  all->addLayout(middle);
  all->addLayout(bottom);

  // The system's printers, selected at the adapter's printer.
  TfrPrinter& printer = Printer();
  oldIndex_ = printer.PrinterIndex();
  const QPixmap icon = PrinterIcon();
  for (int i = 0; i < static_cast<int>(printer.PrinterNames().size()); ++i) {
    if (i == printer.VirtualIndex()) continue;
    indices_.push_back(i);
    CB1->addItem(QIcon(icon), FromGbk(printer.PrinterNames()[static_cast<std::size_t>(i)]));
    if (i == oldIndex_) CB1->setCurrentIndex(CB1->count() - 1);
  }
  // Pages laid out on the virtual printer print on the first real one.
  if (!indices_.empty() && printer.PrinterIndex() == printer.VirtualIndex())
    printer.SelectIndex(indices_[static_cast<std::size_t>(std::max(0, CB1->currentIndex()))]);
  connect(CB1, &QComboBox::currentIndexChanged, this, [this](int row) {
    if (row >= 0 && row < static_cast<int>(indices_.size())) Printer().SelectIndex(indices_[static_cast<std::size_t>(row)]);
  });
  connect(PropButton, &QPushButton::clicked, this, [] { RunShowingErrors([] { Printer().Properties(); }); });
  connect(UpButton, &QToolButton::clicked, this, &TfrPrintForm::CopiesUp);
  connect(DownButton, &QToolButton::clicked, this, &TfrPrintForm::CopiesDown);
  connect(CollateCB, &QCheckBox::toggled, PB1, &TfrCollatePicture::SetCollated);
  connect(RB3, &QRadioButton::clicked, E2, [this] { E2->setFocus(); });
  E2->installEventFilter(this);
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrPrintForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == E2 && event->type() == QEvent::FocusIn) RB3->setChecked(true);
  if (watched == Label3 && event->type() == QEvent::MouseButtonPress) CollateCB->toggle();
  return QDialog::eventFilter(watched, event);
}

void TfrPrintForm::CopiesUp() {
  RunShowingErrors([this] { E1->setText(QString::number(StrToInt(ToGbk(E1->text())) + 1)); });
}

void TfrPrintForm::CopiesDown() {
  RunShowingErrors([this] {
    const int n = StrToInt(ToGbk(E1->text())) - 1;
    E1->setText(QString::number(n < 1 ? 1 : n));
  });
}

TfrPrintChoice TfrPrintForm::Choice(int currentPage) const {
  TfrPrintChoice c;
  if (RB2->isChecked()) c.PageList = std::to_string(currentPage);
  else if (RB3->isChecked()) c.PageList = ToGbk(E2->text());
  c.Copies = StrToInt(ToGbk(E1->text()));
  c.OddEven = CB2->currentIndex();
  c.Collate = CollateCB->isChecked();
  c.PrinterIndex = Printer().PrinterIndex();
  return c;
}

void TfrPrintForm::done(int result) {
  if (result != QDialog::Accepted) Printer().SelectIndex(oldIndex_);
  QDialog::done(result);
}

bool ShowPrintForm(TfrReport& report, int currentPage, TfrPrintChoice& choice) {
  TfrPrintForm form(QApplication::activeWindow());
  form.E1->setText(QString::number(report.DefaultCopies));
  form.CollateCB->setChecked(report.DefaultCollate);
  if (form.exec() != QDialog::Accepted) return false;
  // A copies field that is no number fails here, before anything prints;
  // the printer chosen stays.
  choice = form.Choice(currentPage);
  return true;
}

}  // namespace talven
