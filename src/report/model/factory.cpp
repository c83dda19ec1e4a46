#include "report/model/factory.h"

#include "report/model/band_view.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/prepare_state.h"
#include "report/model/rich_view.h"
#include "report/model/subreport_view.h"

namespace talven {

namespace {

int objectCounter = 0;

std::vector<TfrAddInEntry>& Registry() {
  static std::vector<TfrAddInEntry> entries = [] {
    std::vector<TfrAddInEntry> list;
    list.push_back(TfrAddInEntry{typeid(TfrRichView), "TfrRichView",
                                 [] { return std::unique_ptr<TfrView>(std::make_unique<TfrRichView>()); },
                                 "55223", 0});
    return list;
  }();
  return entries;
}

}  // namespace

const std::vector<TfrAddInEntry>& AddIns() { return Registry(); }

void RegisterAddIn(std::type_index cls, std::string className, std::function<std::unique_ptr<TfrView>()> create,
                   std::string hint) {
  auto& entries = Registry();
  for (const TfrAddInEntry& e : entries)
    if (e.Class == cls) return;
  entries.push_back(TfrAddInEntry{cls, std::move(className), std::move(create), std::move(hint), 0});
}

std::unique_ptr<TfrView> MakeObject(int typeCode, std::string_view className) {
  std::unique_ptr<TfrView> view;
  switch (typeCode) {
    case gtMemo: view = std::make_unique<TfrMemoView>(); break;
    case gtPicture: view = std::make_unique<TfrPictureView>(); break;
    case gtBand: view = std::make_unique<TfrBandView>(); break;
    case gtSubReport: view = std::make_unique<TfrSubReportView>(); break;
    case gtLine: view = std::make_unique<TfrLineView>(); break;
    case gtAddIn: {
      for (const TfrAddInEntry& e : Registry())
        if (e.ClassName == className) {
          view = e.Create();
          view->TypeCode = gtAddIn;
          break;
        }
      if (!view) {
        PrepareState& state = EngineState();
        state.ErrorFlag = true;
        state.ErrorText += std::string(className) + "\r";
        throw TfrClassNotFound(state.ErrorText);
      }
      break;
    }
    default: return nullptr;
  }
  view->ObjectId = objectCounter++;
  return view;
}

int ObjectCounter() { return objectCounter; }

}  // namespace talven
