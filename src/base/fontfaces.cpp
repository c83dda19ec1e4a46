#include "base/fontfaces.h"

#include "base/text.h"

namespace talven {

const std::vector<FontFace>& FontFaces() {
  static const std::vector<FontFace> faces = {
      {"宋体", "AR PL UMing CN"},
      {"SimSun", "AR PL UMing CN"},
      {"新宋体", "AR PL UMing CN"},
      {"NSimSun", "AR PL UMing CN"},
      {"仿宋", "AR PL UMing CN"},
      {"仿宋_GB2312", "AR PL UMing CN"},
      {"FangSong", "AR PL UMing CN"},
      {"楷体", "AR PL UMing CN"},
      {"楷体_GB2312", "AR PL UMing CN"},
      {"KaiTi", "AR PL UMing CN"},
      {"黑体", "WenQuanYi Zen Hei"},
      {"SimHei", "WenQuanYi Zen Hei"},
      {"微软雅黑", "WenQuanYi Zen Hei"},
      {"Microsoft YaHei", "WenQuanYi Zen Hei"},
      {"Arial", "Liberation Sans"},
      {"Tahoma", "Liberation Sans"},
      {"Verdana", "Liberation Sans"},
      {"MS Sans Serif", "Liberation Sans"},
      {"Times New Roman", "Liberation Serif"},
      {"Courier New", "Liberation Mono"},
      {"Courier", "Liberation Mono"},
  };
  return faces;
}

std::string InstalledFaceFor(std::string_view family) {
  for (const FontFace& f : FontFaces())
    if (SameText(f.family, family)) return f.installed;
  return std::string(family);
}

}  // namespace talven
