#include "report/model/picture_view.h"

#include "base/text.h"
#include "report/model/property_names.h"
#include "report/model/variables.h"

namespace talven {

namespace {

using props::Is;

TfrGraphicKind KindOfBlobType(std::uint8_t blobType) {
  switch (blobType) {
    case btJPG: return TfrGraphicKind::Jpeg;
    case btICO: return TfrGraphicKind::Icon;
    case btWMF: return TfrGraphicKind::Metafile;
    default: return TfrGraphicKind::Bitmap;
  }
}

}  // namespace

TfrPictureView::TfrPictureView() {
  NameStem = "Picture";
  TypeCode = gtPicture;
  Flags = flStretched | flPictRatio;
  static const bool constantsRegistered = [] {
    TfrVariables& c = EngineConstants();
    c.Set("btBMP", static_cast<int>(btBMP));
    c.Set("btJPG", static_cast<int>(btJPG));
    c.Set("btICO", static_cast<int>(btICO));
    c.Set("btWMF", static_cast<int>(btWMF));
    return true;
  }();
  (void)constantsRegistered;
}

void TfrPictureView::SetPropertyValue(std::string_view name, const Variant& value) {
  if (Is(name, "Picture")) {
    std::string file = value.AsText();
    Picture = file.empty() ? TfrGraphic() : TfrGraphic::LoadFromFile(file);
  } else if (Is(name, "Center")) {
    SetFlag(flPictCenter, value.AsBoolean());
  } else if (Is(name, "KeepAspect")) {
    SetFlag(flPictRatio, value.AsBoolean());
  } else if (Is(name, "BlobType")) {
    BlobType = static_cast<std::uint8_t>(value.AsInteger());
  } else {
    TfrView::SetPropertyValue(name, value);
  }
}

Variant TfrPictureView::GetPropertyValue(std::string_view name) {
  if (Is(name, "Picture")) return Picture.Empty() ? std::string() : std::string(GraphicKindName(Picture.Kind()));
  if (Is(name, "Center")) return (Flags & flPictCenter) != 0;
  if (Is(name, "KeepAspect")) return (Flags & flPictRatio) != 0;
  if (Is(name, "BlobType")) return static_cast<int>(BlobType);
  return TfrView::GetPropertyValue(name);
}

Variant TfrPictureView::CallMethod(std::string_view name, const Variant& p1, const Variant& p2, const Variant& p3) {
  if (Is(name, "LOADFROMFILE")) {
    std::string file = EvaluateArgument(p1).AsText();
    Picture = !file.empty() && FileExists(file) ? TfrGraphic::LoadFromFile(file) : TfrGraphic();
    return {};
  }
  return TfrView::CallMethod(name, p1, p2, p3);
}

void TfrPictureView::RegisterProperties() {
  TfrView::RegisterProperties();
  AddProperty("Picture", TfrPropKind::Picture);
  AddProperty("Center", TfrPropKind::Boolean);
  AddProperty("KeepAspect", TfrPropKind::Boolean);
  AddEnumProperty("BlobType", {"btBMP", "btJPG", "btICO", "btWMF"}, {0, 1, 2, 3});
}

void TfrPictureView::ReadFromStream(TfrStream& s) {
  TfrView::ReadFromStream(s);
  std::uint8_t kind = s.ReadU8();
  if (BaseRevision * 10 + ClassRevision > 10) BlobType = s.ReadU8();
  std::size_t end = ReadEndPosition(s);
  Picture = kind >= 1 && kind <= 4 ? TfrGraphic::EmptyOf(static_cast<TfrGraphicKind>(kind)) : TfrGraphic();
  try {
    if (kind >= 1 && kind <= 4)
      Picture = TfrGraphic::FromBytes(static_cast<TfrGraphicKind>(kind), s.ReadBytes(end - s.Position()));
  } catch (...) {
    s.Seek(end);
    throw;
  }
  s.Seek(end);
}

void TfrPictureView::WriteToStream(TfrStream& s) {
  TfrView::WriteToStream(s);
  s.WriteU8(static_cast<std::uint8_t>(Picture.Kind()));
  s.WriteU8(BlobType);
  std::size_t placeholder = s.Position();
  s.WriteI32(0);
  s.WriteBytes(Picture.Bytes());
  s.PatchI32(placeholder, static_cast<std::int32_t>(s.Position()));
}

void TfrPictureView::LoadBlob(std::string_view data) {
  Picture = TfrGraphic::FromBytes(KindOfBlobType(BlobType), std::string(data));
}

}  // namespace talven
