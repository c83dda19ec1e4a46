#include "sheets/sheet_report.h"

#include "base/error.h"
#include "base/text.h"
#include "data/paths.h"
#include "report/engine/band_engine.h"
#include "report/model/band.h"
#include "report/model/variables.h"
#include "report/model/view.h"
#include "report/template/template.h"
#include "sheets/sheet_data.h"
#include "sheets/sheet_templates.h"

namespace talven {

std::string SheetTitle(const std::string& titleMonthText) { return titleMonthText + "全国泓图考试"_gbk; }

TSheetReport::TSheetReport(TSheetData& sheets) : sheets_(sheets) {
  Form.Insert(frReport1);
  Form.Insert(frUserDataset1);
  Form.Insert(frOLEExcelExport1);
  frOLEExcelExport1.CellsAlign = frOLEExcelExport1.CellsFillColor = frOLEExcelExport1.CellsFontColor = false;
  frOLEExcelExport1.CellsFontName = frOLEExcelExport1.CellsFontSize = frOLEExcelExport1.CellsFontStyle = false;

  frReport1.SetDataset(&frUserDataset1);
  frReport1.InitialZoom = pzDefault;
  frReport1.PreviewButtons = pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbExit | pbPageSetup;
  frReport1.RebuildPrinter = false;
  frReport1.ModalPreview = true;
  frReport1.OnBeginBand = [this](TfrBand* band) { sheets_.frReport1BeginBand(band->Name); };
  frReport1.OnEndBand = [this](TfrBand* band) { sheets_.frReport1EndBand(band->Name); };
  frReport1.OnGetValue = [this](const std::string& name, Variant& value) { sheets_.frReport1GetValue(name, value); };

  frUserDataset1.RangeBegin = rbFirst;
  frUserDataset1.RangeEnd = reCount;
  frUserDataset1.OnFirst = [this](TfrDataset&) { sheets_.frUserDataset1First(); };
  frUserDataset1.OnNext = [this](TfrDataset&) { sheets_.frUserDataset1Next(); };
  frUserDataset1.OnPrior = [this](TfrDataset&) { sheets_.frUserDataset1Prior(); };
}

bool TSheetReport::Launch(const std::string& titleMonthText, const std::string& kcText, const ShowPrepared& show) {
  const bool withPhotos = sheets_.WithPhotos;
  const std::string path = SheetTemplatePath(withPhotos);
  if (!LoadTemplateFile(frReport1, path)) throw Error("报表模板文件不存在："_gbk + path);
  if (withPhotos) EngineVariables().Set("path", GetPhotoPath() + kcText + "/");
  TfrView* title = frReport1.ObjectByName("memo5");
  if (title == nullptr) throw Error("报表模板中没有对象 memo5："_gbk + path);
  title->Memo = {SheetTitle(titleMonthText)};

  sheets_.MemTable1.First();
  frUserDataset1.RangeEndCount = sheets_.ReportRowCount();
  if (BeforePrepare) BeforePrepare();
  if (!PrepareReport(frReport1)) return false;
  if (show) show(frReport1);
  return true;
}

}  // namespace talven
