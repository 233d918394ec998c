// vx_smtp_sink: the SMTP server the mail benchmarks send to, a process of
// its own so that its work never counts as the client's. It answers every
// command at once, offers SIZE, 8BITMIME and PIPELINING, and throws the
// message data away, looking only for the line that ends it (by its ".",
// so that the sink is never slower than the wire).
//
// Usage: vx_smtp_sink --port-file FILE [--save FOLDER]
//
// It listens on a free port of 127.0.0.1, writes the port to FILE once it
// listens, serves one session after the other and ends when its standard
// input reaches its end (the benchmark that started it is gone). With
// --save every message's data is kept in FOLDER as NNNN.data, exactly as it
// came after the 354 reply: dot-stuffed, with the final "." line, so that a
// benchmark can send the very same bytes again.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

class TFd {
 public:
  explicit TFd(int fd = -1) : FFd(fd) {}
  ~TFd() {
    if (FFd >= 0) ::close(FFd);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }

 private:
  int FFd;
};

constexpr std::string_view kDataEnd = "\r\n.\r\n";

bool Say(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    text.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

std::string UpperVerb(std::string_view line) {
  std::string verb(line.substr(0, 4));
  for (char& c : verb)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return verb;
}

class TSession {
 public:
  TSession(int fd, const std::string& saveFolder, unsigned& messageNumber)
      : FFd(fd), FSaveFolder(saveFolder), FMessageNumber(messageNumber) {}

  void Run() {
    if (!Say(FFd, "220 sink ready\r\n")) return;
    std::vector<char> buffer(1 << 20);
    for (;;) {
      const ssize_t got = ::recv(FFd, buffer.data(), buffer.size(), 0);
      if (got <= 0) return;
      std::string_view chunk(buffer.data(), static_cast<size_t>(got));
      while (!chunk.empty()) {
        if (FInData) {
          chunk = TakeData(chunk);
          continue;
        }
        const size_t lf = chunk.find('\n');
        FLine.append(chunk.substr(0, lf == std::string_view::npos ? chunk.size() : lf + 1));
        if (lf == std::string_view::npos) break;
        chunk.remove_prefix(lf + 1);
        if (!Command()) return;
        FLine.clear();
      }
    }
  }

 private:
  // One command line in FLine; false ends the session.
  bool Command() {
    const std::string verb = UpperVerb(FLine);
    if (verb == "EHLO") return Say(FFd, "250-sink\r\n250-SIZE\r\n250-8BITMIME\r\n250 PIPELINING\r\n");
    if (verb == "HELO") return Say(FFd, "250 sink\r\n");
    if (verb == "QUIT") {
      Say(FFd, "221 bye\r\n");
      return false;
    }
    if (verb == "DATA") {
      FInData = true;
      FTail = "\r\n";  // the data starts a line: a first "." line ends it
      if (!FSaveFolder.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "/%04u.data", ++FMessageNumber);
        FSaveFd = ::open((FSaveFolder + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      }
      return Say(FFd, "354 go ahead\r\n");
    }
    return Say(FFd, "250 ok\r\n");
  }

  // Data bytes: passed over up to the line that ends the message; what
  // follows it goes back to the commands.
  std::string_view TakeData(std::string_view chunk) {
    size_t end = std::string_view::npos;
    // The end line may straddle reads: the last bytes before this read and
    // the first of it.
    const std::string seam = FTail + std::string(chunk.substr(0, kDataEnd.size() - 1));
    const size_t inSeam = seam.find(kDataEnd);
    if (inSeam != std::string::npos) {
      end = inSeam + kDataEnd.size() - FTail.size();
    } else {
      end = FindEnd(chunk);
    }
    const std::string_view data = chunk.substr(0, end == std::string_view::npos ? chunk.size() : end);
    if (FSaveFd >= 0) WriteAll(FSaveFd, data);
    if (end == std::string_view::npos) {
      const std::string joined = FTail + std::string(chunk.substr(chunk.size() > 4 ? chunk.size() - 4 : 0));
      FTail = joined.substr(joined.size() > 4 ? joined.size() - 4 : 0);
      return {};
    }
    FInData = false;
    if (FSaveFd >= 0) {
      ::close(FSaveFd);
      FSaveFd = -1;
    }
    Say(FFd, "250 2.0.0 accepted\r\n");
    return chunk.substr(end);
  }

  // The end line wholly inside chunk, found by its "." (memchr runs on
  // whole vectors; Base64 has no "."): the position after it, or npos.
  static size_t FindEnd(std::string_view chunk) {
    const char* const begin = chunk.data();
    const char* const end = begin + chunk.size();
    for (const char* p = begin + 2; p + 2 < end;) {
      const char* dot = static_cast<const char*>(std::memchr(p, '.', static_cast<size_t>(end - 2 - p)));
      if (!dot) return std::string_view::npos;
      if (std::memcmp(dot - 2, kDataEnd.data(), kDataEnd.size()) == 0) return static_cast<size_t>(dot + 3 - begin);
      p = dot + 1;
    }
    return std::string_view::npos;
  }

  int FFd;
  const std::string& FSaveFolder;
  unsigned& FMessageNumber;
  std::string FLine;
  bool FInData = false;
  std::string FTail;
  int FSaveFd = -1;
};

}  // namespace

int main(int argc, char** argv) {
  std::string portFile, saveFolder;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view option = argv[i];
    if (option == "--port-file") portFile = argv[i + 1];
    else if (option == "--save") saveFolder = argv[i + 1];
  }
  if (portFile.empty()) {
    std::fputs("usage: vx_smtp_sink --port-file FILE [--save FOLDER]\n", stderr);
    return 2;
  }
  TFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener.Get(), 16) != 0 ||
      ::getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    std::perror("vx_smtp_sink: cannot listen");
    return 1;
  }
  // Written whole under another name first: a reader never sees half a number.
  const std::string partial = portFile + ".part";
  {
    TFd out(::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.Get() < 0 || !WriteAll(out.Get(), std::to_string(ntohs(address.sin_port)) + "\n")) return 1;
  }
  if (::rename(partial.c_str(), portFile.c_str()) != 0) return 1;

  unsigned messageNumber = 0;
  for (;;) {
    pollfd waits[2] = {{listener.Get(), POLLIN, 0}, {0, POLLIN, 0}};
    if (::poll(waits, 2, -1) < 0) continue;
    if (waits[1].revents != 0) {
      char ignored[64];
      if (::read(0, ignored, sizeof ignored) <= 0) return 0;
    }
    if ((waits[0].revents & POLLIN) == 0) continue;
    TFd session(::accept4(listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (session.Get() < 0) continue;
    const int on = 1;
    ::setsockopt(session.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    TSession(session.Get(), saveFolder, messageNumber).Run();
  }
}
