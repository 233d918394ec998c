// Runs work in a child process that has a host name and an /etc/hosts of
// its own (a UTS and a mount namespace, the hosts file bound over the
// real one), so tests of the host's own addresses can set up the cases a
// machine may have, Debian's 127.0.1.1 among them, without touching the
// machine. Needs root; the child answers "skip" when the namespaces cannot
// be had.
#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <string>

#include "support/vxChildProcess.h"
#include "support/vxTestTempDir.h"

namespace vxTest {

template <class Work>
TChildOutput WithHostsFile(const std::string& HostName, const std::string& HostsText, Work work) {
  TTestTempDir dir("vxhosts");
  const std::string hosts = dir.File("hosts");
  TTestTempDir::WriteBytes(hosts, HostsText);
  return RunInChildForText([&] {
    if (unshare(CLONE_NEWUTS | CLONE_NEWNS) != 0) return std::string("skip");
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return std::string("skip");
    if (sethostname(HostName.data(), HostName.size()) != 0) return std::string("skip");
    if (mount(hosts.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0) return std::string("skip");
    return work();
  });
}

}  // namespace vxTest
