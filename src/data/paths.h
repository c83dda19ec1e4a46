// The host program's folder and the photo folder. Paths are GBK texts in
// this platform's form: "/" separates folders and a path is absolute when it
// begins with "/".
#pragma once

#include <string>
#include <string_view>

namespace talven {

// The name of the host program's ini file, in the folder of its executable.
inline constexpr const char kHostIniName[] = "qelvane.ini";

// The folder of the host program's executable, ending in "/": the folder of
// /proc/self/exe (the module runs inside the host's process), unless set.
std::string HostExeDir();
// Sets that folder (for tests and tools); an empty text returns to the
// default.
void SetHostExeDir(std::string_view dir);

bool IsAbsolutePath(std::string_view path);
// The path ending in "/" (an empty path gives "/"). The name is the one the
// module's callers know.
std::string AddTrailingBackslash(std::string_view path);
// An absolute path as it is, else below HostExeDir; ending in "/".
std::string ResolveAgainstExeDir(std::string_view path);

// The photo folder: key "PhotoPath" of section "setting" in the host's ini
// file (default "相片"), resolved against HostExeDir and ending in "/". The
// value read is written back to the file, which is created when missing;
// a file that cannot be written fails with "Unable to write to %s".
std::string GetPhotoPath();

}  // namespace talven
