// The preview window off screen: pages taken over and given back, paging by
// keys, scroll bars and links, the zoom remembered, saving and exporting,
// printing and page setup through the report actions, find, painting and the
// window's position.
#include <QActionGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <functional>

#include "base/rounding.h"
#include "base/text.h"
#include "report/preview/preview_fixture.h"
#include "report/preview/preview_search_form.h"
#include "report/preview/show_prepared.h"

namespace talven {
namespace {

// A window whose dialogs answer as told.
class AnsweredForm : public TfrPreviewForm {
 public:
  QString openAnswer;
  bool saveAnswered = false;
  int saveEntry = 0;
  QString saveName;
  // What the save dialog was opened with.
  QStringList saveFilters;
  int savePreselected = -1;
  std::function<bool(TfrPreviewSearchForm&)> findAnswer;

 protected:
  bool AskFind(TfrPreviewSearchForm& form) override { return findAnswer && findAnswer(form); }
  QString AskOpenFileName(const QString&) override { return openAnswer; }
  bool AskSaveFileName(const QStringList& filters, int& entry, QString& fileName) override {
    saveFilters = filters;
    savePreselected = entry;
    entry = saveEntry;
    fileName = saveName;
    return saveAnswered;
  }
};

class FormTest : public PreviewTest {
 protected:
  // The window on the report, its page area areaWidth × areaHeight.
  AnsweredForm& Open(int areaWidth = 1000, int areaHeight = 700) {
    form = std::make_unique<AnsweredForm>();
    form->Connect(report);
    form->show();
    QApplication::processEvents();
    form->resize(form->width() - form->AreaWidth() + areaWidth, form->height() - form->AreaHeight() + areaHeight);
    QApplication::processEvents();
    return *form;
  }
  QString Status() const { return form->Label1->text(); }
  int Top(int page) const { return form->Pages()->PageAt(page - 1).LayoutRect.Top; }
  int LoadedPages() const {
    int n = 0;
    for (int i = 0; i < form->Pages()->PageCount(); ++i) n += form->Pages()->PageAt(i).LoadedPage != nullptr;
    return n;
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(form->PBox, static_cast<Qt::Key>(key), modifiers);
  }
  // Where a point of page `page` (report units) is on the page area.
  QPoint At(int page, int x, int y) const {
    const TfrRect& r = form->Pages()->PageAt(page - 1).LayoutRect;
    return QPoint(r.Left + RoundHalfEven(x * form->ZoomFactor()) - form->HScrollBar->value(),
                  r.Top + RoundHalfEven(y * form->ZoomFactor()) - form->VScrollBar->value());
  }
  // A link object on the last prepared page.
  void AddLink(const std::string& tag, int left, int top) {
    TfrMemoView link = signin::Cell(left, top, 80, 20, "链接");
    link.Name = "URL1";
    link.Tag = tag;
    TfrEMFPages& pages = PreparedPagesOf(report);
    WritePreparedObject(pages.PageAt(pages.PageCount() - 1).ObjectStream, link);
  }

