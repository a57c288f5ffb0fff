#include "system/ErrorText.h"

namespace tidemark {

std::string SystemErrorText(DWORD code) {
  char buffer[1024] = {};
  DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                     nullptr, code, 0, buffer, sizeof buffer, nullptr);
  while (length > 0 && (static_cast<unsigned char>(buffer[length - 1]) <= ' ' || buffer[length - 1] == '.')) {
    --length;
  }
  return std::string(buffer, length);
}

}  // namespace tidemark
