#include "report/model/printer_adapter.h"

#include "base/text.h"

namespace talven {

namespace {

TfrPrinterAdapter* enginePrinter = nullptr;
int defaultPaperCode = 9;
bool engineReady = false;

}  // namespace

const std::string& VirtualPrinterName() { return "虚拟打印机"_gbk; }

TfrPrinterAdapter* EnginePrinter() { return enginePrinter; }
void SetEnginePrinter(TfrPrinterAdapter* printer) { enginePrinter = printer; }

int EngineDefaultPaperCode() { return defaultPaperCode; }
void SetEngineDefaultPaperCode(int code) { defaultPaperCode = code; }

bool EngineReady() { return engineReady; }
void SetEngineReady(bool ready) { engineReady = ready; }

}  // namespace talven
