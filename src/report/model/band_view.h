// TfrBandView: the marker of a band on a template page. Its area gives the
// band's place; the band kind travels in FrameTyp and the data source (or a
// group header's condition) in DisplayFormatText.
#pragma once

#include <cstdint>
#include <string>

#include "report/model/view.h"

namespace talven {

enum TfrBandKind : std::uint16_t {
  btReportTitle = 0,
  btReportSummary = 1,
  btPageHeader = 2,
  btPageFooter = 3,
  btMasterHeader = 4,
  btMasterData = 5,
  btMasterFooter = 6,
  btDetailHeader = 7,
  btDetailData = 8,
  btDetailFooter = 9,
  btSubDetailHeader = 10,
  btSubDetailData = 11,
  btSubDetailFooter = 12,
  btOverlay = 13,
  btColumnHeader = 14,
  btColumnFooter = 15,
  btGroupHeader = 16,
  btGroupFooter = 17,
  btCrossHeader = 18,
  btCrossData = 19,
  btCrossFooter = 20,
  btChild = 21,
  btNone = 22,
};
constexpr int kBandKindCount = 23;

// The engine's display name of a band kind ("页头" …, GBK); empty for a
// number that is no kind.
const std::string& BandKindName(int kind);
// Kinds 18 to 20 span the page height and have a horizontal position.
constexpr bool IsVerticalBand(int kind) { return kind >= btCrossHeader && kind <= btCrossFooter; }

// Band Flags bits (default OnFirstPage + OnLastPage).
constexpr std::uint16_t flBandFormNewPage = 0x02, flBandPrintIfSubsetEmpty = 0x04, flBandBreaked = 0x08,
                        flBandOnFirstPage = 0x10, flBandOnLastPage = 0x20, flBandRepeatHeader = 0x40,
                        flBandPrintChildIfInvisible = 0x80;

class TfrBandView : public TfrView {
 public:
  TfrBandView();
  const char* ClassName() const override { return "TfrBandView"; }

  std::uint16_t BandType() const { return FrameTyp; }
  void SetBandType(std::uint16_t kind) { FrameTyp = kind; }
  // The data source of a data band (a dataset name or a record count) or
  // the condition of a group header.
  const std::string& DataSource() const { return DisplayFormatText; }

  std::string ChildBand;
  std::string Master;
  std::int32_t Columns = 1;
  std::int32_t ColumnWidth = 200;
  std::int32_t ColumnGap = 20;
  std::int32_t NewColumnAfter = 1;

  // The run-time band built from this object while a report is prepared.
  TfrBand* RuntimeBand = nullptr;

  // While a run-time band exists, "Left", "Top", "Width", "Height",
  // "Visible", "Breaked", "Condition" and "DataSource" change it too.
  void SetPropertyValue(std::string_view name, const Variant& value) override;
  Variant GetPropertyValue(std::string_view name) override;
  // "FIRST", "NEXT", "PRIOR" move the run-time band's dataset.
  Variant CallMethod(std::string_view name, const Variant& p1, const Variant& p2, const Variant& p3) override;

  void ReadFromStream(TfrStream& s) override;
  void WriteToStream(TfrStream& s) override;

 protected:
  void RegisterProperties() override;

 private:
  void SetOwnProperty(std::string_view name, const Variant& value);
};

}  // namespace talven
