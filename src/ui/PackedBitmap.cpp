#include "ui/PackedBitmap.h"

#include "system/ModuleParts.h"
#include "ui/PackedBitmapHeader.h"

namespace tidemark {

namespace {

using RtlDecompressBufferFunction = LONG(NTAPI*)(USHORT format, PUCHAR unpacked, ULONG unpackedSize, PUCHAR packed,
                                                 ULONG packedSize, PULONG finalSize);

// ntdll is in every process from its start, and has exported
// RtlDecompressBuffer since NT 3.51; it is looked up rather than imported,
// as the import libraries declare no import of it for user programs.
RtlDecompressBufferFunction Decompressor() {
  static const RtlDecompressBufferFunction decompress =
      NtdllFunction<RtlDecompressBufferFunction>("RtlDecompressBuffer");
  return decompress;
}

UniqueBitmap CreateBottomUpDib(const PackedBitmapLayout& layout, void** bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(layout.width);
  info.bmiHeader.biHeight = static_cast<LONG>(layout.height);  // positive: the bottom row first, as packed
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = layout.bitCount;
  info.bmiHeader.biCompression = BI_RGB;
  // With DIB_RGB_COLORS the device context is not used.
  return UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

}  // namespace

UniqueBitmap UnpackBitmap(std::string_view packed) {
  const auto layout = ReadPackedBitmapHeader(packed);
  const RtlDecompressBufferFunction decompress = Decompressor();
  if (!layout || !decompress) return {};
  void* bits = nullptr;
  UniqueBitmap bitmap = CreateBottomUpDib(*layout, &bits);
  if (!bitmap || bits == nullptr) return {};
  // The unpacking writes no more than the size it is given, which is exactly
  // the DIB section's pixel rows; it only reads the packed bytes.
  ULONG unpacked = 0;
  const LONG status = decompress(COMPRESSION_FORMAT_LZNT1, static_cast<PUCHAR>(bits), layout->unpackedSize,
                                 reinterpret_cast<PUCHAR>(const_cast<char*>(layout->stream.data())),
                                 static_cast<ULONG>(layout->stream.size()), &unpacked);
  // An NTSTATUS: failures are negative. A short stream unpacks successfully
  // to fewer bytes, which would leave part of the picture blank.
  if (status < 0 || unpacked != layout->unpackedSize) return {};
  return bitmap;
}

UniqueBitmap LoadPackedBitmap(HMODULE module, const char* name) {
  const std::optional<std::string_view> packed = RcdataResource(module, name);
  if (!packed) return {};
  return UnpackBitmap(*packed);
}

}  // namespace tidemark
