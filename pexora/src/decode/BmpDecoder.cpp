#include "decode/BmpDecoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <initializer_list>
#include <vector>

#include "decode/DecodeChecks.h"

namespace pexora {

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr size_t kFileHeaderBytes = 14;

uint32_t Read16(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8; }
uint32_t Read32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// One channel packed into a pixel by a bit mask, brought to 0..255 rounding
// to nearest: through a table for masks up to 16 bits wide, by division for
// wider ones.
class MaskChannel {
 public:
  explicit MaskChannel(uint32_t mask = 0)
      : mask_(mask), shift_(mask == 0 ? 0 : std::countr_zero(mask)), max_(mask == 0 ? 0 : mask >> shift_) {
    if (max_ == 0 || max_ > 0xFFFF) return;
    table_.resize(max_ + 1);
    for (uint32_t v = 0; v <= max_; ++v) table_[v] = static_cast<uint8_t>(Scale(v));
  }
  bool Present() const { return max_ != 0; }
  uint32_t Value(uint32_t pixel) const {
    const uint32_t v = (pixel & mask_) >> shift_;
    return table_.empty() ? Scale(v) : table_[v];
  }

 private:
  uint32_t Scale(uint32_t v) const {
    return max_ == 0 ? 0 : static_cast<uint32_t>((uint64_t{v} * 255 + max_ / 2) / max_);
  }

