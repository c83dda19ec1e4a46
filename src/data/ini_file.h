// A small reader and writer of ini files in the manner of the host's private
// profiles: sections in [brackets], key=value lines, names compared without
// regard to ASCII letter case, blanks around names and values (and one pair
// of enclosing double quotes) dropped. Every read and write goes to the file
// itself, as the host's own calls do.
//
// Encoding: a file whose bytes are valid UTF-8 with some non-ASCII text is
// read as UTF-8; any other file as GBK. A write keeps the file's encoding, its
// other lines and its line ends; a new file is written in UTF-8. Texts and
// the file name are GBK.
#pragma once

#include <string>
#include <string_view>

namespace talven {

class IniFile {
 public:
  explicit IniFile(std::string fileName) : fileName_(std::move(fileName)) {}
  const std::string& FileName() const { return fileName_; }

  // The value, or fallback when the file, the section or the key is missing.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;

  // Replaces the key's value, or adds the key (and its section). The file is
  // written whole to a new file beside it that then takes its place, so a
  // failed write loses nothing. Fails with "Unable to write to %s" (the full
  // name) when the file or its folder cannot be written.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

 private:
  std::string fileName_;
};

}  // namespace talven
