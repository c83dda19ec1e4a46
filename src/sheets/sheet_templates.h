// The two sign-in sheet templates: their file names in the installation's
// 报表 folder, and their sources (the JSON text form of templates/), compiled
// in so that the program can write them into any installation.
#pragma once

#include <string>

namespace talven {

// "笔试考场清单打印.frf", or "笔试考场清单打印(相片).frf" for the photo sheet
// (GBK).
const std::string& SheetTemplateFileName(bool withPhotos);
// The full name of the template the print action loads: the host program's
// folder, "报表/" and the file name (GBK).
std::string SheetTemplatePath(bool withPhotos);
// The template's JSON source (UTF-8).
const std::string& SheetTemplateJson(bool withPhotos);
// Builds both templates into the folder's 报表 subfolder (created when
// missing); fails with the file's name when one cannot be written. The
// folder is a GBK path.
void WriteSheetTemplates(const std::string& folder);

}  // namespace talven
