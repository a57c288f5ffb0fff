#include "system/Services.h"

#include <windows.h>

#include <exception>

#include "system/ApplicationTitle.h"
#include "system/PeExports.h"
#include "system/UniqueHandle.h"
#include "system/Waits.h"

namespace tidemark {

namespace {

constexpr std::uint16_t kThisMachine = sizeof(void*) == 8 ? kMachineAmd64 : kMachineI386;

// A DLL larger than this is not a COM server worth reading whole.
constexpr DWORD kLargestModule = 256u << 20;

bool ReadModuleFile(const std::string& path, std::string& bytes) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestModule) return false;
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  return ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
}

}  // namespace

bool StopServiceByName(const std::string& serviceName) { return ShellRunAndWait("sc", "stop \"" + serviceName + "\""); }

bool DeleteServiceByName(const std::string& serviceName) {
  return ShellRunAndWait("sc", "delete \"" + serviceName + "\"");
}

std::string RegisterComServerParameters(const std::string& path, bool doRegister) {
  const std::string file = path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
  return (doRegister ? "/s " : "/s /u ") + file;
}

bool RegisterComServer(const std::string& path, bool doRegister) {
  try {
    std::string image;
    if (!ReadModuleFile(path, image)) return false;
    if (!PeImageExports(image, kThisMachine, "DllRegisterServer")) return false;
    return ShellRunAndWait("regsvr32", RegisterComServerParameters(path, doRegister));
  } catch (const std::exception&) {
    const std::string text = "Unable to register " + path;
    MessageBoxA(nullptr, text.c_str(), ApplicationTitle().c_str(), MB_OK);
    return false;
  }
}

}  // namespace tidemark
