#include "decode/JpegDecoder.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

#include "decode/DecodeChecks.h"

namespace pexora {

namespace {

// Most scans a progressive file may have: a small file with very many scans
// would otherwise keep the decoder busy for minutes.
constexpr int kMaxScans = 1000;

enum class Failure { kNone, kBroken, kMemory };

struct ErrorState {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  Failure failure = Failure::kNone;
};

[[noreturn]] void OnError(j_common_ptr info) {
  auto* state = reinterpret_cast<ErrorState*>(info->err);
  const int code = state->manager.msg_code;
  state->failure = code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE ? Failure::kMemory : Failure::kBroken;
  std::longjmp(state->jump, 1);
}

// Warnings say what the decoder had to make up: data that ends early or is
// corrupt leaves pixels that are not the file's, so they fail the file.
// Other warnings (stray bytes between markers, unknown revisions) do not.
void OnMessage(j_common_ptr info, int level) {
  if (level >= 0) return;  // traces
  switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION: OnError(info);
    default: break;
  }
}

void Quiet(j_common_ptr) {}

void OnProgress(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxScans) OnError(info);
}

uint8_t Scale(uint32_t a, uint32_t b) { return static_cast<uint8_t>((a * b + 127) / 255); }

// Runs the whole decoding; false when libjpeg gave up. Everything that must
// be cleaned up lives in the caller's frame, which the long jump returns to.
bool DecodeInto(jpeg_decompress_struct* info, ErrorState* errors, const uint8_t* data, size_t size, Image* image,
                std::vector<uint8_t>* row) {
  if (setjmp(errors->jump) != 0) return false;
  jpeg_mem_src(info, data, static_cast<unsigned long>(size));
  jpeg_read_header(info, TRUE);
  CheckPictureSize(info->image_width, info->image_height);
  info->dct_method = JDCT_ISLOW;
  const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
  info->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(info);
  image->width = static_cast<int32_t>(info->output_width);
  image->height = static_cast<int32_t>(info->output_height);
  image->pixels.resize(static_cast<size_t>(image->PixelCount()));
  if (cmyk) row->resize(size_t{4} * info->output_width);
  // Adobe's writers store CMYK inverted.
  const bool inverted = info->saw_Adobe_marker;
  while (info->output_scanline < info->output_height) {
    uint32_t* out = image->pixels.data() + size_t{info->output_scanline} * info->output_width;
    JSAMPROW target = cmyk ? row->data() : reinterpret_cast<JSAMPROW>(out);
    if (jpeg_read_scanlines(info, &target, 1) != 1) return false;
    if (!cmyk) continue;  // BGRA bytes are 0xAARRGGBB on this little-endian machine
    for (uint32_t x = 0; x < info->output_width; ++x) {
      const uint8_t* p = row->data() + 4 * size_t{x};
      const uint32_t k = inverted ? p[3] : 255u - p[3];
      const auto channel = [&](uint8_t v) { return uint32_t{Scale(inverted ? v : 255u - v, k)}; };
      out[x] = 0xFF000000u | channel(p[0]) << 16 | channel(p[1]) << 8 | channel(p[2]);
    }
  }
  jpeg_finish_decompress(info);
  return true;
}

}  // namespace

Image DecodeJpeg(const uint8_t* data, size_t size) {
  static_assert(std::endian::native == std::endian::little, "BGRA rows are read as 0xAARRGGBB");
  jpeg_decompress_struct info{};
  ErrorState errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = OnError;
  errors.manager.emit_message = OnMessage;
  errors.manager.output_message = Quiet;
  jpeg_progress_mgr progress{};
  progress.progress_monitor = OnProgress;
  jpeg_create_decompress(&info);
  info.progress = &progress;
  info.mem->max_memory_to_use = static_cast<long>(kMaxDecoderBytes);
  Image image;
  std::vector<uint8_t> row;
  bool decoded = false;
  try {
    decoded = DecodeInto(&info, &errors, data, size, &image, &row);
  } catch (...) {
    jpeg_destroy_decompress(&info);
    throw;
  }
  jpeg_destroy_decompress(&info);
  if (!decoded && errors.failure == Failure::kMemory) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
  if (!decoded) FailLoading();
  return image;
}

}  // namespace pexora