  std::unique_ptr<AnsweredForm> form;
};

TEST_F(FormTest, TheWindowTakesThePagesAndShowsTheButtonsTheReportAsksFor) {
  AddPages(10, 5);
  ReportActions().HasPrinters = [] { return true; };
  ReportActions().PrintDialog = [](TfrReport&, int, TfrPrintChoice&) { return true; };
  ReportActions().PrintPrepared = [](TfrReport&, const TfrPrintChoice&) {};
  Open();
  EXPECT_EQ(form->Pages()->PageCount(), 10);
  EXPECT_EQ(report.PreparedPages->PageCount(), 0);
  EXPECT_NE(report.PreparedPages.get(), form->Pages());
  EXPECT_EQ(form->windowTitle(), QString::fromUtf8("预览 - 签到表"));
  EXPECT_EQ(Status(), QString::fromUtf8("页 1/10"));
  EXPECT_EQ(form->ZoomBtn->text(), "100%");
  EXPECT_EQ(form->ZoomBtn->toolTip(), QString::fromUtf8("放缩"));
  EXPECT_EQ(form->ExitBtn->toolTip(), QString::fromUtf8("关闭预览"));
  for (QWidget* w : {static_cast<QWidget*>(form->ZoomBtn), static_cast<QWidget*>(form->LoadBtn),
                     static_cast<QWidget*>(form->SaveBtn), static_cast<QWidget*>(form->PrintBtn),
                     static_cast<QWidget*>(form->PageSetupBtn), static_cast<QWidget*>(form->FindBtn),
                     static_cast<QWidget*>(form->ExitBtn)})
    EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
  EXPECT_FALSE(form->HelpBtn->isVisible());
  EXPECT_TRUE(form->frTBSeparator3->isVisible());
  EXPECT_TRUE(form->PrintBtn->isEnabled());
  // Page setup is not provided here: its button stays disabled.
  EXPECT_FALSE(form->PageSetupBtn->isEnabled());
  EXPECT_FALSE(form->EditPageItem->isVisible());

  // Without printers nothing prints; without zoom the separator goes too.
  ReportActions().HasPrinters = [] { return false; };
  report.PreviewButtons = pbFind | pbExit;
  form->ApplyButtons();
  EXPECT_FALSE(form->PrintBtn->isEnabled());
  EXPECT_FALSE(form->ZoomBtn->isVisible());
  EXPECT_FALSE(form->frTBSeparator1->isVisible());

  // Closing frees the pages: the report keeps its empty list.
  form.reset();
  EXPECT_EQ(report.PreparedPages->PageCount(), 0);
}

TEST_F(FormTest, PagingByKeysAndButtonsScrollsThePageTenPixelsBelowTheTop) {
  AddPages(10, 5);
  Open();
  form->ShowPage(3);
  Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(form->CurrentPage(), 4);
  EXPECT_EQ(form->VScrollBar->value(), Top(4) - 10);
  EXPECT_EQ(Status(), QString::fromUtf8("页 4/10"));
  Key(Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(form->CurrentPage(), 3);
  QTest::mouseClick(form->PgDown, Qt::LeftButton);
  QTest::mouseClick(form->PgDown, Qt::LeftButton);
  EXPECT_EQ(form->CurrentPage(), 5);
  QTest::mouseClick(form->PgUp, Qt::LeftButton);
  EXPECT_EQ(form->CurrentPage(), 4);

  // The scroll keys move by the small and the large change.
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    int dy;
  };
  for (const Case& c : {Case{Qt::Key_Down, Qt::NoModifier, 10}, Case{Qt::Key_Up, Qt::NoModifier, -10},
                        Case{Qt::Key_PageDown, Qt::NoModifier, 200}, Case{Qt::Key_PageUp, Qt::NoModifier, -200}}) {
    const int before = form->VScrollBar->value();
    Key(c.key, c.modifiers);
    EXPECT_EQ(form->VScrollBar->value(), before + c.dy) << c.key;
  }

  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(form->CurrentPage(), 10);
  EXPECT_EQ(form->VScrollBar->value(), Top(10) - 10);
  Key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(form->VScrollBar->value(), 0);
  EXPECT_EQ(form->CurrentPage(), 1);
  // Home and End alone are not the window's.
  EXPECT_FALSE(form->HandleKey(Qt::Key_End, Qt::NoModifier));
  // Ctrl+Page Down on the last page stays there.
  form->ShowPage(10);
  Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(form->CurrentPage(), 10);
}

TEST_F(FormTest, TheCurrentPageIsThePageCrossingTheLineElevenPixelsDown) {
  AddPages(10, 5);
  Open();
  struct Case {
    int position;  // of the vertical bar
    int page;
  };
  // Page 5 runs from Top(5) to Top(5) + 1071; the gap before it leaves the
  // page as it was.
  const int top = Top(5);
  for (const Case& c : {Case{top - 10, 5}, Case{top - 11, 5}, Case{top - 12, 5}, Case{top - 22, 4},
                        Case{top + 1059, 5}, Case{top + 1060, 5}, Case{top + 1071, 6}}) {
    form->VScrollBar->setValue(c.position);
    EXPECT_EQ(form->CurrentPage(), c.page) << c.position - top;
  }
  // From the gap the page stays as it was: page 4 when coming from above.
  form->VScrollBar->setValue(top - 30);
  EXPECT_EQ(form->CurrentPage(), 4);
  form->VScrollBar->setValue(top - 12);
  EXPECT_EQ(form->CurrentPage(), 4);
  EXPECT_EQ(Status(), QString::fromUtf8("页 4/10"));
}

TEST_F(FormTest, AChosenZoomIsWhereTheNextPreviewOpens) {
  AddPages(3, 5);
  Open();
  form->ChooseZoom(75);
  EXPECT_DOUBLE_EQ(form->ZoomFactor(), 0.75);
  EXPECT_EQ(form->ZoomBtn->text(), "75%");
  form->close();
  form.reset();

  EXPECT_EQ(report.InitialZoom, pzDefault);
  report.PreparedPages = nullptr;
  AddPages(3, 5);
  Open();
  EXPECT_DOUBLE_EQ(form->ZoomFactor(), 0.75);
  EXPECT_EQ(form->ZoomBtn->text(), "75%");
  QAction* checked = form->ZoomGroup->checkedAction();
  ASSERT_NE(checked, nullptr);
  EXPECT_EQ(checked->data().toInt(), 75);

  // A mode the report asks for wins over the remembered one.
  form.reset();
  report.InitialZoom = pzPageWidth;
  AddPages(3, 5);
  Open(1000, 700);
  EXPECT_EQ(form->ZoomMode(), zmPageWidth);
  EXPECT_DOUBLE_EQ(form->ZoomFactor(), 980.0 / 758);
  EXPECT_EQ(form->ZoomGroup->checkedAction()->data().toInt(), 1);
  EXPECT_EQ(form->Pages()->PageAt(0).LayoutRect.Left, 10);
  EXPECT_FALSE(form->HScrollBar->isEnabled());
}

TEST_F(FormTest, SavingWritesThePreparedReportOrExportsWithTheFiltersExtension) {
  AddPages(3, 5);
  TfrExportFilter* const excel = reinterpret_cast<TfrExportFilter*>(0x1);
  TfrExportFilter* const text = reinterpret_cast<TfrExportFilter*>(0x2);
  ReportActions().ExportFilters = [&] {
    return std::vector<TfrExportFilterEntry>{{text, "Text 文件 (*.txt)"_gbk, "*.txt", false},
                                             {excel, "Excel 文件"_gbk, "*.xls", true}};
  };
  struct Call {
    TfrExportFilter* filter;
    std::string fileName;
    int pages;
  };
  std::vector<Call> calls;
  ReportActions().ExportWith = [&](TfrReport& r, TfrExportFilter& filter, const std::string& fileName) {
    calls.push_back({&filter, fileName, PreparedPagesOf(r).PageCount()});
  };
  test::TempDir dir;
  Open();

  // The Excel entry, with the name typed as something else.
  form->saveAnswered = true;
  form->saveEntry = 2;
  form->saveName = QString::fromStdString(dir.File("考场.txt.doc"));
  form->SaveBtnClick();
  EXPECT_EQ(form->saveFilters, (QStringList{QString::fromUtf8("Report 文件 (*.frp)"),
                                            QString::fromUtf8("Text 文件 (*.txt)"),
                                            QString::fromUtf8("Excel 文件 (*.xls)")}));
  EXPECT_EQ(form->savePreselected, 2);  // the default filter
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].filter, excel);
  EXPECT_EQ(GbkToUtf8(calls[0].fileName), dir.File("考场.txt.xls"));
  EXPECT_EQ(calls[0].pages, 3);  // export runs on the report's pages
  EXPECT_EQ(form->Pages()->PageCount(), 3);
  EXPECT_EQ(report.PreparedPages->PageCount(), 0);

