#include "decode/ScreenCapture.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/Limits.h"
#include "core/StatusError.h"
#include "decode/SharedSegment.h"
#include "decode/XcbLibrary.h"
#include "pexora/pexora.h"

namespace pexora {

namespace {

// A reply or an error of libxcb, released with free() as libxcb asks.
struct FreeWithFree {
  void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T>
using Owned = std::unique_ptr<T, FreeWithFree>;

class Connection {
 public:
  explicit Connection(const XcbLibrary& xcb) : xcb_(xcb), connection_(xcb.xcb_connect(nullptr, &screen_)) {}
  ~Connection() { xcb_.xcb_disconnect(connection_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Failed() const { return xcb_.xcb_connection_has_error(connection_) != 0; }
  xcb_connection_t* get() const { return connection_; }
  int screen() const { return screen_; }

 private:
  const XcbLibrary& xcb_;
  int screen_ = 0;
  xcb_connection_t* connection_;
};

// How the server lays out the drawable's pixels.
struct PixelFormat {
  int bitsPerPixel = 0;
  int scanlinePad = 0;
  uint32_t masks[3] = {};  // red, green, blue
  bool msbFirst = false;
};

// The code for a request that failed: the connection broke (no display any
// more) or the server refused it (the drawable is gone or cannot be read).
[[noreturn]] void Refused(const XcbLibrary& xcb, const Connection& connection) {
  throw StatusError(xcb.xcb_connection_has_error(connection.get()) != 0 ? PX_ERROR_NOT_AVAILABLE : PX_ERROR_LOADING);
}

const xcb_screen_t* ScreenOfRoot(const XcbLibrary& xcb, const xcb_setup_t* setup, xcb_window_t root) {
  for (auto it = xcb.xcb_setup_roots_iterator(setup); it.rem > 0; xcb.xcb_screen_next(&it)) {
    if (it.data->root == root) return it.data;
  }
  return nullptr;
}

const xcb_screen_t* ScreenNumber(const XcbLibrary& xcb, const xcb_setup_t* setup, int number) {
  auto it = xcb.xcb_setup_roots_iterator(setup);
  for (int i = 0; i < number && it.rem > 0; ++i) xcb.xcb_screen_next(&it);
  return it.rem > 0 ? it.data : nullptr;
}

// The visual `id` of `screen`, or with visual 0 the first true-colour one of
// `depth` (the root's own first), or null.
const xcb_visualtype_t* FindVisual(const XcbLibrary& xcb, const xcb_screen_t* screen, xcb_visualid_t id,
                                   uint8_t depth) {
  if (id == 0 && depth == screen->root_depth) id = screen->root_visual;
  const xcb_visualtype_t* anyOfDepth = nullptr;
  for (auto d = xcb.xcb_screen_allowed_depths_iterator(screen); d.rem > 0; xcb.xcb_depth_next(&d)) {
    const xcb_visualtype_t* const visuals = xcb.xcb_depth_visuals(d.data);
    const int count = xcb.xcb_depth_visuals_length(d.data);
    for (int i = 0; i < count; ++i) {
      if (visuals[i].visual_id == id) return &visuals[i];
      if (anyOfDepth == nullptr && d.data->depth == depth && visuals[i]._class == XCB_VISUAL_CLASS_TRUE_COLOR) {
        anyOfDepth = &visuals[i];
      }
    }
  }
  return id == 0 ? anyOfDepth : nullptr;
}

PixelFormat FormatOf(const XcbLibrary& xcb, const xcb_setup_t* setup, const xcb_screen_t* screen, xcb_visualid_t visual,
                     uint8_t depth) {
  PixelFormat format;
  const xcb_format_t* const formats = xcb.xcb_setup_pixmap_formats(setup);
  const int count = xcb.xcb_setup_pixmap_formats_length(setup);
  for (int i = 0; i < count; ++i) {
    if (formats[i].depth == depth) {
      format.bitsPerPixel = formats[i].bits_per_pixel;
      format.scanlinePad = formats[i].scanline_pad;
    }
  }
  if (format.bitsPerPixel != 16 && format.bitsPerPixel != 32) throw StatusError(PX_ERROR_NOT_AVAILABLE);
  if (format.scanlinePad < 8 || format.scanlinePad % 8 != 0) throw StatusError(PX_ERROR_NOT_AVAILABLE);
  const xcb_visualtype_t* const type = FindVisual(xcb, screen, visual, depth);
  if (type != nullptr) {
    if (type->_class != XCB_VISUAL_CLASS_TRUE_COLOR && type->_class != XCB_VISUAL_CLASS_DIRECT_COLOR) {
      throw StatusError(PX_ERROR_NOT_AVAILABLE);
    }
    format.masks[0] = type->red_mask;
    format.masks[1] = type->green_mask;
    format.masks[2] = type->blue_mask;
  } else if (visual == 0 && depth >= 24) {
    // A pixmap of a depth no visual has: the usual eight bits a channel.
    format.masks[0] = 0xFF0000u;
    format.masks[1] = 0x00FF00u;
    format.masks[2] = 0x0000FFu;
  } else {
    throw StatusError(PX_ERROR_NOT_AVAILABLE);
  }
  for (const uint32_t mask : format.masks) {
    if (mask == 0) throw StatusError(PX_ERROR_NOT_AVAILABLE);
  }
  format.msbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
  return format;
}

size_t RowBytes(const PixelFormat& format, int width) {
  const size_t bits = static_cast<size_t>(width) * static_cast<size_t>(format.bitsPerPixel);
  const size_t pad = static_cast<size_t>(format.scanlinePad);
  return (bits + pad - 1) / pad * pad / 8;
}

// One channel of a pixel: the bits under `mask`, scaled to 0..255.
struct Channel {
  int shift = 0;
  uint32_t maximum = 0;
  explicit Channel(uint32_t mask) : shift(std::countr_zero(mask)), maximum(mask >> std::countr_zero(mask)) {}
  uint32_t Of(uint32_t pixel) const { return (((pixel >> shift) & maximum) * 255u + maximum / 2) / maximum; }
};

// Converts `height` rows of the server's layout into opaque ARGB at (x, y)
// of `image`.
void Convert(const unsigned char* data, const PixelFormat& format, int x, int y, int width, int height, Image& image) {
  const size_t rowBytes = RowBytes(format, width);
  const bool plain = format.bitsPerPixel == 32 && !format.msbFirst && format.masks[0] == 0xFF0000u &&
                     format.masks[1] == 0x00FF00u && format.masks[2] == 0x0000FFu;
  const Channel red(format.masks[0]), green(format.masks[1]), blue(format.masks[2]);
  for (int row = 0; row < height; ++row) {
    const unsigned char* const source = data + static_cast<size_t>(row) * rowBytes;
    uint32_t* const target =
        image.pixels.data() + static_cast<size_t>(y + row) * static_cast<size_t>(image.width) + static_cast<size_t>(x);
    if (plain) {
      // One pass: read each word and write it opaque.
      for (int i = 0; i < width; ++i) {
        uint32_t pixel;
        std::memcpy(&pixel, source + 4 * static_cast<size_t>(i), 4);
        target[i] = pixel | 0xFF000000u;
      }
      continue;
    }
    for (int i = 0; i < width; ++i) {
      uint32_t pixel = 0;
      if (format.bitsPerPixel == 32) {
        std::memcpy(&pixel, source + 4 * static_cast<size_t>(i), 4);
        if (format.msbFirst) pixel = __builtin_bswap32(pixel);
      } else {
        uint16_t half = 0;
        std::memcpy(&half, source + 2 * static_cast<size_t>(i), 2);
        if (format.msbFirst) half = __builtin_bswap16(half);
        pixel = half;
      }
      target[i] = 0xFF000000u | red.Of(pixel) << 16 | green.Of(pixel) << 8 | blue.Of(pixel);
    }
  }
}

// A rectangle of a drawable, and where its pixels go in the picture.
struct Area {
  int x = 0, y = 0, width = 0, height = 0;
  int toX = 0, toY = 0;
};

// Reads `area` of `drawable` through a shared-memory segment into `image`;
// false when the server cannot share memory with this client,
// so that the caller takes the plain request.
bool ReadShared(const XcbLibrary& xcb, const Connection& connection, xcb_drawable_t drawable, const PixelFormat& format,
                const Area& area, Image& image) {
  if (!xcb.HasShm()) return false;
  const xcb_query_extension_reply_t* const extension = xcb.xcb_get_extension_data(connection.get(), xcb.shmExtension);
  if (extension == nullptr || extension->present == 0) return false;
  const size_t bytes = RowBytes(format, area.width) * static_cast<size_t>(area.height);
  std::unique_ptr<SharedSegment> segment = SharedSegment::Take(bytes);
  if (!segment) return false;
  const xcb_shm_seg_t name = xcb.xcb_generate_id(connection.get());
  if (name == static_cast<uint32_t>(-1)) return false;
  const auto attach = xcb.xcb_shm_attach_checked(connection.get(), name, static_cast<uint32_t>(segment->id()), 0);
  // A server on another machine, or one that may not read this user's
  // segments, refuses the attachment.
  if (Owned<xcb_generic_error_t> error{xcb.xcb_request_check(connection.get(), attach)}) {
    SharedSegment::Give(std::move(segment));
    return false;
  }
  if (connection.Failed()) Refused(xcb, connection);
  const auto cookie = xcb.xcb_shm_get_image(
      connection.get(), drawable, static_cast<int16_t>(area.x), static_cast<int16_t>(area.y),
      static_cast<uint16_t>(area.width), static_cast<uint16_t>(area.height), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, name, 0);
  xcb_generic_error_t* error = nullptr;
  Owned<xcb_shm_get_image_reply_t> reply{xcb.xcb_shm_get_image_reply(connection.get(), cookie, &error)};
  Owned<xcb_generic_error_t> ownedError{error};
  xcb.xcb_shm_detach(connection.get(), name);
  if (!reply) Refused(xcb, connection);
  segment->Populate(bytes);
  Convert(segment->data(), format, area.toX, area.toY, area.width, area.height, image);
  SharedSegment::Give(std::move(segment));
  return true;
}

void ReadPlain(const XcbLibrary& xcb, const Connection& connection, xcb_drawable_t drawable, const PixelFormat& format,
               const Area& area, Image& image) {
  const auto cookie = xcb.xcb_get_image(connection.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, drawable,
                                        static_cast<int16_t>(area.x), static_cast<int16_t>(area.y),
                                        static_cast<uint16_t>(area.width), static_cast<uint16_t>(area.height), ~0u);
  xcb_generic_error_t* error = nullptr;
  Owned<xcb_get_image_reply_t> reply{xcb.xcb_get_image_reply(connection.get(), cookie, &error)};
  Owned<xcb_generic_error_t> ownedError{error};
  if (!reply) Refused(xcb, connection);
  const size_t needed = RowBytes(format, area.width) * static_cast<size_t>(area.height);
  if (xcb.xcb_get_image_data_length(reply.get()) < 0 ||
      static_cast<size_t>(xcb.xcb_get_image_data_length(reply.get())) < needed) {
    throw StatusError(PX_ERROR_LOADING);
  }
  Convert(xcb.xcb_get_image_data(reply.get()), format, area.toX, area.toY, area.width, area.height, image);
}

}  // namespace

Image CaptureDrawable(uint32_t xid) {
  const XcbLibrary* const library = BindXcb();
  if (library == nullptr) throw StatusError(PX_ERROR_NOT_AVAILABLE);
  const XcbLibrary& xcb = *library;
  const Connection connection(xcb);
  if (connection.Failed()) throw StatusError(PX_ERROR_NOT_AVAILABLE);
  const xcb_setup_t* const setup = xcb.xcb_get_setup(connection.get());
  const xcb_screen_t* screen = ScreenNumber(xcb, setup, connection.screen());
  if (screen == nullptr) throw StatusError(PX_ERROR_NOT_AVAILABLE);
  const xcb_drawable_t drawable = xid != 0 ? xid : screen->root;

  // The three questions go out together; their answers come back in order.
  xcb_connection_t* const c = connection.get();
  const auto geometryCookie = xcb.xcb_get_geometry(c, drawable);
  const auto attributesCookie = xcb.xcb_get_window_attributes(c, drawable);
  xcb_generic_error_t* error = nullptr;
  Owned<xcb_get_geometry_reply_t> geometry{xcb.xcb_get_geometry_reply(c, geometryCookie, &error)};
  Owned<xcb_generic_error_t> geometryError{error};
  error = nullptr;
  // A pixmap has no window attributes: the request fails for it.
  Owned<xcb_get_window_attributes_reply_t> attributes{xcb.xcb_get_window_attributes_reply(c, attributesCookie, &error)};
  Owned<xcb_generic_error_t> attributesError{error};
  if (!geometry) Refused(xcb, connection);
  if (attributes &&
      (attributes->map_state != XCB_MAP_STATE_VIEWABLE || attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY)) {
    throw StatusError(PX_ERROR_LOADING);
  }

  if (geometry->root != screen->root) screen = ScreenOfRoot(xcb, setup, geometry->root);
  if (screen == nullptr) throw StatusError(PX_ERROR_LOADING);
  const int width = geometry->width;
  const int height = geometry->height;
  if (width < 1 || height < 1) throw StatusError(PX_ERROR_LOADING);
  if (int64_t{width} * height > kMaxPixels) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);

