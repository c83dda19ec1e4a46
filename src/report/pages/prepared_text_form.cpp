// The JSON text form of prepared-report files. Objects go through the
// template text form's object fields, less those that the printing form
// does not store.
#include "report/pages/prepared_text_form.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "base/error.h"
#include "report/model/prepare_state.h"
#include "report/pages/prepared_pages.h"
#include "report/template/json_form.h"
#include "report/template/text_form.h"

namespace talven {

namespace {

using Json = TfrJson;
using json_form::Fail;
using json_form::Fields;

constexpr const char* kFormat = "talven-prepared";

// Fields of the template text form that only the design form stores (a
// band's data source or group condition is its DisplayFormatText).
constexpr std::array<std::string_view, 10> kDesignOnly = {
    "DisplayFormat",      "DisplayFormatText",  "DataSource",         "Condition",          "BeforePrintScript",
    "Visible",            "HighlightFontStyle", "HighlightFontColor", "HighlightFillColor", "HighlightCondition",
};

bool DesignOnly(std::string_view key) {
  return std::find(kDesignOnly.begin(), kDesignOnly.end(), key) != kDesignOnly.end();
}

// The page's objects, or its stream as it stands when it is empty or cannot
// be read.
void ObjectsJson(TfrPreparedPage& p, Json& o) {
  TfrPage scratch(p.SheetCode, p.SheetWidth, p.SheetHeight, p.SheetBin, p.SheetOrientation);
  int version = -1;
  std::string damage;
  try {
    version = ReadPreparedObjects(p.ObjectStream, scratch);
  } catch (const Error& e) {
    damage = e.message();
  }
  if (version < 0 || !damage.empty()) {
    o["ObjectStream"] = Base64Encode(p.ObjectStream.Bytes());
    if (!damage.empty()) o["damage"] = json_form::TextJson(damage);
    return;
  }
  o["StreamVersion"] = version;
  Json objects = Json::array();
  for (const auto& view : scratch.ObjectList) {
    Json j = json_form::ViewJson(*view);
    for (auto it = j.begin(); it != j.end();) it = DesignOnly(it.key()) ? j.erase(it) : std::next(it);
    objects.push_back(std::move(j));
  }
  o["objects"] = std::move(objects);
}

Json PageJson(TfrPreparedPage& p) {
  Json o;
  o["SheetCode"] = p.SheetCode;
  o["SheetWidth"] = p.SheetWidth;
  o["SheetHeight"] = p.SheetHeight;
  o["SheetOrientation"] = p.SheetOrientation;
  o["SheetBin"] = p.SheetBin;
  o["KeepMargins"] = p.KeepMargins;
  o["Margins"] = Json::array({p.Margins.Left, p.Margins.Top, p.Margins.Right, p.Margins.Bottom});
  ObjectsJson(p, o);
  return o;
}

// What the file's first bytes say of its form (LoadFromStream has read it).
void HeaderJson(const std::string& bytes, Json& o) {
  const auto at = [&](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0; };
  const int first = at(0);
  const bool versioned = first >= 24 && first <= 31;
  const int compression = at(versioned ? 1 : 0);
  if (compression != 0 && compression != 1 && compression != 255) {
    o["version"] = "legacy";
    return;
  }
  o["version"] = versioned ? first : 0;
  o["compression"] = compression;
}

void PageFromJson(const Json& j, const std::string& path, TfrEMFPages& pages, TfrReport& report) {
  Fields f(j, path);
  TfrPage scratch(0, 0, 0, -1, 0);
  pages.InsertPage(pages.PageCount(), scratch);
  TfrPreparedPage& p = pages.PageAt(pages.PageCount() - 1);
  p.SheetBin = -1;
  p.KeepMargins = true;
  f.Int("SheetCode", p.SheetCode);
  f.Int("SheetWidth", p.SheetWidth);
  f.Int("SheetHeight", p.SheetHeight);
  f.Int("SheetOrientation", p.SheetOrientation);
  f.Int("SheetBin", p.SheetBin);
  f.Bool("KeepMargins", p.KeepMargins);
  if (const Json* m = f.Take("Margins")) {
    const std::string at = f.PathOf("Margins");
    if (!m->is_array() || m->size() != 4) Fail(at, "expected [left, top, right, bottom]");
    std::int32_t* targets[] = {&p.Margins.Left, &p.Margins.Top, &p.Margins.Right, &p.Margins.Bottom};
    for (std::size_t i = 0; i < 4; ++i)
      *targets[i] = Fields::IntOf<std::int32_t>((*m)[i], at + "[" + std::to_string(i) + "]");
  }
  f.Take("StreamVersion");  // what is built is 25
  f.Take("damage");         // the reader's message, for the reader of the dump
  const Json* raw = f.Take("ObjectStream");
  const Json* objects = f.Take("objects");
  if (raw != nullptr && objects != nullptr) Fail(path, "a page has either objects or an ObjectStream");
  if (raw != nullptr) {
    if (!raw->is_string()) Fail(f.PathOf("ObjectStream"), "expected base64 data");
    p.ObjectStream = TfrStream(Base64Decode(raw->get<std::string>()));
  } else if (objects != nullptr) {
    if (!objects->is_array()) Fail(f.PathOf("objects"), "expected an array of objects");
    for (std::size_t i = 0; i < objects->size(); ++i) {
      const Json& o = (*objects)[i];
      const std::string at = f.PathOf("objects") + "[" + std::to_string(i) + "]";
      if (o.is_object())
        for (auto it = o.begin(); it != o.end(); ++it)
          if (DesignOnly(it.key())) Fail(at + "." + it.key(), "not stored on prepared pages");
      json_form::ViewFromJson(o, at, scratch, report);
      TfrView& view = *scratch.ObjectList.back();
      view.OutputText = view.Memo;
      WritePreparedObject(p.ObjectStream, view);
    }
  }
  f.Finish();
}

}  // namespace

std::string DumpPrepared(const std::string& fileBytes) {
  TfrReport report;
  TfrEMFPages pages(&report);
  TfrStream s(fileBytes, TfrStream::Origin::File);
  pages.LoadFromStream(s);

  Json o;
  o["format"] = kFormat;
  HeaderJson(fileBytes, o);
  o["PrinterName"] = json_form::TextJson(report.PrinterName);
  Json list = Json::array();
  for (int i = 0; i < pages.PageCount(); ++i) list.push_back(PageJson(pages.PageAt(i)));
  o["pages"] = std::move(list);
  o["InfoGeneratorVersion"] = report.Info.InfoGeneratorVersion;
  return o.dump(2) + "\n";
}

std::string BuildPrepared(const std::string& json) {
  const Json doc = json_form::ParseJson(json);
  Fields f(doc, "document");
  json_form::TakeFormat(f, kFormat);
  f.Take("version");      // what is built is 25
  f.Take("compression");  // and stored as it is

  TfrReport report;
  EngineState().CurrentReport = &report;
  TfrEMFPages pages(&report);
  std::string printer;
  f.Text("PrinterName", printer);
  std::uint8_t generator = 88;
  f.Int("InfoGeneratorVersion", generator);
  report.Info.InfoGeneratorVersion = generator;
  if (const Json* list = f.Take("pages")) {
    if (!list->is_array()) Fail("document.pages", "expected an array of pages");
    for (std::size_t i = 0; i < list->size(); ++i)
      PageFromJson((*list)[i], "document.pages[" + std::to_string(i) + "]", pages, report);
  }
  f.Finish();

  TfrStream s;
  pages.SaveToStream(s, printer);
  return s.TakeBytes();
}

}  // namespace talven