  // The first entry writes the prepared report, as ".frp".
  form->saveEntry = 0;
  form->saveName = QString::fromStdString(dir.File("sheets"));
  form->SaveBtnClick();
  ASSERT_TRUE(std::filesystem::exists(dir.File("sheets.frp")));
  TfrReport other;
  LoadPrepared(other, Utf8ToGbk(dir.File("sheets.frp")));
  EXPECT_EQ(PreparedPagesOf(other).PageCount(), 3);
  EXPECT_TRUE(ui.boxes.empty());

  // A file that cannot be written is the user's error; the pages stay.
  form->saveName = QString::fromStdString(dir.File("missing/sheets.frp"));
  form->SaveBtnClick();
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(form->Pages()->PageCount(), 3);
}

TEST_F(FormTest, OpeningAFileReplacesThePagesAndAFileThatCannotBeReadKeepsThem) {
  AddPages(2, 5);
  test::TempDir dir;
  {
    TfrReport other;
    signin::AppendPages(other, PreparedPagesOf(other), 4, 5);
    SavePrepared(other, Utf8ToGbk(dir.File("four.frp")));
  }
  Open();
  form->ShowPage(2);
  form->openAnswer = QString::fromStdString(dir.File("four.frp"));
  form->LoadBtnClick();
  EXPECT_EQ(form->Pages()->PageCount(), 4);
  EXPECT_EQ(form->CurrentPage(), 1);
  EXPECT_EQ(Status(), QString::fromUtf8("页 1/4"));
  EXPECT_FALSE(report.Rebuildable);
  EXPECT_TRUE(ui.boxes.empty());

  form->openAnswer = QString::fromStdString(dir.File("none.frp"));
  form->LoadBtnClick();
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(form->Pages()->PageCount(), 4);
}