  // A pixmap and the root window are read whole. A window is read from the
  // screen: the part of it that lies on the screen, as the screen shows it
  // (the server keeps no defined contents for covered parts of a window).
  xcb_drawable_t from = drawable;
  Area area{0, 0, width, height, 0, 0};
  const bool window = attributes && drawable != screen->root;
  if (window) {
    const auto cookie = xcb.xcb_translate_coordinates(c, drawable, screen->root, 0, 0);
    error = nullptr;
    Owned<xcb_translate_coordinates_reply_t> place{xcb.xcb_translate_coordinates_reply(c, cookie, &error)};
    Owned<xcb_generic_error_t> placeError{error};
    if (!place) Refused(xcb, connection);
    const int left = std::max(0, -place->dst_x);
    const int top = std::max(0, -place->dst_y);
    const int right = std::min(width, screen->width_in_pixels - place->dst_x);
    const int bottom = std::min(height, screen->height_in_pixels - place->dst_y);
    from = screen->root;
    area = {place->dst_x + left, place->dst_y + top, std::max(0, right - left), std::max(0, bottom - top), left, top};
  }
  const PixelFormat format = window
                                 ? FormatOf(xcb, setup, screen, screen->root_visual, screen->root_depth)
                                 : FormatOf(xcb, setup, screen, attributes ? attributes->visual : 0, geometry->depth);

  Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<size_t>(image.PixelCount()), 0u);
  if (area.width > 0 && area.height > 0) {
    if (!ReadShared(xcb, connection, from, format, area, image)) {
      ReadPlain(xcb, connection, from, format, area, image);
    }
  }
  if (window) {
    // A window that went away or was hidden while the screen was read.
    const auto cookie = xcb.xcb_get_window_attributes(c, drawable);
    error = nullptr;
    Owned<xcb_get_window_attributes_reply_t> after{xcb.xcb_get_window_attributes_reply(c, cookie, &error)};
    Owned<xcb_generic_error_t> afterError{error};
    if (!after) Refused(xcb, connection);
    if (after->map_state != XCB_MAP_STATE_VIEWABLE) throw StatusError(PX_ERROR_LOADING);
  }
  return image;
}

}  // namespace pexora
