// The engine constant list: the fixed names that expressions and scripts can
// use (dialog results, font-style, frame, alignment, band-align and pen-style
// codes, message-box styles, and the 42 colour names).
#include "base/ui.h"
#include "report/model/variables.h"

namespace talven {
namespace {

struct NamedInt {
  const char* name;
  std::int64_t value;
};

// Windows colour values (0x00BBGGRR); the system colours are 0xFF0000xx and
// are kept as 32-bit signed integers, so they are negative.
constexpr NamedInt kColours[] = {
    {"clWhite", 0xFFFFFF},
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clTransparent", 0x1FFFFFFF},
    {"clScrollBar", 0xFF000000},
    {"clBackground", 0xFF000001},
    {"clActiveCaption", 0xFF000002},
    {"clInactiveCaption", 0xFF000003},
    {"clMenu", 0xFF000004},
    {"clWindow", 0xFF000005},
    {"clWindowFrame", 0xFF000006},
    {"clMenuText", 0xFF000007},
    {"clWindowText", 0xFF000008},
    {"clCaptionText", 0xFF000009},
    {"clActiveBorder", 0xFF00000A},
    {"clInactiveBorder", 0xFF00000B},
    {"clAppWorkSpace", 0xFF00000C},
    {"clHighlight", 0xFF00000D},
    {"clHighlightText", 0xFF00000E},
    {"clBtnFace", 0xFF00000F},
    {"clBtnShadow", 0xFF000010},
    {"clGrayText", 0xFF000011},
    {"clBtnText", 0xFF000012},
    {"clInactiveCaptionText", 0xFF000013},
    {"clBtnHighlight", 0xFF000014},
    {"cl3DDkShadow", 0xFF000015},
    {"cl3DLight", 0xFF000016},
    {"clInfoText", 0xFF000017},
    {"clInfoBk", 0xFF000018},
};

constexpr NamedInt kCodes[] = {
    {"mrNone", 0},
    {"mrOk", 1},
    {"mrCancel", 2},
    {"mrYes", 6},
    {"mrNo", 7},
    {"fsBold", 2},
    {"fsItalic", 1},
    {"fsUnderline", 4},
    {"fsStrikeOut", 8},
    {"frftNone", 0},
    {"frftRight", 1},
    {"frftBottom", 2},
    {"frftLeft", 4},
    {"frftTop", 8},
    {"frtaLeft", 0},
    {"frtaRight", 1},
    {"frtaCenter", 2},
    {"frtaVertical", 4},
    {"frtaMiddle", 8},
    {"frtaDown", 16},
    {"baNone", 0},
    {"baLeft", 1},
    {"baRight", 2},
    {"baCenter", 3},
    {"baWidth", 4},
    {"baBottom", 5},
    {"baTop", 6},
    {"baRest", 7},
    {"psSolid", 0},
    {"psDash", 1},
    {"psDot", 2},
    {"psDashDot", 3},
    {"psDashDotDot", 4},
    {"psDouble", 5},
    {"mb_Ok", MB_OK},
    {"mb_OkCancel", MB_OKCANCEL},
    {"mb_YesNo", MB_YESNO},
    {"mb_YesNoCancel", MB_YESNOCANCEL},
    {"mb_IconError", MB_ICONERROR},
    {"mb_IconQuestion", MB_ICONQUESTION},
    {"mb_IconInformation", MB_ICONINFORMATION},
    {"mb_IconWarning", MB_ICONWARNING},
};

}  // namespace

TfrVariables& EngineConstants() {
  static TfrVariables list = [] {
    TfrVariables l;
    l.SetSorted(true);
    for (const NamedInt& c : kColours) l.Set(c.name, static_cast<std::int64_t>(static_cast<std::int32_t>(c.value)));
    for (const NamedInt& c : kCodes) l.Set(c.name, c.value);
    l.Set("CRLF", "\r\n");
    l.Set("Null", Variant::Null());
    return l;
  }();
  return list;
}

}  // namespace talven
