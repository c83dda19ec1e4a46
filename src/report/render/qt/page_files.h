// A template page written as a picture through the Qt canvas (talven
// template render; its PDF goes through report/render/cairo). Needs a
// QGuiApplication.
#pragma once

#include <string>

namespace talven {

class TfrPage;

// A PNG picture of the page: `scale` pixels to the report unit, on white.
void WriteTemplatePagePng(TfrPage& page, const std::string& path, double scale);

}  // namespace talven
