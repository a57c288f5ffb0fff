// SHA-256 of a byte string, for the digest that tidemark-pack prints: the
// number an author compares with what a download page or a signing log shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tidemark::pack {

std::array<std::uint8_t, 32> Sha256(std::string_view bytes);

// The digest as 64 lower-case hexadecimal digits, as sha256sum prints it.
std::string Sha256Hex(std::string_view bytes);

}  // namespace tidemark::pack
