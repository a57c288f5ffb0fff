// Names that Windows hands back through its wide functions, and whether the
// ANSI (code page 949) form of such a name still names the same thing.
//
// The ANSI functions turn a character that the code page lacks into a "best
// fit" look-alike: U+20A9 WON SIGN becomes 0x5C, a backslash, so a file
// "..<won>x.txt" is listed by FindFirstFileA as "..\x.txt" and a subkey
// "a<won>b" by RegEnumKeyExA as "a\b". Joined to its folder or key, such a
// name is a path to somewhere else. Enumerations therefore list wide names,
// and use the ANSI form as a path only when it converts back exactly.
#pragma once

#include <string>

namespace tidemark {

// The wide form of ANSI text, converted as the ANSI functions convert it.
std::wstring WideFromAnsi(const std::string& text);

// The ANSI form of a wide name, as the ANSI functions would hand it back
// (best fit included): for showing a name, never for reaching it unless
// IsExactAnsiName says so.
std::string AnsiFromWide(const std::wstring& name);

// True when the ANSI form of the name converts back to exactly the same wide
// name: no best-fit look-alike and no "?" for a character the code page
// lacks. The empty name (a key's default value) converts exactly.
bool ConvertsExactly(const std::wstring& name);

// True when the name converts exactly and holds no "\", "/" or ":", so that
// joining it to its folder or key reaches this entry and nothing else.
bool IsExactAnsiName(const std::wstring& name);

}  // namespace tidemark
