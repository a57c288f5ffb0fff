// The application title: the caption of the taskbar button, of message boxes
// and of the error report. The program never sets one, so it comes from the
// executable's file name.
#pragma once

#include <string>
#include <string_view>

namespace tidemark {

// The file name without its folder, cut at its first dot, the first
// character kept and the rest in lower case ("ABC.EXE" gives "Abc"). A
// character is a code page 949 character: "제거Tool.EXE" gives "제거tool".
std::string ApplicationTitleFromPath(std::string_view executablePath);

// The full path of this process's executable. Windows builds only.
std::string ExecutablePath();

// The title of this process's executable. Windows builds only.
std::string ApplicationTitle();

}  // namespace tidemark
