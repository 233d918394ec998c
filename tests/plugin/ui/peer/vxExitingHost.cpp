// A host process that loads the export library and ends without unloading
// it, as most hosts do (an interpreter's foreign-function module always
// does): the library's unload then runs after the process's exit handlers.
// It exports one document to an SMTP server (commands 100, 110, 200, 400,
// 500, 600) and, with --configure, shows the dialog (command 800) on the X
// display of DISPLAY and closes it from a second thread the way a window
// manager does (WM_DELETE_WINDOW). It links no toolkit: the library brings
// its own. It prints one line per command ("code result text") and ends
// by returning from main, the document lists still open.
// Usage: vxExitingHost EXPORT_LIBRARY SMTP_PORT FILE [--configure]
#include <dlfcn.h>
#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using TEntry = int32_t (*)(int32_t, char16_t*, int32_t, char16_t*);

// ASCII text both ways is all this host needs.
std::u16string Wide(const std::string& Text) { return std::u16string(Text.begin(), Text.end()); }
std::string Narrow(const char16_t* Text) {
  std::string out;
  for (; *Text != u'\0'; ++Text) out.push_back(*Text < 128 ? static_cast<char>(*Text) : '?');
  return out;
}

int32_t Call(TEntry Entry, int32_t Command, const std::string& Input = std::string()) {
  std::vector<char16_t> text(1 << 16, u'\0'), buffer(1 << 16, u'\0');
  const std::u16string input = Wide(Input);
  std::copy(input.begin(), input.end(), text.begin());
  const int32_t result = Entry(Command, text.data(), 0, buffer.data());
  std::cout << Command << " " << result << " " << Narrow(text.data()) << Narrow(buffer.data()) << "\n";
  return result;
}

xcb_atom_t Atom(xcb_connection_t* Connection, const char* Name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      Connection, xcb_intern_atom(Connection, 0, static_cast<uint16_t>(std::strlen(Name)), Name), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  std::free(reply);
  return atom;
}

// Asks every window shown on the display to close until Done (or thirty
// seconds have passed).
void CloseShownWindows(const std::atomic<bool>& Done) {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection) != 0) {
    xcb_disconnect(connection);
    return;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  const xcb_atom_t protocols = Atom(connection, "WM_PROTOCOLS");
  const xcb_atom_t deleteWindow = Atom(connection, "WM_DELETE_WINDOW");
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!Done && std::chrono::steady_clock::now() < until) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr);
    if (tree != nullptr) {
      const xcb_window_t* children = xcb_query_tree_children(tree);
      for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, children[i]), nullptr);
        if (attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
          xcb_client_message_event_t event{};
          event.response_type = XCB_CLIENT_MESSAGE;
          event.format = 32;
          event.window = children[i];
          event.type = protocols;
          event.data.data32[0] = deleteWindow;
          event.data.data32[1] = XCB_CURRENT_TIME;
          xcb_send_event(connection, 0, children[i], XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        }
        std::free(attributes);
      }
      std::free(tree);
      xcb_flush(connection);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  xcb_disconnect(connection);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const bool configure = argc > 4 && std::string(argv[4]) == "--configure";
  void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return 3;
  const auto entry = reinterpret_cast<TEntry>(dlsym(library, "vxWideExport"));
  if (entry == nullptr) return 3;
  Call(entry, 100);
  Call(entry, 110,
       std::string("<CONFIG><SMTPSERVER=127.0.0.1><SMTPPORT=") + argv[2] +
           "><FROMADDRESS=exports@example.com><RECIPIENT=to@example.com><ZIPMAILATM=True></CONFIG>");
  Call(entry, 200);
  Call(entry, 400, "SUBJECT=leaving without unloading");
  Call(entry, 500, argv[3]);
  Call(entry, 600);
  if (configure) {
    std::atomic<bool> done{false};
    std::thread closer(CloseShownWindows, std::cref(done));
    Call(entry, 800);
    done = true;
    closer.join();
  }
  std::cout << "leaving" << std::endl;
  return 0;
}
