// Rich-text tests: a QGuiApplication for Qt's fonts, and documents shown as
// readable text — paragraphs with their formatting, runs with theirs.
#pragma once

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>

#include <string>

#include "report/rich/rtf.h"

namespace talven {

inline void EnsureGuiApplication() {
  if (QGuiApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "test_report_rich";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
}

// One line per paragraph: its formatting in brackets when it has any, then
// each run as "text"{formatting}, e.g.
//   [c li720] "ab"{宋体 12 b} "c"{Arial 10 i fg#ff0000 cs0}
// The block's own (paragraph mark) format is shown only for an empty
// paragraph, as "¶{...}".
inline std::string DescribeFormat(const QTextCharFormat& f) {
  std::string s;
  const QStringList families = f.fontFamilies().toStringList();
  s += families.isEmpty() ? std::string("-") : families.first().toStdString();
  s += " " + QString::number(f.fontPointSize()).toStdString();
  if (f.fontWeight() >= 600) s += " b";
  if (f.fontItalic()) s += " i";
  if (f.fontUnderline()) s += " u";
  if (f.fontStrikeOut()) s += " s";
  if (f.hasProperty(QTextFormat::ForegroundBrush)) s += " fg" + f.foreground().color().name().toStdString();
  if (f.hasProperty(QTextFormat::BackgroundBrush)) s += " bg" + f.background().color().name().toStdString();
  const int charset = f.hasProperty(kCharsetProperty) ? f.intProperty(kCharsetProperty) : -1;
  if (charset != 1) s += " cs" + std::to_string(charset);
  return s;
}

inline std::string Describe(const QTextDocument& doc) {
  std::string out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    const QTextBlockFormat bf = b.blockFormat();
    std::string para;
    const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter) para += " c";
    else if (a & Qt::AlignRight) para += " r";
    else if (a & Qt::AlignJustify) para += " j";
    auto twips = [&](const char* name, double v) {
      if (v != 0) para += std::string(" ") + name + QString::number(v).toStdString();
    };
    twips("li", bf.leftMargin());
    twips("ri", bf.rightMargin());
    twips("fi", bf.textIndent());
    twips("sb", bf.topMargin());
    twips("sa", bf.bottomMargin());
    if (bf.lineHeightType() != QTextBlockFormat::SingleHeight)
      para += " sl" + std::to_string(bf.lineHeightType()) + ":" + QString::number(bf.lineHeight()).toStdString();
    for (const auto& tab : bf.tabPositions()) para += " tx" + QString::number(tab.position).toStdString();
    if (!out.empty()) out += "\n";
    if (!para.empty()) out += "[" + para.substr(1) + "] ";
    bool any = false;
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      if (!f.isValid()) continue;
      if (any) out += " ";
      QString text = f.text();
      text.replace(QChar(QChar::LineSeparator), QStringLiteral("⏎")).replace(QLatin1Char('\t'), QStringLiteral("→"));
      out += "\"" + text.toStdString() + "\"{" + DescribeFormat(f.charFormat()) + "}";
      any = true;
    }
    if (!any) out += "¶{" + DescribeFormat(b.charFormat()) + "}";
  }
  return out;
}

inline std::string DescribeRtf(std::string_view rtf) {
  QTextDocument doc;
  ReadRtf(rtf, doc);
  return Describe(doc);
}

// The text of a document, paragraphs joined with "|".
inline std::string PlainText(const QTextDocument& doc) {
  std::string out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    if (b != doc.begin()) out += "|";
    out += b.text().toStdString();
  }
  return out;
}

}  // namespace talven
