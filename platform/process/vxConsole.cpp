// Console output with ANSI sequences and key presses through termios and poll.
#include "platform/process/vxConsole.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace vxConsole {

namespace {

bool WriteAll(int Fd, std::string_view Data) {
  while (!Data.empty()) {
    const ssize_t n = write(Fd, Data.data(), Data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    Data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Non-canonical, no echo, for the lifetime of the object.
class TRawMode {
 public:
  explicit TRawMode(int Fd) : FFd(Fd) {
    if (tcgetattr(Fd, &FOld) != 0) return;
    termios raw = FOld;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    FSet = tcsetattr(Fd, TCSANOW, &raw) == 0;
  }
  ~TRawMode() {
    if (FSet) tcsetattr(FFd, TCSANOW, &FOld);
  }
  TRawMode(const TRawMode&) = delete;
  TRawMode& operator=(const TRawMode&) = delete;

 private:
  int FFd;
  termios FOld{};
  bool FSet = false;
};

bool Readable(int Fd, int TimeoutMs) {
  pollfd p{Fd, POLLIN, 0};
  int n;
  do {
    n = poll(&p, 1, TimeoutMs);
  } while (n < 0 && errno == EINTR);
  return n > 0 && (p.revents & POLLIN) != 0;
}

}  // namespace

bool IsTerminal(int Fd) { return Fd >= 0 && isatty(Fd) == 1; }

std::string ColourSequence(uint16_t Attribute) {
  switch (Attribute) {
    case 3: return "\x1b[36m";
    case 4: return "\x1b[31m";
    case 7: return "\x1b[37m";
    case 8: return "\x1b[90m";
    case 10: return "\x1b[92m";
    case 12: return "\x1b[91m";
    case 14: return "\x1b[93m";
    case 15: return "\x1b[97m";
    default: return {};
  }
}

bool WriteText(int Fd, std::string_view Text, uint16_t Attribute) {
  if (Fd < 0) return false;
  if (IsTerminal(Fd)) {
    std::string coloured = ColourSequence(Attribute);
    coloured.append(Text);
    return WriteAll(Fd, coloured);
  }
  return WriteAll(Fd, Text);
}

bool WriteText(int Fd, std::string_view Text) { return Fd >= 0 && WriteAll(Fd, Text); }

bool ClearScreen(int Fd) { return IsTerminal(Fd) && WriteAll(Fd, "\x1b[2J\x1b[3J\x1b[H"); }

bool SetTitle(int Fd, std::string_view Title) {
  if (!IsTerminal(Fd)) return false;
  // Control characters would end the sequence early.
  std::string sequence = "\x1b]0;";
  for (char c : Title) sequence.push_back(static_cast<unsigned char>(c) < 32 || c == 127 ? ' ' : c);
  sequence += "\x07";
  return WriteAll(Fd, sequence);
}

bool KeyPressed(int Fd) {
  if (!IsTerminal(Fd)) return false;
  TRawMode raw(Fd);
  if (!Readable(Fd, 0)) return false;
  char key;
  return read(Fd, &key, 1) == 1;
}

bool WaitForInput(int Fd, int TimeoutMs) {
  if (!IsTerminal(Fd)) return false;
  TRawMode raw(Fd);
  return Readable(Fd, TimeoutMs);
}

}  // namespace vxConsole