TEST_F(FormTest, ALinkClickJumpsToItsPageAndHoveringShowsWhere) {
  AddPages(1, 5);
  AddLink("@3", 100, 400);
  AddLink("@abc", 300, 400);
  AddLink("@99", 500, 400);
  AddPages(4, 5);
  Open();
  const QPoint link = At(1, 120, 410);
  QTest::mouseMove(form->PBox, link);
  EXPECT_EQ(form->Label2->text(), QString::fromUtf8("页 3"));
  EXPECT_EQ(form->PBox->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseClick(form->PBox, Qt::LeftButton, Qt::NoModifier, link);
  EXPECT_EQ(form->CurrentPage(), 3);
  EXPECT_EQ(form->VScrollBar->value(), Top(3) - 10);
  EXPECT_FALSE(form->PBox->Dragging);
  EXPECT_TRUE(shell.opened.empty());

  // A link that names no page, or one past the end, does nothing.
  form->ShowPage(1);
  for (const QPoint& p : {At(1, 320, 410), At(1, 520, 410)}) {
    QTest::mouseMove(form->PBox, p);
    QTest::mouseClick(form->PBox, Qt::LeftButton, Qt::NoModifier, p);
    EXPECT_EQ(form->CurrentPage(), 1);
  }
  QTest::mouseMove(form->PBox, At(1, 320, 410));
  EXPECT_EQ(form->Label2->text(), QString());

  // Off the links the hint goes and the cursor is the arrow.
  QTest::mouseMove(form->PBox, At(1, 600, 600));
  EXPECT_EQ(form->Label2->text(), QString());
  EXPECT_EQ(form->PBox->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(FormTest, ClickingAPageMakesItCurrentAndDraggingScrolls) {
  AddPages(4, 5);
  Open(1000, 700);
  form->ChooseZoom(25);  // four in a row
  form->ChooseZoom(100);
  const int before = form->VScrollBar->value();
  const QPoint start = At(1, 300, 500);
  QTest::mousePress(form->PBox, Qt::LeftButton, Qt::NoModifier, start);
  EXPECT_TRUE(form->PBox->Dragging);
  QMouseEvent move(QEvent::MouseMove, QPointF(start - QPoint(0, 50)), form->PBox->mapToGlobal(QPointF(start)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form->PBox, &move);
  EXPECT_EQ(form->VScrollBar->value(), before + 50);
  QTest::mouseRelease(form->PBox, Qt::LeftButton, Qt::NoModifier, start - QPoint(0, 50));
  EXPECT_FALSE(form->PBox->Dragging);

  // The wheel moves by the small change a notch.
  const int wheeled = form->VScrollBar->value();
  QWheelEvent wheel(QPointF(100, 100), form->PBox->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -240),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(form->PBox, &wheel);
  EXPECT_EQ(form->VScrollBar->value(), wheeled + 20);
}

TEST_F(FormTest, FindShowsTheMatchAndF3GoesOnUntilTheLastPage) {
  AddPages(3, 30);
  Open();
  form->StartFind("english", false, true);
  ASSERT_TRUE(form->Search().Found);
  EXPECT_EQ(form->CurrentPage(), 1);
  EXPECT_EQ(form->VScrollBar->value(), 0);  // the match is near the top: the page's top
  Key(Qt::Key_F3);
  EXPECT_EQ(form->CurrentPage(), 2);
  EXPECT_EQ(form->VScrollBar->value(), Top(2) - 10);
  Key(Qt::Key_F3);
  EXPECT_EQ(form->CurrentPage(), 3);
  const int position = form->VScrollBar->value();

  // After the last match nothing is found and the view stays.
  Key(Qt::Key_F3);
  EXPECT_FALSE(form->Search().Found);
  EXPECT_EQ(form->CurrentPage(), 3);
  EXPECT_EQ(form->VScrollBar->value(), position);
  // The next F3 starts again on the current page.
  Key(Qt::Key_F3);
  EXPECT_TRUE(form->Search().Found);
  EXPECT_EQ(form->CurrentPage(), 3);

  // A match low on a page comes in at the bottom of the area.
  form->StartFind("监考员签名"_gbk, false, true);
  ASSERT_TRUE(form->Search().Found);
  const TfrRect& b = form->Search().Bounds;
  const int bottom = Top(1) + RoundHalfEven(b.Top * 1.0) + RoundHalfEven((b.Bottom - b.Top) * 1.0);
  EXPECT_EQ(form->VScrollBar->value(), bottom - form->AreaHeight());
  EXPECT_EQ(form->CurrentPage(), 1);

  // From the current page: the search starts there.
  form->ShowPage(3);
  form->StartFind("CET"_gbk, false, false);
  EXPECT_EQ(form->Search().FoundPage, 2);
}

TEST_F(FormTest, TheFindDialogAsksForTheTextItsCaseAndWhereToStart) {
  AddPages(3, 5);
  Open();
  form->ShowPage(2);
  form->findAnswer = [](TfrPreviewSearchForm& f) {
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("查找文本"));
    EXPECT_EQ(f.Label1->text(), QString::fromUtf8("待查文本(&F)"));
    EXPECT_EQ(f.GroupBox1->title(), QString::fromUtf8("选项"));
    EXPECT_EQ(f.CB1->text(), QString::fromUtf8("大小写敏感(&C)"));
    EXPECT_EQ(f.GroupBox2->title(), QString::fromUtf8("起点"));
    EXPECT_EQ(f.RB1->text(), QString::fromUtf8("首页(&1)"));
    EXPECT_EQ(f.RB2->text(), QString::fromUtf8("当前页(&P)"));
    EXPECT_EQ(f.Button1->text(), QString::fromUtf8("确认"));
    EXPECT_EQ(f.Button2->text(), QString::fromUtf8("取消"));
    EXPECT_TRUE(f.RB1->isChecked());
    f.Edit1->setText(QStringLiteral("cet"));
    f.RB2->setChecked(true);
    return true;
  };
  QTest::keyClick(form->PBox, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(form->Search().Text, "CET");
  EXPECT_EQ(form->Search().FoundPage, 1);
  EXPECT_EQ(form->CurrentPage(), 2);

  // Case counts: "cet" is nowhere, and the view stays.
  form->findAnswer = [](TfrPreviewSearchForm& f) {
    f.Edit1->setText(QStringLiteral("cet"));
    f.CB1->setChecked(true);
    return true;
  };
  form->FindBtnClick();
  EXPECT_EQ(form->Search().Text, "cet");
  EXPECT_FALSE(form->Search().Found);
  EXPECT_EQ(form->CurrentPage(), 2);

  // Cancelled: nothing is searched.
  form->findAnswer = [](TfrPreviewSearchForm&) { return false; };
  form->FindBtnClick();
  EXPECT_EQ(form->Search().Text, "cet");
}

TEST_F(FormTest, PaintingDrawsGreyAroundFramedWhitePagesAndLoadsOnlyThoseInView) {
  AddPages(20, 30);
  Open(1000, 700);
  const QImage image = form->PBox->grab().toImage();
  const TfrRect r = form->Pages()->PageAt(0).LayoutRect;
  EXPECT_EQ(image.pixelColor(5, 5), QColor(128, 128, 128));
  EXPECT_EQ(image.pixelColor(r.Left, 300), QColor(Qt::black));           // the frame
  EXPECT_EQ(image.pixelColor(r.Left + 5, 300), QColor(Qt::white));       // the sheet
  EXPECT_EQ(image.pixelColor(r.Right, 300), QColor(Qt::black));          // the shadow
  EXPECT_EQ(image.pixelColor(r.Right + 1, 300), QColor(128, 128, 128));
  // Ink of the table's rules and texts inside the page.
  int ink = 0;
  for (int y = 150; y < 400; ++y)
    for (int x = r.Left + 40; x < r.Right - 40; ++x) ink += qGray(image.pixel(x, y)) < 128;
  EXPECT_GT(ink, 1000);
  EXPECT_EQ(LoadedPages(), 1);

  // Scrolling through the report keeps only the pages in view loaded.
  for (int page = 2; page <= 20; ++page) {
    form->ShowPage(page);
    form->PBox->grab();
    EXPECT_LE(LoadedPages(), 2) << page;
  }
  EXPECT_TRUE(form->Pages()->PageAt(19).LoadedPage);
  EXPECT_FALSE(form->Pages()->PageAt(0).LoadedPage);
}

TEST_F(FormTest, PrintingGivesThePagesToThePrintRunAndPreparesAgainForAnotherPrinter) {
  AddPages(3, 5);
  report.DefaultCopies = 2;
  std::vector<std::string> calls;
  int shownPage = 0;
  TfrPrintChoice asked, printed;
  int printerChosen = -1;
  ReportActions().HasPrinters = [] { return true; };
  ReportActions().PrintDialog = [&](TfrReport&, int currentPage, TfrPrintChoice& choice) {
    calls.push_back("dialog");
    shownPage = currentPage;
    asked = choice;
    if (printerChosen >= 0) choice.PrinterIndex = printerChosen;
    return true;
  };
  ReportActions().SwitchPrinter = [&](TfrReport&, int, int) {
    calls.push_back("switch");
    return true;
  };
  bool prepareSucceeds = true;
  ReportActions().PrepareReport = [&](TfrReport& r) {
    calls.push_back("prepare");
    signin::AppendPages(r, PreparedPagesOf(r), 5, 5);
    return prepareSucceeds;
  };
  ReportActions().PrintPrepared = [&](TfrReport& r, const TfrPrintChoice& choice) {
    calls.push_back("print " + std::to_string(PreparedPagesOf(r).PageCount()));
    printed = choice;
  };
  Open();
  form->ShowPage(2);
  QTest::keyClick(form->PBox, Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(calls, (std::vector<std::string>{"dialog", "print 3"}));
  EXPECT_EQ(shownPage, 2);
  EXPECT_EQ(asked.Copies, 2);
  EXPECT_TRUE(asked.Collate);
  EXPECT_EQ(form->Pages()->PageCount(), 3);
  EXPECT_EQ(report.PreparedPages->PageCount(), 0);

  // Another printer, with RebuildPrinter: the report is prepared for it.
  report.RebuildPrinter = true;
  printerChosen = EnginePrinter()->PrinterIndex() + 1;
  calls.clear();
  form->PrintBtnClick();
  EXPECT_EQ(calls, (std::vector<std::string>{"dialog", "switch", "prepare", "print 5"}));
  EXPECT_EQ(form->Pages()->PageCount(), 5);

  // A preparation that fails prints nothing and keeps the pages shown.
  prepareSucceeds = false;
  calls.clear();
  form->PrintBtnClick();
  EXPECT_EQ(calls, (std::vector<std::string>{"dialog", "switch", "prepare"}));
  EXPECT_EQ(form->Pages()->PageCount(), 5);
  EXPECT_EQ(report.PreparedPages->PageCount(), 0);

  // Without the dialog: the report's defaults.
  report.ShowPrintDialog = false;
  report.RebuildPrinter = false;
  calls.clear();
  form->PrintBtnClick();
  EXPECT_EQ(calls, (std::vector<std::string>{"print 5"}));
  EXPECT_EQ(printed.Copies, 2);
  EXPECT_EQ(printed.PageList, "");
}

TEST_F(FormTest, PageSetupPreparesTheReportAgainOnItsNewPaper) {
  AddPages(3, 5);
  int pagesSeen = -1;
  bool changed = true;
  ReportActions().HasPrinters = [] { return true; };
  ReportActions().PrintDialog = [](TfrReport&, int, TfrPrintChoice&) { return true; };
  ReportActions().PrintPrepared = [](TfrReport&, const TfrPrintChoice&) {};
  ReportActions().PageSetup = [&](TfrReport& r) {
    pagesSeen = PreparedPagesOf(r).PageCount();
    return changed;
  };
  int prepared = 0;
  ReportActions().PrepareReport = [&](TfrReport& r) {
    ++prepared;
    signin::AppendPages(r, PreparedPagesOf(r), 2, 5);
    return true;
  };
  Open();
  ASSERT_TRUE(form->PageSetupBtn->isEnabled());
  form->ShowPage(3);
  form->PageSetupBtnClick();
  EXPECT_EQ(pagesSeen, 3);  // the dialog starts from the first prepared page
  EXPECT_EQ(prepared, 1);
  EXPECT_EQ(form->Pages()->PageCount(), 2);
  EXPECT_EQ(form->CurrentPage(), 1);

  changed = false;
  form->PageSetupBtnClick();
  EXPECT_EQ(prepared, 1);
}

TEST_F(FormTest, ThePositionIsKeptInTheUsersSettingsAndRestored) {
  AddPages(2, 5);
  {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Corvelin"));
    settings.beginGroup(QStringLiteral("Form/TfrPreviewForm"));
    settings.setValue("XPosition", 40);
    settings.setValue("YPosition", 50);
    settings.setValue("Width", 900);
    settings.setValue("Height", 640);
    settings.setValue("Maximized", false);
  }
  report.ModalPreview = false;
  form = std::make_unique<AnsweredForm>();
  form->PresentReport(report);
  QApplication::processEvents();
  EXPECT_FALSE(form->isMaximized());
  EXPECT_EQ(form->geometry(), QRect(40, 50, 900, 640));

  form->setGeometry(60, 70, 820, 600);
  QApplication::processEvents();
  Key(Qt::Key_Escape);
  EXPECT_FALSE(form->isVisible());
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Corvelin"));
  settings.beginGroup(QStringLiteral("Form/TfrPreviewForm"));
  EXPECT_EQ(settings.value("XPosition").toInt(), 60);
  EXPECT_EQ(settings.value("YPosition").toInt(), 70);
  EXPECT_EQ(settings.value("Width").toInt(), 820);
  EXPECT_EQ(settings.value("Height").toInt(), 600);
  EXPECT_FALSE(settings.value("Maximized").toBool());

  // Without a stored flag the window opens maximized.
  settings.remove("Maximized");
  settings.sync();
  report.PreparedPages = nullptr;
  AddPages(2, 5);
  form = std::make_unique<AnsweredForm>();
  form->PresentReport(report);
  QApplication::processEvents();
  EXPECT_TRUE(form->isMaximized());
}

TEST_F(FormTest, ShowPreparedShowsNothingWithoutPagesAndAModelessWindowOtherwise) {
  ShowPrepared(report);
  const auto previews = [] {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
      n += w->objectName() == QLatin1String("TfrPreviewForm") && w->isVisible();
    return n;
  };
  EXPECT_EQ(previews(), 0);

  AddPages(2, 5);
  report.ModalPreview = false;
  ShowPrepared(report);
  EXPECT_EQ(previews(), 1);
  EXPECT_EQ(report.PreparedPages->PageCount(), 0);
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* preview = dynamic_cast<TfrPreviewForm*>(w); preview && preview->isVisible()) {
      EXPECT_EQ(preview->Pages()->PageCount(), 2);
      preview->ExitBtnClick();
    }
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(previews(), 0);
}

}  // namespace
}  // namespace talven
