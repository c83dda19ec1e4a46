#include "sheets/sheet_templates.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "base/error.h"
#include "base/text.h"
#include "data/paths.h"
#include "report/template/text_form.h"

namespace talven {

namespace sheet_templates {
extern const std::string kPlainJson;
extern const std::string kPhotoJson;
}  // namespace sheet_templates

namespace {

// Written beside its name and renamed into place, so that an installation
// never holds half a template.
void WriteWholeFile(const std::string& gbkPath, const std::string& bytes) {
  const std::string path = GbkToUtf8(gbkPath);
  const std::string part = path + ".part";
  std::FILE* file = std::fopen(part.c_str(), "wb");
  bool ok = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file != nullptr && std::fclose(file) != 0) ok = false;
  if (ok && std::rename(part.c_str(), path.c_str()) == 0) return;
  const std::string reason = std::strerror(errno);
  std::remove(part.c_str());
  throw Error("Cannot write " + gbkPath + ": " + Utf8ToGbk(reason));
}

}  // namespace

const std::string& SheetTemplateFileName(bool withPhotos) {
  static const std::string plain = "笔试考场清单打印.frf"_gbk;
  static const std::string photos = "笔试考场清单打印(相片).frf"_gbk;
  return withPhotos ? photos : plain;
}

std::string SheetTemplatePath(bool withPhotos) {
  return HostExeDir() + "报表/"_gbk + SheetTemplateFileName(withPhotos);
}

const std::string& SheetTemplateJson(bool withPhotos) {
  return withPhotos ? sheet_templates::kPhotoJson : sheet_templates::kPlainJson;
}

void WriteSheetTemplates(const std::string& folder) {
  const std::string dir = AddTrailingBackslash(folder) + "报表"_gbk;
  if (::mkdir(GbkToUtf8(dir).c_str(), 0777) != 0 && errno != EEXIST)
    throw Error("Cannot create the folder " + dir + ": " + Utf8ToGbk(std::strerror(errno)));
  for (bool withPhotos : {false, true})
    WriteWholeFile(dir + "/" + SheetTemplateFileName(withPhotos), BuildTemplate(SheetTemplateJson(withPhotos)));
}

}  // namespace talven
