// A template page written as a picture or a PDF page through the Qt canvas
// (talven template render). Needs a QGuiApplication.
#pragma once

#include <string>

namespace talven {

class TfrPage;

// A PNG picture of the page: `scale` pixels to the report unit, on white.
void WriteTemplatePagePng(TfrPage& page, const std::string& path, double scale);
// A one-page PDF file of the page's paper size; fonts embedded, text
// selectable.
void WriteTemplatePagePdf(TfrPage& page, const std::string& path, const std::string& title);

}  // namespace talven
