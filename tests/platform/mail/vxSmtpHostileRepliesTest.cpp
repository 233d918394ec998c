// The SMTP client against a hostile peer in the test that floods it with
// long reply lines: the client's memory stays bounded. The client runs in a
// child process whose high-water mark of resident memory (VmHWM) is read
// before and after the session; this is a bound on memory, not on time.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/mail/vxSmtp.h"
#include "support/vxChildProcess.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// The peak resident memory of this process so far, in KiB.
long HighWaterKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) != 0) continue;
    long value = 0;
    for (const char c : line)
      if (c >= '0' && c <= '9') value = value * 10 + (c - '0');
    return value;
  }
  return -1;
}

// A peer on 127.0.0.1 that takes one connection and runs Script on it in a
// thread of its own; what it sends after the client is gone is dropped.
class THostilePeer {
 public:
  using TScript = std::function<void(THostilePeer&)>;

  explicit THostilePeer(TScript Script) {
    FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (FListener < 0 || ::bind(FListener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(FListener, 1) != 0 || ::getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("cannot listen on 127.0.0.1");
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this, Script] {
      FSocket = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
      if (FSocket < 0) return;
      // Neither side waits for ever on the other.
      const timeval limit{30, 0};
      setsockopt(FSocket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
      setsockopt(FSocket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
      Script(*this);
      ::close(FSocket);
    });
  }
  ~THostilePeer() {
    if (FThread.joinable()) FThread.join();
    ::close(FListener);
  }

  uint16_t Port() const { return FPort; }

  // False once the client is gone.
  bool Send(const std::string& Bytes) {
    size_t sent = 0;
    while (FOpen && sent < Bytes.size()) {
      const ssize_t n = ::send(FSocket, Bytes.data() + sent, Bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) FOpen = false;
      else sent += static_cast<size_t>(n);
    }
    return FOpen;
  }
  // Reads Count lines from the client.
  bool ReadLines(size_t Count) {
    char c;
    while (FOpen && Count > 0) {
      if (::recv(FSocket, &c, 1, 0) != 1) FOpen = false;
      else if (c == '\n') --Count;
    }
    return FOpen;
  }
  // A reply of Lines lines of LineLength bytes each (code included, the
  // line end not counted).
  bool SendReply(size_t Lines, size_t LineLength) {
    for (size_t i = 0; i < Lines; ++i) {
      std::string line = std::string(i + 1 < Lines ? "250-" : "250 ") + std::string(LineLength - 4, 'x') + "\r\n";
      if (!Send(line)) return false;
    }
    return true;
  }

 private:
  int FListener = -1;
  int FSocket = -1;
  uint16_t FPort = 0;
  bool FOpen = true;
  std::thread FThread;
};

// Runs Session in a child process; gives back its text: the error the
// session ended with, "|", and the growth of its peak memory in KiB.
vxTest::TChildOutput InChild(uint16_t Port, const std::function<void(TSmtpClient&)>& Session) {
  return vxTest::RunInChildForText([&] {
    TSmtpClient client;
    client.Host = "127.0.0.1";
    client.Port = Port;
    client.HeloName = "client.test";
    client.Timeouts.ConnectMs = 10'000;
    client.Timeouts.ReplyMs = 30'000;
    const long before = HighWaterKiB();
    std::string error = "no error";
    try {
      Session(client);
    } catch (const std::exception& e) {
      error = e.what();
    }
    return error + "|" + std::to_string(HighWaterKiB() - before);
  });
}

constexpr long kMostGrowthKiB = 16 * 1024;

// The growth of the peak memory from a child's text.
long GrowthKiB(const std::string& Text) {
  long value = 0;
  for (size_t i = Text.find('|') + 1; i < Text.size() && Text[i] >= '0' && Text[i] <= '9'; ++i)
    value = value * 10 + (Text[i] - '0');
  return value;
}

// A reply past one of the limits fails the session with a text saying
// which, once the limit is reached, whatever follows: 999 lines of 64 KiB
// (past 1 MiB after 16 of them), one line of 16 MiB, 2000 short lines.
TEST(SmtpHostileReplies, RepliesPastTheLimits) {
  struct TCase {
    size_t Lines, LineLength;
    std::string Error;  // after "the reply from 127.0.0.1:PORT" or "a line from 127.0.0.1:PORT"
  };
  const TCase cases[] = {
      {999, 64 * 1024, " is longer than 1048576 bytes"},
      {1, 16 * 1024 * 1024, " is longer than 65536 bytes"},
      {2000, 10, " has more than 1000 lines"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Error);
    THostilePeer peer([&](THostilePeer& p) {
      p.Send("220 hostile.test\r\n") && p.ReadLines(1) && p.SendReply(c.Lines, c.LineLength);
    });
    const vxTest::TChildOutput child = InChild(peer.Port(), [](TSmtpClient& Client) { Client.Connect(); });
    ASSERT_EQ(child.ExitCode, 0);
    const std::string peerName = "127.0.0.1:" + std::to_string(peer.Port());
    const std::string subject = c.Lines == 1 ? "a line from " : "the reply from ";
    EXPECT_EQ(child.Text.substr(0, child.Text.find('|')), subject + peerName + c.Error);
    EXPECT_LT(GrowthKiB(child.Text), kMostGrowthKiB) << child.Text;
  }
}

// A pipelined batch of 100 replies, each of 15 lines of 64 KiB (inside the
// limits, 96 MiB in all): the bytes taken are let go as the lines are.
TEST(SmtpHostileReplies, PipelinedFloodOfLongReplies) {
  if (kAddressSanitizer)
    GTEST_SKIP() << "AddressSanitizer holds freed memory in its quarantine: the peak says nothing here";
  THostilePeer peer([](THostilePeer& p) {
    if (!p.Send("220 hostile.test\r\n") || !p.ReadLines(1) || !p.Send("250-hostile.test\r\n250 PIPELINING\r\n") ||
        !p.ReadLines(100))
      return;
    for (int reply = 0; reply < 100; ++reply)
      if (!p.SendReply(15, 64 * 1024)) return;
    p.ReadLines(1) && p.Send("554 no\r\n") && p.ReadLines(1);
  });
  const vxTest::TChildOutput child = InChild(peer.Port(), [](TSmtpClient& c) {
    c.UsePipelining = true;
    c.Connect();
    std::vector<std::string> recipients;
    for (int i = 0; i < 99; ++i) recipients.push_back("r" + std::to_string(i) + "@x");
    c.SendData("a@x", recipients, "x");
  });
  ASSERT_EQ(child.ExitCode, 0);
  EXPECT_EQ(child.Text.substr(0, child.Text.find('|')), "DATA refused: 554 no");
  EXPECT_LT(GrowthKiB(child.Text), kMostGrowthKiB) << child.Text;
}

}  // namespace
