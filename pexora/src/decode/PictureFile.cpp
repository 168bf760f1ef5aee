#include "decode/PictureFile.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/Limits.h"
#include "core/StatusError.h"
#include "decode/BmpDecoder.h"
#include "decode/DecodeChecks.h"
#include "decode/GifDecoder.h"
#include "decode/JpegDecoder.h"
#include "decode/PngDecoder.h"
#include "decode/TiffDecoder.h"
#include "pexora/pexora.h"

namespace pexora {

namespace {

bool StartsWith(const uint8_t* data, size_t size, const char* signature, size_t length) {
  return size >= length && std::memcmp(data, signature, length) == 0;
}

enum class FileFormat { kUnknown, kPng, kJpeg, kBmp, kGif, kTiff };

// The format told by the file's first bytes, among the formats this library
// reads. FreeImage's own decoders of the rarer formats do not withstand
// hostile files (fuzzing found out-of-bounds accesses in them), so only these
// are read.
FileFormat SniffFormat(const uint8_t* data, size_t size) {
  if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8)) return FileFormat::kPng;
  if (StartsWith(data, size, "\xFF\xD8\xFF", 3)) return FileFormat::kJpeg;
  if (StartsWith(data, size, "BM", 2)) return FileFormat::kBmp;
  if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6)) return FileFormat::kGif;
  if (StartsWith(data, size, "II*\0", 4) || StartsWith(data, size, "MM\0*", 4)) return FileFormat::kTiff;
  return FileFormat::kUnknown;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) FailLoading();
  const auto size = std::filesystem::file_size(path, error);
  if (error) FailLoading();
  if (size > static_cast<uintmax_t>(kMaxFileBytes)) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) FailLoading();
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    FailLoading();
  }
  return bytes;
}

}  // namespace

Image DecodePictureBytes(const uint8_t* data, size_t size) {
  if (data == nullptr || size == 0 || size > static_cast<size_t>(kMaxFileBytes)) FailLoading();
  switch (SniffFormat(data, size)) {
    case FileFormat::kPng: return DecodePng(data, size);
    case FileFormat::kJpeg: return DecodeJpeg(data, size);
    case FileFormat::kBmp: return DecodeBmp(data, size);
    case FileFormat::kGif: return DecodeGif(data, size);
    case FileFormat::kTiff: return DecodeTiff(data, size);
    case FileFormat::kUnknown: break;
  }
  FailLoading();
}

Image DecodePictureFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  return DecodePictureBytes(bytes.data(), bytes.size());
}

}  // namespace pexora
