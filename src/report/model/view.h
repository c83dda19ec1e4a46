// TfrView: every report object on a template page or a prepared page, with
// the fields, defaults and flag bits they all share; TfrControl and
// TfrStretcheable, the two abstract branches of the class tree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "report/model/object.h"
#include "report/model/prepare_state.h"
#include "report/model/stream.h"

namespace talven {

class TfrBand;
class ReportDataSet;

// Windows colour values (0x00BBGGRR) as signed 32-bit integers.
using TColor = std::int32_t;
constexpr TColor clNone = 0x1FFFFFFF;  // no colour: a transparent fill
constexpr TColor clBlack = 0;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000F);

// Object type codes of the factory and the template file.
enum TfrTypeCode : std::uint8_t {
  gtMemo = 0,
  gtPicture = 1,
  gtBand = 2,
  gtSubReport = 3,
  gtLine = 4,
  gtAddIn = 10,  // a registered add-in class, identified by its class name
};

// Alignment inside the band.
enum TfrBandAlign : std::uint8_t { baNone, baLeft, baRight, baCenter, baWidth, baBottom, baTop, baRest };

// FrameTyp bits and FrameStyle values.
constexpr std::uint16_t frbRight = 1, frbBottom = 2, frbLeft = 4, frbTop = 8;
enum TfrFrameStyle : std::uint16_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psDouble };

// Common Flags bits; the others are per class.
constexpr std::uint16_t flStretched = 0x0001;
constexpr std::uint16_t flHookObject = 0x8000;  // notified after every printed memo

// Object data in template form or in the printing form of prepared pages.
enum TfrStorageMode : std::uint8_t { smDesign = 0, smPrinting = 1 };

struct TfrRect {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TfrRect&) const = default;
};

class TfrView : public TfrObject {
 public:
  TfrView();
  // An object that goes leaves the engine's state (current object, hook
  // objects) too.
  ~TfrView() override;

  // The class name as the add-in registry and the template file know it.
  virtual const char* ClassName() const { return "TfrView"; }

  std::string NameStem = "View";
  TfrStrings OutputText;
  std::uint8_t StorageMode = smDesign;
  std::string Name;
  std::uint8_t TypeCode = gtAddIn;
  std::uint8_t BaseRevision = 0;
  std::uint8_t ClassRevision = 0;
  std::int32_t ObjectId = 0;
  double DrawScaleX = 1.0, DrawScaleY = 1.0;
  std::int32_t DrawOffsetX = 0, DrawOffsetY = 0;
  std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  std::uint16_t Flags = flStretched;
  std::uint16_t FrameTyp = 0;
  float FrameWidth = 1.0f;
  TColor FrameColor = clBlack;
  std::uint16_t FrameStyle = psSolid;
  TColor FillColor = clNone;
  std::int32_t DisplayFormat;  // 0x200 + the code of the decimal separator
  std::string DisplayFormatText;
  bool Visible = true;
  std::int32_t GapX = 2, GapY = 1;
  std::uint16_t Restrictions = 0;
  std::string Tag;
  TfrStrings Memo;
  TfrStrings BeforePrintScript;
  std::uint8_t BandAlign = baNone;
  TfrBand* ParentBand = nullptr;

  // Run-time fields of a preparation or of drawing: the compiled script, the
  // data field the object is bound to, and whether it is drawn for printing.
  TfrStrings ScriptCode;
  ReportDataSet* BoundDataSet = nullptr;
  std::string BoundField;
  bool Printing = false;

  // Drawing state (never stored): the device rectangle inside the frame
  // lines, and the geometry that BeginPaint scaled and EndPaint puts back,
  // with the scaled right and bottom edges.
  struct PaintState {
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    float FrameWidth = 1.0f;
    std::int32_t GapX = 0, GapY = 0;
    std::int32_t Right = 0, Bottom = 0;
  };
  TfrRect DrawRect;
  PaintState Kept;

  bool Stretched() const { return (Flags & flStretched) != 0; }
  void SetFlag(std::uint16_t bit, bool on) { Flags = on ? (Flags | bit) : (Flags & ~bit); }

  void SetPropertyValue(std::string_view name, const Variant& value) override;
  Variant GetPropertyValue(std::string_view name) override;
  Variant CallMethod(std::string_view name, const Variant& p1, const Variant& p2, const Variant& p3) override;

  // The object's record of the template format, in design or printing form
  // by StorageMode; reading follows EngineState().StreamVersion.
  virtual void ReadFromStream(TfrStream& s);
  virtual void WriteToStream(TfrStream& s);

  // Loads the object's content from a database field's bytes.
  virtual void LoadBlob(std::string_view) {}
  // Called on hook objects after every printed memo.
  virtual void NotifyPrinted(TfrView&) {}
  // Called for every object once a whole template has been read.
  virtual void AfterTemplateLoad() {}

  // The object's rectangle grown by the halves of the frame lines it has;
  // widened by 10 units on every side when asked.
  virtual TfrRect GetClipRegion(bool widened) const;

 protected:
  // The common properties; band and subreport objects register fewer.
  void RegisterProperties() override;
  // "Name", "Left", "Top", "Width", "Height".
  void RegisterGeometry();
  // What band and subreport objects register: the geometry, "Flags",
  // "Visible", "Memo", "Memo.Count", "Restrictions".
  void RegisterShortList();
};

// The frame width code of the object record: a whole width as its integer
// value, any other as round(width × 1000); a code of 10 or less is read as
// whole units.
std::int32_t FrameWidthCode(float width);
float FrameWidthFromCode(std::int32_t code);

// The base of window controls on dialog pages. No control class exists
// here; dialog pages are carried as data.
class TfrControl : public TfrView {
 public:
  const char* ClassName() const override { return "TfrControl"; }

 protected:
  void RegisterProperties() override;
};

// An object whose height can follow its content.
class TfrStretcheable : public TfrView {
 public:
  // Run-time: 0 not evaluated yet, 1 a memo's text evaluated while it was
  // measured, 2 the object is being printed as a continued part of a split
  // band.
  int EvalState = 0;

  // The height the whole content needs, the height of the smallest part that
  // can stand on a page, and the height of what is left after a split.
  virtual std::int32_t ContentHeight() = 0;
  virtual std::int32_t MinimumHeight() = 0;
  virtual std::int32_t RemainingHeight() = 0;

  // "CALCHEIGHT" gives ContentHeight.
  Variant CallMethod(std::string_view name, const Variant& p1, const Variant& p2, const Variant& p3) override;

 protected:
  // Through the layout hook; without it the design height.
  std::int32_t HookedHeight(TfrHeightKind kind);
};

}  // namespace talven
