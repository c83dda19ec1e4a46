#include "report/print/qt/qt_printer_system.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/model/printer_adapter.h"
#include "report/print/printer.h"
#include "report/print/qt/qt_paper.h"
#include "report/render/qt/qt_canvas.h"
#include "report/render/text_metrics.h"

namespace talven {

namespace {

// Qt's CUPS print engine takes extra job options (name, value, name,
// value …) through this property; it is how a job asks for a paper source.
const auto kCupsOptions = static_cast<QPrintEngine::PrintEnginePropertyKey>(0xfe00);

std::string Gbk(const QString& s) { return Utf8ToGbk(s.toUtf8().toStdString()); }
QString FromGbk(const std::string& s) { return QString::fromUtf8(GbkToUtf8(s).c_str()); }

int Tenths(double millimetres) { return RoundHalfEven(millimetres * 10); }

}  // namespace

QtPrinterSystem::QtPrinterSystem() { Refresh(); }

QtPrinterSystem::~QtPrinterSystem() {
  if (printing_) AbortJob();
}

void QtPrinterSystem::Refresh() {
  const QString selected = current_ >= 0 ? entries_[static_cast<std::size_t>(current_)].Name : QString();
  std::vector<Entry> fresh;
  for (const QString& name : QPrinterInfo::availablePrinterNames()) {
    auto kept = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.Name == name; });
    if (kept != entries_.end()) {
      fresh.push_back(std::move(*kept));
      continue;
    }
    Entry& e = fresh.emplace_back();
    e.Name = name;
  }
  entries_ = std::move(fresh);
  current_ = -1;
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].Name == selected) current_ = static_cast<int>(i);
  if (current_ < 0) current_ = DefaultPrinter();
  if (current_ < 0 && !entries_.empty()) current_ = 0;
}

int QtPrinterSystem::DefaultPrinter() {
  const QString name = QPrinterInfo::defaultPrinterName();
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].Name == name) return static_cast<int>(i);
  return -1;
}

std::vector<std::string> QtPrinterSystem::PrinterNames() {
  if (!printing_) Refresh();
  std::vector<std::string> names;
  for (const Entry& e : entries_) names.push_back(Gbk(e.Name));
  return names;
}

int QtPrinterSystem::CurrentPrinter() { return current_; }

void QtPrinterSystem::SelectPrinter(int index) {
  if (index < 0 || index >= static_cast<int>(entries_.size())) throw Error("List index out of bounds (" +
                                                                           std::to_string(index) + ")");
  current_ = index;
  Open(Selected());
}

QtPrinterSystem::Entry& QtPrinterSystem::Selected() {
  if (current_ < 0 || current_ >= static_cast<int>(entries_.size())) throw Error("没有可用的打印机"_gbk);
  return entries_[static_cast<std::size_t>(current_)];
}

// The printer's QPrinter, made when it is first used: its papers, bins,
// resolution and the default settings of its driver.
QtPrinterSystem::Entry& QtPrinterSystem::Open(Entry& e) {
  if (e.Printer) return e;
  const QPrinterInfo info = QPrinterInfo::printerInfo(e.Name);
  if (info.isNull()) throw Error("打印机不存在: "_gbk + Gbk(e.Name));
  e.Printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  const QList<int> resolutions = info.supportedResolutions();
  e.Resolution = resolutions.isEmpty() ? 600 : *std::max_element(resolutions.begin(), resolutions.end());
  e.Printer->setResolution(e.Resolution);
  e.Printer->setFullPage(false);

  int next = kCustomPaper + 1;
  for (const QPageSize& size : info.supportedPageSizes()) {
    int code = size.windowsId();
    const bool taken = std::any_of(e.Papers.begin(), e.Papers.end(), [&](const Paper& p) { return p.Code == code; });
    if (code <= 0 || code == kCustomPaper || taken) code = next++;
    e.Papers.push_back({code, Gbk(size.name()), size});
  }
  e.Sources = CupsMediaSources(e.Name.toStdString());

  PrinterDeviceSettings& s = e.Settings;
  s = PrinterDeviceSettings{};
  s.SupportsDefaultSource = !e.Sources.empty();
  const QPageSize initial = info.defaultPageSize().isValid() ? info.defaultPageSize() : e.Printer->pageLayout().pageSize();
  s.PaperCode = 9;
  for (const Paper& p : e.Papers)
    if (p.Size.isEquivalentTo(initial)) s.PaperCode = p.Code;
  Mirror(e);
  return e;
}

QPageSize QtPrinterSystem::PageSizeOf(const Entry& e, const PrinterDeviceSettings& s) const {
  if (!IsCustomPaper(s))
    for (const Paper& p : e.Papers)
      if (p.Code == s.PaperCode) return p.Size;
  // A paper the driver does not list goes with the table's size; CUPS fits
  // it as it can.
  return TablePageSize(s);
}

void QtPrinterSystem::Mirror(Entry& e) {
  const PrinterDeviceSettings& s = e.Settings;
  QPrinter& printer = *e.Printer;
  const QPageSize size = PageSizeOf(e, s);
  const bool landscape = SheetIsLandscape(s);
  if (!printer.setPageSize(size)) throw Error("打印机不支持该纸张: "_gbk + Gbk(size.name()));
  printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  const QPageLayout layout = printer.pageLayout();
  printer.setPageMargins(layout.minimumMargins(), layout.units());
}

