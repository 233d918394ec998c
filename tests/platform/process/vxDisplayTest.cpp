// The display check against real sockets: an X display on TCP, a Wayland
// socket by path and by name, the variables missing or naming nothing.
#include "platform/process/vxDisplay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxFileDescriptor.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

// The display variables of one case; the others removed.
struct TDisplayEnv {
  vxTest::TScopedEnv Platform, X, Wayland;
  TDisplayEnv(std::optional<std::string> QtPlatform, std::optional<std::string> Display,
              std::optional<std::string> WaylandDisplay)
      : Platform("QT_QPA_PLATFORM", QtPlatform), X("DISPLAY", Display), Wayland("WAYLAND_DISPLAY", WaylandDisplay) {}
};

// A TCP listener on 127.0.0.1 at the port of some X display number.
struct TXListener {
  TFileDescriptor Socket;
  int Number = -1;
  TXListener() {
    for (int n = 41; n < 200 && Number < 0; ++n) {
      TFileDescriptor s(::socket(AF_INET, SOCK_STREAM, 0));
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      a.sin_port = htons(static_cast<uint16_t>(6000 + n));
      if (::bind(s.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(s.Get(), 4) == 0) {
        Socket = std::move(s);
        Number = n;
      }
    }
  }
  std::string Display() const { return "127.0.0.1:" + std::to_string(Number) + ".0"; }
};

// A listening local socket at Path.
TFileDescriptor ListenLocal(const std::string& Path) {
  TFileDescriptor s(::socket(AF_UNIX, SOCK_STREAM, 0));
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::memcpy(a.sun_path, Path.data(), Path.size());
  EXPECT_EQ(::bind(s.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  EXPECT_EQ(::listen(s.Get(), 4), 0);
  return s;
}

std::string Reason(const TDisplayCheck& Check) { return WideToUtf8(Check.Reason); }

}  // namespace

TEST(Display, NoVariableMeansNoDisplay) {
  TDisplayEnv env(std::nullopt, std::nullopt, std::nullopt);
  const TDisplayCheck check = vxDisplay::CheckDisplay();
  EXPECT_FALSE(check.Usable);
  EXPECT_EQ(Reason(check), "no display: none of DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set");
  TDisplayEnv empty("", "", "");
  EXPECT_FALSE(vxDisplay::CheckDisplay().Usable);
}

TEST(Display, ToolkitPlatformChosenByTheCallerStands) {
  TDisplayEnv env("offscreen", ":9999", std::nullopt);
  const TDisplayCheck check = vxDisplay::CheckDisplay();
  EXPECT_TRUE(check.Usable);
  EXPECT_EQ(check.Platform, "");
  EXPECT_EQ(Reason(check), "");
}

TEST(Display, XDisplayOverTcp) {
  TXListener listener;
  ASSERT_GE(listener.Number, 0);
  {
    TDisplayEnv env(std::nullopt, listener.Display(), std::nullopt);
    const TDisplayCheck check = vxDisplay::CheckDisplay();
    EXPECT_TRUE(check.Usable) << Reason(check);
    EXPECT_EQ(check.Platform, "xcb");
  }
  const std::string display = listener.Display();
  listener.Socket.Reset(-1);
  TDisplayEnv env(std::nullopt, display, std::nullopt);
  const TDisplayCheck check = vxDisplay::CheckDisplay();
  EXPECT_FALSE(check.Usable);
  EXPECT_EQ(Reason(check), "no display: the X display \"" + display + "\" cannot be reached");
}

TEST(Display, WaylandSocketByPathAndByName) {
  TTestTempDir dir("vxdisplay");
  const TFileDescriptor socket = ListenLocal(dir.File("wayland-7"));
  {
    TDisplayEnv env(std::nullopt, std::nullopt, dir.File("wayland-7"));
    const TDisplayCheck check = vxDisplay::CheckDisplay();
    EXPECT_TRUE(check.Usable) << Reason(check);
    EXPECT_EQ(check.Platform, "wayland");
  }
  {
    vxTest::TScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path().string());
    TDisplayEnv env(std::nullopt, std::nullopt, "wayland-7");
    EXPECT_TRUE(vxDisplay::CheckDisplay().Usable);
  }
  // A reachable Wayland socket serves when the X display does not answer.
  TDisplayEnv env(std::nullopt, "nonsense", dir.File("wayland-7"));
  EXPECT_EQ(vxDisplay::CheckDisplay().Platform, "wayland");
}

TEST(Display, NamesThatLeadNowhere) {
  TTestTempDir dir("vxdisplay");
  vxTest::TScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path().string());
  TDisplayEnv env(std::nullopt, "nonsense", "wayland-0");
  const TDisplayCheck check = vxDisplay::CheckDisplay();
  EXPECT_FALSE(check.Usable);
  EXPECT_EQ(Reason(check),
            "no display: the X display \"nonsense\" and the Wayland display \"wayland-0\" cannot be reached");
}