  uint32_t mask_;
  int shift_;
  uint32_t max_;
  std::vector<uint8_t> table_;
};

struct BmpHeader {
  int64_t width = 0;
  int64_t height = 0;  // rows, always positive
  bool topDown = false;
  uint32_t bitsPerPixel = 0;
  uint32_t compression = kRgb;
  std::array<uint32_t, 4> masks{};  // R, G, B, A
  size_t paletteOffset = 0;
  size_t paletteEntries = 0;
  size_t paletteEntryBytes = 4;
  size_t pixelOffset = 0;
};

bool Among(uint32_t value, std::initializer_list<uint32_t> allowed) {
  return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

BmpHeader ReadHeader(const uint8_t* data, size_t size) {
  if (size < kFileHeaderBytes + 4) FailLoading();
  const uint32_t headerBytes = Read32(data + kFileHeaderBytes);
  // OS/2 core (12), OS/2 2 (16, 64), Windows 3 (40) and its extensions (52,
  // 56), Windows 4 (108) and 5 (124).
  if (!Among(headerBytes, {12, 16, 40, 52, 56, 64, 108, 124}) || size < kFileHeaderBytes + headerBytes) {
    FailLoading();
  }
  const uint8_t* h = data + kFileHeaderBytes;
  BmpHeader header;
  int64_t height = 0;
  uint32_t coloursUsed = 0;
  if (headerBytes == 12) {
    header.width = Read16(h + 4);
    height = Read16(h + 6);
    header.bitsPerPixel = Read16(h + 10);
    header.paletteEntryBytes = 3;
  } else {
    header.width = static_cast<int32_t>(Read32(h + 4));
    height = static_cast<int32_t>(Read32(h + 8));
    header.bitsPerPixel = Read16(h + 14);
    if (headerBytes >= 20) header.compression = Read32(h + 16);
    if (headerBytes >= 36) coloursUsed = Read32(h + 32);
  }
  const bool os2 = headerBytes == 16 || headerBytes == 64;
  if (os2 && header.compression > kRle4) FailLoading();  // Huffman 1D, RLE24
  header.topDown = height < 0;
  header.height = height < 0 ? -height : height;
  CheckPictureSize(header.width, header.height);

  const uint32_t bits = header.bitsPerPixel;
  switch (header.compression) {
    case kRgb:
      if (!Among(bits, {1, 4, 8, 16, 24, 32})) FailLoading();
      break;
    case kRle8:
    case kRle4:
      if (bits != (header.compression == kRle8 ? 8u : 4u) || header.topDown) FailLoading();
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (!Among(bits, {16, 32})) FailLoading();
      break;
    default: FailLoading();  // JPEG or PNG inside, or unknown
  }

  size_t afterHeader = kFileHeaderBytes + headerBytes;
  if (bits == 16) header.masks = {0x7C00, 0x03E0, 0x001F, 0};
  if (bits == 32) header.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  if (header.compression == kBitFields || header.compression == kAlphaBitFields) {
    // The masks follow the first 40 bytes of the header, where the later
    // versions hold them and after which Windows 3 writes them; the versions
    // from 56 bytes on also hold an alpha mask.
    const size_t count = header.compression == kAlphaBitFields || headerBytes >= 56 ? 4 : 3;
    const size_t masksEnd = kFileHeaderBytes + 40 + 4 * count;
    if (size < masksEnd) FailLoading();
    afterHeader = std::max(afterHeader, masksEnd);
    const uint8_t* masks = h + 40;
    header.masks = {Read32(masks), Read32(masks + 4), Read32(masks + 8), count == 4 ? Read32(masks + 12) : 0};
  }

  if (bits <= 8) {
    const size_t most = size_t{1} << bits;
    header.paletteEntries = coloursUsed == 0 ? most : std::min<size_t>(coloursUsed, most);
    header.paletteOffset = afterHeader;
    afterHeader += header.paletteEntries * header.paletteEntryBytes;
    if (afterHeader > size) FailLoading();
  }
  // Some writers leave the offset at 0 or point it into the header.
  const uint32_t offset = Read32(data + 10);
  header.pixelOffset = offset >= afterHeader ? offset : afterHeader;
  if (header.pixelOffset >= size) FailLoading();
  if (header.compression != kRle8 && header.compression != kRle4) {
    // Every row must be there; the padding of the last one may be missing.
    const uint64_t rowBits = static_cast<uint64_t>(header.width) * bits;
    const uint64_t stride = (rowBits + 31) / 32 * 4;
    if (stride * static_cast<uint64_t>(header.height - 1) + (rowBits + 7) / 8 > size - header.pixelOffset) {
      FailLoading();
    }
  }
  return header;
}

std::array<uint32_t, 256> ReadPalette(const uint8_t* data, const BmpHeader& header) {
  std::array<uint32_t, 256> palette;
  palette.fill(0xFF000000u);  // indices past the palette are black
  for (size_t i = 0; i < header.paletteEntries; ++i) {
    const uint8_t* entry = data + header.paletteOffset + i * header.paletteEntryBytes;
    palette[i] = 0xFF000000u | uint32_t{entry[2]} << 16 | uint32_t{entry[1]} << 8 | entry[0];
  }
  return palette;
}

// ReadHeader has checked that every row is there.
void DecodeUncompressed(const uint8_t* data, const BmpHeader& header, Image& image) {
  const uint64_t bits = header.bitsPerPixel;
  const uint64_t stride = (static_cast<uint64_t>(header.width) * bits + 31) / 32 * 4;
  const std::array<uint32_t, 256> palette = ReadPalette(data, header);
  const MaskChannel red(header.masks[0]), green(header.masks[1]), blue(header.masks[2]), alpha(header.masks[3]);
  bool anyAlpha = false;
  for (int64_t row = 0; row < header.height; ++row) {
    const uint8_t* in = data + header.pixelOffset + stride * static_cast<uint64_t>(row);
    const int64_t y = header.topDown ? row : header.height - 1 - row;
    uint32_t* out = image.pixels.data() + static_cast<size_t>(y * header.width);
    for (int64_t x = 0; x < header.width; ++x) {
      if (bits <= 8) {
        const uint64_t bit = static_cast<uint64_t>(x) * bits;
        const uint32_t index = (in[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        out[x] = palette[index];
        continue;
      }
      if (bits == 24) {
        const uint8_t* p = in + 3 * x;
        out[x] = 0xFF000000u | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
        continue;
      }
      const uint32_t pixel = bits == 16 ? Read16(in + 2 * x) : Read32(in + 4 * x);
      const uint32_t a = alpha.Present() ? alpha.Value(pixel) : 255;
      anyAlpha = anyAlpha || a != 0;
      out[x] = a << 24 | red.Value(pixel) << 16 | green.Value(pixel) << 8 | blue.Value(pixel);
    }
  }
  // An alpha channel that is zero everywhere is unused, as many writers leave it.
  if (alpha.Present() && !anyAlpha) {
    for (uint32_t& pixel : image.pixels) pixel |= 0xFF000000u;
  }
}

// Pixels that the runs skip (end of line, delta, end of bitmap) stay
// transparent. The data must go on until the end of the bitmap or its last row.
void DecodeRunLengths(const uint8_t* data, size_t size, const BmpHeader& header, Image& image) {
  const std::array<uint32_t, 256> palette = ReadPalette(data, header);
  const bool four = header.compression == kRle4;
  size_t pos = header.pixelOffset;
  int64_t x = 0, y = 0;  // y counts rows from the bottom
  // Writes the visible part of `count` pixels starting at x; index(i) gives the i-th.
  const auto put = [&](int64_t count, const auto& index) {
    if (y < header.height) {
      uint32_t* row = image.pixels.data() + static_cast<size_t>((header.height - 1 - y) * header.width);
      for (int64_t i = 0; i < count && x + i < header.width; ++i) row[x + i] = palette[index(i)];
    }
    x += count;
  };
  while (y < header.height) {
    if (size - pos < 2) FailLoading();  // cut short
    const uint32_t count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      put(count, [&](int64_t i) { return four ? (i % 2 == 0 ? value >> 4 : value & 15) : value; });
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (size - pos < 2) FailLoading();
      x += data[pos];
      y += data[pos + 1];
      pos += 2;
    } else {
      const size_t bytes = four ? (value + 1) / 2 : value;
      if (size - pos < bytes) FailLoading();
      const uint8_t* run = data + pos;
      put(value, [&](int64_t i) { return four ? (i % 2 == 0 ? run[i / 2] >> 4 : run[i / 2] & 15) : run[i]; });
      pos += std::min(bytes + bytes % 2, size - pos);
    }
  }
}

}  // namespace

Image DecodeBmp(const uint8_t* data, size_t size) {
  if (size < 2 || data[0] != 'B' || data[1] != 'M') FailLoading();
  const BmpHeader header = ReadHeader(data, size);
  Image image;
  image.width = static_cast<int32_t>(header.width);
  image.height = static_cast<int32_t>(header.height);
  image.pixels.assign(static_cast<size_t>(image.PixelCount()), 0);
  if (header.compression == kRle8 || header.compression == kRle4) {
    DecodeRunLengths(data, size, header, image);
  } else {
    DecodeUncompressed(data, header, image);
  }
  return image;
}

}  // namespace pexora
