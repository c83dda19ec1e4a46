// TfrPictureView: a picture object.
#pragma once

#include <cstdint>

#include "report/model/graphic.h"
#include "report/model/view.h"

namespace talven {

// Picture Flags bits (default Stretched + KeepAspect).
constexpr std::uint16_t flPictCenter = 0x02, flPictRatio = 0x04;

// The graphic kind expected from a database field.
enum TfrBlobType : std::uint8_t { btBMP = 0, btJPG = 1, btICO = 2, btWMF = 3 };

class TfrPictureView : public TfrView {
 public:
  // The first picture object puts "btBMP" … "btWMF" into the engine's
  // constant list.
  TfrPictureView();
  const char* ClassName() const override { return "TfrPictureView"; }

  TfrGraphic Picture;
  std::uint8_t BlobType = btBMP;

  // "Picture": reading gives the graphic kind's name ("" when empty);
  // writing a file name loads that file.
  void SetPropertyValue(std::string_view name, const Variant& value) override;
  Variant GetPropertyValue(std::string_view name) override;
  // "LOADFROMFILE" (argument: an expression giving the file name): loads the
  // file when it exists, else empties the picture; never fails for a
  // missing file.
  Variant CallMethod(std::string_view name, const Variant& p1, const Variant& p2, const Variant& p3) override;

  void ReadFromStream(TfrStream& s) override;
  void WriteToStream(TfrStream& s) override;
  // The field's bytes, as the graphic kind BlobType names.
  void LoadBlob(std::string_view data) override;

 protected:
  void RegisterProperties() override;
};

}  // namespace talven
