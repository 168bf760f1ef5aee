// The X client library (libxcb and its MIT-SHM extension), bound at run time
// so that libpexora.so keeps no link to X: the entry points it uses, looked up
// with dlopen once per process. The headers give the types only.
#pragma once

#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xcb/xproto.h>

namespace pexora {

// Entry points of libxcb.so.1 (always there once bound).
#define PEXORA_XCB_FUNCTIONS(X)         \
  X(xcb_connect)                        \
  X(xcb_disconnect)                     \
  X(xcb_connection_has_error)           \
  X(xcb_get_setup)                      \
  X(xcb_setup_roots_iterator)           \
  X(xcb_screen_next)                    \
  X(xcb_setup_pixmap_formats)           \
  X(xcb_setup_pixmap_formats_length)    \
  X(xcb_screen_allowed_depths_iterator) \
  X(xcb_depth_next)                     \
  X(xcb_depth_visuals)                  \
  X(xcb_depth_visuals_length)           \
  X(xcb_generate_id)                    \
  X(xcb_request_check)                  \
  X(xcb_get_extension_data)             \
  X(xcb_get_geometry)                   \
  X(xcb_get_geometry_reply)             \
  X(xcb_get_window_attributes)          \
  X(xcb_get_window_attributes_reply)    \
  X(xcb_translate_coordinates)          \
  X(xcb_translate_coordinates_reply)    \
  X(xcb_get_image)                      \
  X(xcb_get_image_reply)                \
  X(xcb_get_image_data)                 \
  X(xcb_get_image_data_length)

// Entry points of libxcb-shm.so.0 (null when that library is missing).
#define PEXORA_XCB_SHM_FUNCTIONS(X) \
  X(xcb_shm_attach_checked)         \
  X(xcb_shm_detach)                 \
  X(xcb_shm_get_image)              \
  X(xcb_shm_get_image_reply)

struct XcbLibrary {
// The argument is the name being declared: it cannot be parenthesised.
#define PEXORA_XCB_POINTER(name) decltype(&::name) name = nullptr;  // NOLINT(bugprone-macro-parentheses)
  PEXORA_XCB_FUNCTIONS(PEXORA_XCB_POINTER)
  PEXORA_XCB_SHM_FUNCTIONS(PEXORA_XCB_POINTER)
#undef PEXORA_XCB_POINTER
  // The extension's identity in libxcb-shm (xcb_shm_id); null without it.
  xcb_extension_t* shmExtension = nullptr;

  bool HasShm() const { return shmExtension != nullptr && xcb_shm_get_image != nullptr; }
};

// The bound library, or null when libxcb.so.1 cannot be loaded or lacks an
// entry point. Bound on the first call, then kept for the life of the
// process (never unloaded); safe from several threads at once.
const XcbLibrary* BindXcb();

}  // namespace pexora
