// A second X client reading the clipboard over the X protocol.
#include "desktop/vxXcbClipboardReader.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <QEventLoop>
#include <QMetaObject>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

namespace vxTest {

namespace {

struct TConnectionCloser {
  void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using TConnection = std::unique_ptr<xcb_connection_t, TConnectionCloser>;

xcb_atom_t Atom(xcb_connection_t* c, const std::string& Name) {
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(Name.size()), Name.data()), nullptr), &free);
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::optional<std::string> Read(const std::string& Target) {
  TConnection connection(xcb_connect(nullptr, nullptr));
  xcb_connection_t* c = connection.get();
  if (xcb_connection_has_error(c)) return std::nullopt;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t window = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, 0, nullptr);
  const xcb_atom_t property = Atom(c, "VX_CLIPBOARD_READ");
  xcb_convert_selection(c, window, Atom(c, "CLIPBOARD"), Atom(c, Target), property, XCB_CURRENT_TIME);
  xcb_flush(c);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (;;) {
    std::unique_ptr<xcb_generic_event_t, decltype(&free)> event(xcb_poll_for_event(c), &free);
    if (!event) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
      if (left.count() <= 0 || xcb_connection_has_error(c)) return std::nullopt;
      poll(&p, 1, static_cast<int>(left.count()));
      continue;
    }
    if ((event->response_type & 0x7F) != XCB_SELECTION_NOTIFY) continue;
    const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event.get());
    if (notify->property == XCB_ATOM_NONE) return std::nullopt;
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24),
                               nullptr),
        &free);
    if (!reply) return std::nullopt;
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<size_t>(xcb_get_property_value_length(reply.get())));
  }
}

}  // namespace

std::optional<std::string> ReadClipboardAs(const std::string& Target) {
  std::optional<std::string> result;
  // The owner answers from this loop; the reader's own time-out ends it.
  QEventLoop loop;
  std::thread reader([&] {
    result = Read(Target);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  reader.join();
  return result;
}

}  // namespace vxTest
