// The display check: environment first, then one connection attempt to the
// display's socket.
#include "platform/process/vxDisplay.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <string>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxFileDescriptor.h"

namespace vxDisplay {
namespace {

constexpr int ConnectTimeoutMs = 2000;

std::string Env(const char* Name) {
  const char* value = getenv(Name);
  return value != nullptr ? std::string(value) : std::string();
}

// One attempt to connect to a local socket; Abstract puts the name in the
// abstract namespace (the leading NUL).
bool ReachLocal(const std::string& Path, bool Abstract) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const size_t offset = Abstract ? 1 : 0;
  if (Path.size() + offset >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path + offset, Path.data(), Path.size());
  TFileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socket.Valid()) return false;
  const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + Path.size());
  return connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), length) == 0;
}

// A TCP connection to Host:Port within the time-out.
bool ReachTcp(const std::string& Host, int Port) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(Port);
  if (getaddrinfo(Host.c_str(), service.c_str(), &hints, &found) != 0) return false;
  bool reached = false;
  for (addrinfo* at = found; at != nullptr && !reached; at = at->ai_next) {
    TFileDescriptor socket(::socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, at->ai_protocol));
    if (!socket.Valid()) continue;
    if (connect(socket.Get(), at->ai_addr, at->ai_addrlen) == 0) {
      reached = true;
      break;
    }
    if (errno != EINPROGRESS) continue;
    pollfd wait{socket.Get(), POLLOUT, 0};
    if (poll(&wait, 1, ConnectTimeoutMs) != 1) continue;
    int error = 0;
    socklen_t size = sizeof error;
    reached = getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
  }
  freeaddrinfo(found);
  return reached;
}

// DISPLAY is [host]:number[.screen]; a local display listens on
// /tmp/.X11-unix/X<number> (abstract or on disk), a remote one on TCP port
// 6000 + number.
bool ReachX(const std::string& Display) {
  const size_t colon = Display.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string host = Display.substr(0, colon);
  const std::string rest = Display.substr(colon + 1);
  int number = -1;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
  if (error != std::errc() || end == rest.data() || number < 0 || number > 59535) return false;
  if (host.empty() || host == "unix") {
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    return ReachLocal(path, true) || ReachLocal(path, false);
  }
  return ReachTcp(host, 6000 + number);
}

// WAYLAND_DISPLAY is a socket name in XDG_RUNTIME_DIR, or an absolute path.
bool ReachWayland(const std::string& Name) {
  if (!Name.empty() && Name[0] == '/') return ReachLocal(Name, false);
  const std::string runtime = Env("XDG_RUNTIME_DIR");
  if (runtime.empty()) return false;
  return ReachLocal(runtime + "/" + Name, false);
}

}  // namespace

TDisplayCheck CheckDisplay() {
  TDisplayCheck check;
  try {
    // The caller's explicit choice of platform (offscreen among them) stands.
    if (!Env("QT_QPA_PLATFORM").empty()) {
      check.Usable = true;
      return check;
    }
    const std::string x = Env("DISPLAY");
    const std::string wayland = Env("WAYLAND_DISPLAY");
    if (x.empty() && wayland.empty()) {
      check.Reason = u"no display: none of DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set";
      return check;
    }
    if (!x.empty() && ReachX(x)) {
      check.Usable = true;
      check.Platform = "xcb";
      return check;
    }
    if (!wayland.empty() && ReachWayland(wayland)) {
      check.Usable = true;
      check.Platform = "wayland";
      return check;
    }
    ustring names;
    if (!x.empty()) names = u"the X display \"" + Utf8ToWide(x) + u"\"";
    if (!wayland.empty())
      names += (names.empty() ? u"" : u" and ") + ustring(u"the Wayland display \"") + Utf8ToWide(wayland) + u"\"";
    check.Reason = u"no display: " + names + u" cannot be reached";
  } catch (...) {
    check = TDisplayCheck{};
    check.Reason = u"no display: the display could not be checked";
  }
  return check;
}

}  // namespace vxDisplay
