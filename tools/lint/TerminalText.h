// Script text as the terminal shows it: the findings quote code page 949
// bytes, which a UTF-8 terminal prints as noise.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tidemark::lint {

enum class OutputEncoding { Cp949, Utf8 };

// The encoding of a locale as the C library chooses it: the first of LC_ALL,
// LC_CTYPE and LANG that is set and not empty decides; UTF-8 when it names
// "UTF-8" or "utf8" (case ignored), code page 949 (the bytes as they are)
// otherwise. Null pointers stand for unset variables.
OutputEncoding LocaleEncoding(const char* lcAll, const char* lcCtype, const char* lang);

// The value of --encoding: "utf-8", "cp949" or "auto" (nullopt stands for
// auto); false for anything else.
bool ParseEncodingOption(std::string_view value, std::optional<OutputEncoding>& encoding);

// Code page 949 text as UTF-8. ASCII stays as it is; every byte that is not
// part of a code page 949 character (a lone lead byte, 0x80, 0xFF, a pair
// that the code page leaves unassigned) becomes the four characters "\xNN".
std::string Cp949ToUtf8(std::string_view text);

// The text in the chosen encoding.
std::string ForTerminal(std::string_view cp949Text, OutputEncoding encoding);

}  // namespace tidemark::lint
