// Fuzzes the readers of a process's /proc folder on any content: the entry
// of the process list (its state from stat, its name from the exe link,
// cmdline or comm) and the resident pages of statm. A folder of this
// process's own stands for /proc/PID; the exe link, when the input has one,
// points at the fuzzed target, and the name is then that target's file name
// (" (deleted)" dropped). statm written from two numbers reads back the
// second.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxSystemInfo.h"
#include "platform/process/vxProcess.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    std::string f = "/tmp/vxfuzz-proc-XXXXXX";
    if (mkdtemp(f.data()) == nullptr) abort();
    return f;
  }();
  return folder;
}

void Write(const std::string& name, const std::string& bytes) {
  std::ofstream out(Folder() + "/" + name, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> f = vxFuzz::Fields(Data, Size, 5);
  Write("stat", f[0]);
  Write("cmdline", f[1]);
  Write("comm", f[2]);
  const std::string exe = Folder() + "/exe";
  unlink(exe.c_str());
  const bool linked = !f[3].empty() && f[3].size() < 4000 && symlink(f[3].c_str(), exe.c_str()) == 0;

  vxProcess::TProcessEntry entry{0, u"unread"};
  if (vxProcess::ReadProcessEntry(Folder(), 42, entry)) {
    vxFuzz::Check(entry.Pid == 42);
    if (linked) {
      std::string target = f[3];
      if (target.size() >= 10 && target.compare(target.size() - 10, 10, " (deleted)") == 0) target.resize(target.size() - 10);
      const size_t slash = target.rfind('/');
      vxFuzz::Check(entry.ExeName == Utf8ToWide(slash == std::string::npos ? target : target.substr(slash + 1)));
    }
  } else {
    vxFuzz::Check(entry.ExeName == u"unread");
  }

  (void)vxSystemInfo::ResidentPagesOfStatm(f[4]);
  const uint64_t total = Size, resident = f[4].size() * 4096ull + 7;
  vxFuzz::Check(vxSystemInfo::ResidentPagesOfStatm(std::to_string(total) + " " + std::to_string(resident) +
                                                   " 3 4 0 5 0\n") == resident);
  return 0;
}
