// The locked store of one root key's file: reading with a cache by file
// identity, and read-modify-write under a lock with the atomic file writer.
#include "platform/registry/vxRegStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxSystemInfo.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileSystem.h"
#include "platform/registry/vxRegText.h"

namespace vxRegFile {

namespace {

[[noreturn]] void RaiseOS(const std::string& what, const std::string& path, int error) {
  throw EOSError(what + " \"" + path + "\": " + vxExceptions::ErrnoText(error), error);
}

struct TFileIdentity {
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  struct timespec Modified {};
  struct timespec Changed {};

  explicit TFileIdentity(const struct stat& st)
      : Device(st.st_dev), Inode(st.st_ino), Size(st.st_size), Modified(st.st_mtim), Changed(st.st_ctim) {}

  bool operator==(const TFileIdentity& other) const {
    return Device == other.Device && Inode == other.Inode && Size == other.Size &&
           Modified.tv_sec == other.Modified.tv_sec && Modified.tv_nsec == other.Modified.tv_nsec &&
           Changed.tv_sec == other.Changed.tv_sec && Changed.tv_nsec == other.Changed.tv_nsec;
  }
};

struct TCacheEntry {
  TFileIdentity Identity;
  std::shared_ptr<const TRegKeyNode> Root;
};

// Parsed files by path, shared by every thread of the process.
struct TCache {
  std::mutex Mutex;
  std::unordered_map<std::string, TCacheEntry> Entries;
};

TCache& Cache() {
  static TCache cache;
  return cache;
}

void Remember(const std::string& path, const TFileIdentity& identity, std::shared_ptr<const TRegKeyNode> root) {
  TCache& cache = Cache();
  const std::lock_guard<std::mutex> guard(cache.Mutex);
  cache.Entries.insert_or_assign(path, TCacheEntry{identity, std::move(root)});
}

std::string ReadAll(int fd, const std::string& path) {
  std::string text;
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return text;
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseOS("cannot read registry file", path, errno);
    }
    text.append(buffer, static_cast<size_t>(n));
  }
}

// Creates Folder and its missing parents, readable by the owner only.
void MakeFolder(const std::string& folder) {
  if (!vxFileSystem::ForceDirectories(Utf8ToWide(folder), 0700)) RaiseOS("cannot create registry folder", folder, errno);
}

void SyncFolder(const std::string& folder) {
  if (!vxFileSystem::SyncFolder(Utf8ToWide(folder))) RaiseOS("cannot flush registry folder", folder, errno);
}

}  // namespace

std::string RegistryFolder() {
  const char* folder = std::getenv("VARLO_REGISTRY");
  if (folder != nullptr && folder[0] != '\0') return folder;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/varlo/registry";
  const std::string home = vxSystemInfo::HomeFolder();
  if (home.empty()) throw ERegistryException("no registry folder: set VARLO_REGISTRY or HOME");
  return home + "/.config/varlo/registry";
}

TRegStore::TRegStore(ustring rootName)
    : FRootName(std::move(rootName)),
      FFolder(RegistryFolder()),
      FFileName(FFolder + "/" + WideToUtf8(FRootName) + ".reg") {}

std::shared_ptr<const TRegKeyNode> TRegStore::Read() const {
  struct stat st;
  if (::stat(FFileName.c_str(), &st) != 0) {
    if (errno == ENOENT) return std::make_shared<const TRegKeyNode>(FRootName);
    RaiseOS("cannot read registry file", FFileName, errno);
  }
  {
    TCache& cache = Cache();
    const std::lock_guard<std::mutex> guard(cache.Mutex);
    const auto it = cache.Entries.find(FFileName);
    if (it != cache.Entries.end() && it->second.Identity == TFileIdentity(st)) return it->second.Root;
  }
  const vxFileSystem::TFileHandle fd(::open(FFileName.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) {
    if (errno == ENOENT) return std::make_shared<const TRegKeyNode>(FRootName);
    RaiseOS("cannot read registry file", FFileName, errno);
  }
  if (::fstat(fd.Fd(), &st) != 0) RaiseOS("cannot read registry file", FFileName, errno);
  std::shared_ptr<const TRegKeyNode> root = ParseRegText(ReadAll(fd.Fd(), FFileName), FRootName, FFileName);
  Remember(FFileName, TFileIdentity(st), root);
  return root;
}

bool TRegStore::Writable() const {
  if (::faccessat(AT_FDCWD, FFolder.c_str(), W_OK | X_OK, AT_EACCESS) != 0 && errno != ENOENT) return false;
  if (::faccessat(AT_FDCWD, FFileName.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) return false;
  return true;
}

void TRegStore::Modify(const std::function<bool(TRegKeyNode& root)>& change) const {
  MakeFolder(FFolder);
  const std::string lockName = FFileName + ".lock";
  const vxFileSystem::TFileHandle lock(::open(lockName.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644));
  if (!lock.Valid()) RaiseOS("cannot open registry lock file", lockName, errno);
  while (::flock(lock.Fd(), LOCK_EX) != 0) {
    if (errno != EINTR) RaiseOS("cannot lock registry file", lockName, errno);
  }

  // Always the file as it is now: another process may have changed it since
  // this one last read it.
  std::unique_ptr<TRegKeyNode> root;
  bool existed = false;
  mode_t mode = 0;
  {
    const vxFileSystem::TFileHandle in(::open(FFileName.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Valid()) {
      struct stat st;
      if (::fstat(in.Fd(), &st) != 0) RaiseOS("cannot read registry file", FFileName, errno);
      existed = true;
      mode = st.st_mode & 07777;
      // The rename would not need it, but a file without write permission is
      // meant to stay as it is.
      if (::faccessat(AT_FDCWD, FFileName.c_str(), W_OK, AT_EACCESS) != 0) {
        RaiseOS("cannot write registry file", FFileName, errno);
      }
      root = ParseRegText(ReadAll(in.Fd(), FFileName), FRootName, FFileName);
    } else if (errno == ENOENT) {
      root = std::make_unique<TRegKeyNode>(FRootName);
    } else {
      RaiseOS("cannot read registry file", FFileName, errno);
    }
  }
  if (!change(*root)) return;
  const std::string text = FormatRegText(*root);

  // The one atomic writer, with the fixed temporary name "<file>.tmp": the
  // lock keeps other writers out, so one found there was left by a writer
  // that died and is removed first. The writer keeps the mode and owner of
  // the file it replaces; a new file gets 0644 less the umask.
  const std::string tempName = FFileName + ".tmp";
  vxFileSystem::TAtomicFileWriter out(Utf8ToWide(FFileName), Utf8ToWide(tempName), 0644);
  if (!out.Valid()) RaiseOS("cannot create registry file", tempName, errno);
  if (!out.Write(text)) RaiseOS("cannot write registry file", tempName, errno);
  if (existed && !out.SetMode(mode)) RaiseOS("cannot set the mode of", tempName, errno);
  struct stat st;
  if (!out.Commit(true, st)) RaiseOS("cannot replace registry file", FFileName, errno);
  Remember(FFileName, TFileIdentity(st), std::shared_ptr<const TRegKeyNode>(std::move(root)));
  SyncFolder(FFolder);
}

}  // namespace vxRegFile
