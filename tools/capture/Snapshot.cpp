#include "capture/Snapshot.h"

#include "engine/RegistryEntries.h"
#include "system/Cp949Text.h"

namespace tidemark::capture {

namespace {

bool EndsWithKey(const std::string& upperPath, const std::string& upperKey) {
  return upperPath.size() >= upperKey.size() &&
         upperPath.compare(upperPath.size() - upperKey.size(), upperKey.size(), upperKey) == 0 &&
         (upperPath.size() == upperKey.size() || upperPath[upperPath.size() - upperKey.size() - 1] == '\\');
}

// The program's key path without its leading "Software\" and trailing "\",
// in upper case: its 32-bit twin below "Software\WOW6432Node" ends the same.
std::string BelowSoftware(std::string_view keyPath) {
  constexpr std::string_view kSoftware = "Software\\";
  std::string_view below = keyPath.substr(kSoftware.size());
  while (!below.empty() && below.back() == '\\') below.remove_suffix(1);
  return ToUpperAsciiCp949(below);
}

}  // namespace

bool KeepsValueText(const std::string& keyPath) {
  static const std::string run = BelowSoftware(kRunKeyPath);
  static const std::string uninstall = BelowSoftware(kUninstallKeyPath);
  const std::string upper = ToUpperAsciiCp949(keyPath);
  if (EndsWithKey(upper, run)) return true;
  // A direct subkey of an Uninstall key.
  const std::size_t lastSeparator = upper.rfind('\\');
  if (lastSeparator == std::string::npos) return false;
  return EndsWithKey(upper.substr(0, lastSeparator), uninstall);
}

std::string ParentOf(const std::string& path) {
  const std::size_t separator = path.rfind('\\');
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string LastComponent(const std::string& path) {
  const std::size_t separator = path.rfind('\\');
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::uint64_t HashValueData(std::uint32_t type, const unsigned char* data, std::size_t size) {
  std::uint64_t hash = 14695981039346656037ULL;
  const auto mix = [&hash](unsigned char byte) {
    hash ^= byte;
    hash *= 1099511628211ULL;
  };
  for (int shift = 0; shift < 32; shift += 8) mix(static_cast<unsigned char>(type >> shift));
  for (std::size_t i = 0; i < size; ++i) mix(data[i]);
  return hash;
}

}  // namespace tidemark::capture