void QtPrinterSystem::ReadBack(Entry& e) {
  const QPageLayout layout = e.Printer->pageLayout();
  const QPageSize size = layout.pageSize();
  PrinterDeviceSettings& s = e.Settings;
  s.Portrait = layout.orientation() == QPageLayout::Portrait;
  s.PaperSizeSet = false;
  for (const Paper& p : e.Papers)
    if (p.Size.isEquivalentTo(size)) {
      s.PaperCode = p.Code;
      return Mirror(e);
    }
  if (size.windowsId() > 0 && FindPaper(size.windowsId()) != nullptr && size.windowsId() != kCustomPaper) {
    s.PaperCode = size.windowsId();
    return Mirror(e);
  }
  const QSizeF mm = size.size(QPageSize::Millimeter);
  s.PaperCode = kCustomPaper;
  s.PaperSizeSet = true;
  s.PaperWidth = Tenths(s.Portrait ? mm.width() : mm.height());
  s.PaperLength = Tenths(s.Portrait ? mm.height() : mm.width());
  Mirror(e);
}

PrinterIdentity QtPrinterSystem::Identity() {
  Entry& e = Open(Selected());
  const QPrinterInfo info = QPrinterInfo::printerInfo(e.Name);
  return {Gbk(e.Name), Gbk(info.makeAndModel()), Gbk(info.location())};
}

std::optional<PrinterDeviceSettings> QtPrinterSystem::DeviceSettings() {
  if (current_ < 0) return std::nullopt;
  return Open(Selected()).Settings;
}

void QtPrinterSystem::SetDeviceSettings(const PrinterIdentity&, const PrinterDeviceSettings& settings) {
  if (printing_) throw Error("打印时不能更改打印机设置"_gbk);
  Entry& e = Open(Selected());
  const PrinterDeviceSettings before = e.Settings;
  e.Settings = settings;
  e.Settings.SupportsDefaultSource = before.SupportsDefaultSource;
  try {
    Mirror(e);
  } catch (...) {
    e.Settings = before;
    Mirror(e);
    throw;
  }
}

PrinterPageGeometry QtPrinterSystem::PageGeometry() {
  Entry& e = Open(Selected());
  return GeometryOf(e.Printer->pageLayout(), e.Resolution, e.Settings);
}

std::vector<PrinterPaper> QtPrinterSystem::Papers() {
  std::vector<PrinterPaper> out;
  for (const Paper& p : Open(Selected()).Papers) out.push_back({p.Code, p.Name});
  return out;
}

std::vector<PrinterBin> QtPrinterSystem::Bins() {
  std::vector<PrinterBin> out;
  for (const CupsSource& s : Open(Selected()).Sources) out.push_back({s.Code, Utf8ToGbk(s.Name)});
  return out;
}

bool QtPrinterSystem::ShowProperties() {
  Entry& e = Open(Selected());
  QPageSetupDialog dialog(e.Printer.get());
  if (dialog.exec() != QDialog::Accepted) {
    Mirror(e);
    return false;
  }
  ReadBack(e);
  return true;
}

QPrinter* QtPrinterSystem::SelectedQPrinter() {
  if (current_ < 0) return nullptr;
  return Open(Selected()).Printer.get();
}

void QtPrinterSystem::TakePrinterSettings() {
  if (current_ >= 0) ReadBack(Open(Selected()));
}

bool QtPrinterSystem::SetCopies(int copies) {
  QPrinter& printer = *Open(Selected()).Printer;
  printer.setCopyCount(std::max(1, copies));
  printer.setCollateCopies(false);
  return copies <= 1 || printer.supportsMultipleCopies();
}

void QtPrinterSystem::BeginJob(const std::string& title) {
  if (printing_) throw Error("打印作业已经开始"_gbk);
  Entry& e = Open(Selected());
  QPrinter& printer = *e.Printer;
  printer.setDocName(title.empty() ? QStringLiteral("Untitled") : FromGbk(title));
  printer.setCreator(QStringLiteral("talven"));
  QStringList options;
  for (const CupsSource& s : e.Sources)
    if (s.Code == e.Settings.DefaultSource) options << QStringLiteral("media-source") << QString::fromStdString(s.Keyword);
  printer.printEngine()->setProperty(kCupsOptions, options);
  if (!painter_.begin(&printer)) throw Error("打印机无法开始打印: "_gbk + Gbk(e.Name));
  printing_ = true;
  canvas_ = std::make_unique<QtCanvas>(painter_, ProductionMetrics(), e.Resolution);
}

void QtPrinterSystem::NewPage() {
  if (!printing_) throw Error("没有打印作业"_gbk);
  if (!Selected().Printer->newPage()) throw Error("打印机无法开始新的一页"_gbk);
}

void QtPrinterSystem::EndJob() {
  if (!printing_) return;
  canvas_.reset();
  printing_ = false;
  QPrinter& printer = *Selected().Printer;
  const bool ended = painter_.end();
  if (!ended || printer.printerState() == QPrinter::Error)
    throw Error("打印作业未能送到打印机: "_gbk + Gbk(Selected().Name));
}

void QtPrinterSystem::AbortJob() {
  if (!printing_) return;
  canvas_.reset();
  printing_ = false;
  Selected().Printer->abort();
  if (painter_.isActive()) painter_.end();
}

Canvas* QtPrinterSystem::JobCanvas() { return canvas_.get(); }

}  // namespace talven
