// talven preview: a prepared report in the preview window. Without a display,
// or with --screenshot, the window is laid out off screen, the options are
// applied and a picture of it is saved, so that the preview can be looked at
// anywhere.
#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "app/command.h"
#include "base/convert.h"
#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "qtui/qt_ui.h"
#include "report/model/report.h"
#include "report/pages/prepared_pages.h"
#include "report/preview/preview_form.h"
#include "report/preview/preview_layout.h"
#include "report/print/printer.h"

namespace talven::app {
namespace {

bool HasDisplay() {
  return std::getenv("QT_QPA_PLATFORM") || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

// --zoom: a percentage, or width, page, two.
std::optional<TfrZoomState> ZoomArgument(const std::string& text) {
  if (text == "width") return TfrZoomState{1.0, zmPageWidth};
  if (text == "page") return TfrZoomState{1.0, zmOnePage};
  if (text == "two") return TfrZoomState{1.0, zmTwoPages};
  std::string digits = text;
  if (!digits.empty() && digits.back() == '%') digits.pop_back();
  const std::optional<std::int32_t> percent = TryStrToInt(digits);
  if (!percent || *percent < 1 || *percent > 1000) return std::nullopt;
  return TfrZoomState{*percent / 100.0, zmPercent};
}

int RunPreview(const Args& args) {
  std::optional<std::string> file, screenshot, find;
  std::optional<TfrZoomState> zoom;
  int page = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool more = i + 1 < args.size();
    if (a == "--zoom" && more) {
      zoom = ZoomArgument(args[++i]);
      if (!zoom) return UsageError("preview: --zoom takes a percentage (1-1000), width, page or two");
    } else if (a == "--page" && more) {
      const std::optional<std::int32_t> n = TryStrToInt(args[++i]);
      if (!n || *n < 1) return UsageError("preview: --page takes a page number");
      page = *n;
    } else if (a == "--find" && more) {
      find = args[++i];
    } else if (a == "--screenshot" && more) {
      screenshot = args[++i];
    } else if (!file && !a.starts_with("-")) {
      file = a;
    } else {
      return UsageError("preview: unexpected argument '" + a + "'");
    }
  }
  if (!file) return UsageError("preview: which prepared-report file?");
  if (!HasDisplay()) {
    // No display to open the window on: draw it off screen and keep a picture.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!screenshot) screenshot = "talven-preview.png";
  }

  static int argc = 1;
  static char name[] = "talven";
  static char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("talven"));
  InstallFontSubstitutions();
  StartReportEngine();

  TfrReport report;
  report.Title = Utf8ToGbk(std::filesystem::path(*file).stem().string());
  // The buttons the sign-in sheet module shows.
  report.PreviewButtons = pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbExit | pbPageSetup;
  QtUi ui;
  UiScope uiScope(ui);
  LoadPrepared(report, Utf8ToGbk(*file));
  if (PreparedPagesOf(report).PageCount() == 0) throw Error(Utf8ToGbk(*file + " holds no pages"));
  if (zoom) EngineZoomState() = *zoom;

  TfrPreviewForm form;
  ui.SetOwner(&form);
  const auto applyOptions = [&] {
    if (page > 0) form.ShowPage(page);
    if (find) {
      // From the page asked for, or from the first.
      form.StartFind(Utf8ToGbk(*find), false, page == 0);
      if (!form.Search().Found) std::fprintf(stderr, "talven preview: '%s' is not in the report\n", find->c_str());
    }
  };
  if (!screenshot) {
    QTimer::singleShot(0, &form, applyOptions);
    form.PresentReport(report);
    return 0;
  }
  form.Connect(report);
  form.resize(1280, 960);
  form.show();
  QApplication::processEvents();
  applyOptions();
  QApplication::processEvents();
  const QString out = QString::fromUtf8(screenshot->c_str());
  if (!form.grab().save(out, "PNG")) throw Error(Utf8ToGbk("cannot write " + *screenshot));
  std::printf("%s\n", screenshot->c_str());
  form.close();
  return 0;
}

}  // namespace

TALVEN_COMMAND(preview, "preview",
               "preview FILE.frp [--zoom PERCENT|width|page|two] [--page N] [--find TEXT] [--screenshot OUT.png]",
               "show a prepared report in the preview window (off screen: save a picture of it)", RunPreview);

}  // namespace talven::app
