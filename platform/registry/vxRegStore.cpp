// The store of one root key's file: one parsed copy per file and process,
// kept fresh by the writers' change counter and the file's identity, and
// read-modify-write under a lock with the atomic file writer.
#include "platform/registry/vxRegStore.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <shared_mutex>
#include <utility>
#include <vector>

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

// How long a read trusts the file's identity when the counter says nothing
// changed: at most once per tick of the coarse clock it is looked at.
constexpr int64_t kIdentityCheckInterval = 1'000'000;  // ns

std::atomic<TRegClock> gClock{nullptr};

int64_t CoarseNow() {
  struct timespec now {};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

int64_t Now() {
  const TRegClock clock = gClock.load(std::memory_order_relaxed);
  return clock != nullptr ? clock() : CoarseNow();
}

// Raised in a forked child, whose copies were checked by its parent: its
// first read of each file looks at the file again.
std::atomic<uint32_t> gForkEpoch{0};

struct TFileIdentity {
  bool Exists = false;
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  struct timespec Modified {};
  struct timespec Changed {};

  TFileIdentity() = default;
  explicit TFileIdentity(const struct stat& st)
      : Exists(true), Device(st.st_dev), Inode(st.st_ino), Size(st.st_size), Modified(st.st_mtim),
        Changed(st.st_ctim) {}

  bool operator==(const TFileIdentity& other) const {
    if (Exists != other.Exists) return false;
    return !Exists ||
           (Device == other.Device && Inode == other.Inode && Size == other.Size &&
            Modified.tv_sec == other.Modified.tv_sec && Modified.tv_nsec == other.Modified.tv_nsec &&
            Changed.tv_sec == other.Changed.tv_sec && Changed.tv_nsec == other.Changed.tv_nsec);
  }
};

std::string ReadAll(int fd, const std::string& path) {
  std::string text;
  struct stat st;
  if (::fstat(fd, &st) == 0 && st.st_size > 0) text.reserve(static_cast<size_t>(st.st_size));
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

constexpr size_t kCounterSize = sizeof(uint64_t);

}  // namespace

// What this process holds of one file. The fields below Lock are read under
// a shared lock and changed only under the exclusive one.
struct TRegStore::TState {
  ustring RootName;
  std::string Folder;
  std::string FileName;
  std::string LockName;

  std::shared_mutex Lock;
  std::shared_ptr<TRegKeyNode> Root;  // nullptr: not read (or dropped after a failed change)
  std::string Text;                   // the text the values' positions refer to
  std::string Spare;                  // the text before, whose storage the next one reuses
  TFileIdentity Identity;             // of the file Root was read from or written to
  uint64_t Generation = 0;            // the counter when Root was last known to be the file
  uint64_t Version = 1;               // raised whenever Root changes
  int64_t NextCheck = 0;              // when a read looks at the file's identity again
  uint32_t ForkEpoch = 0;
  const uint64_t* Counter = nullptr;  // the mapped counter, when there is one

  TState(std::u16string_view rootName, std::string_view folder)
      : RootName(rootName),
        Folder(folder),
        FileName(Folder + "/" + WideToUtf8(RootName) + ".reg"),
        LockName(FileName + ".lock") {}
  TState(const TState&) = delete;
  TState& operator=(const TState&) = delete;
  ~TState() {
    if (Counter != nullptr) ::munmap(const_cast<uint64_t*>(Counter), kCounterSize);
  }

  uint64_t CounterValue() const {
    return Counter == nullptr ? 0 : __atomic_load_n(Counter, __ATOMIC_ACQUIRE);
  }

  bool Fresh() const {
    return Root != nullptr && Counter != nullptr && CounterValue() == Generation &&
           ForkEpoch == gForkEpoch.load(std::memory_order_relaxed) && Now() < NextCheck;
  }

  // Maps the counter of the lock file when one exists. A read never makes
  // one: it must work in a folder it may not write to and change nothing;
  // without a counter every read looks at the file's identity.
  void MapCounter() {
    if (Counter != nullptr) return;
    const vxFileSystem::TFileHandle file(::open(LockName.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    // Only a file of the full size: a mapped page past its end would fault.
    if (!file.Valid() || ::fstat(file.Fd(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size < static_cast<off_t>(kCounterSize)) {
      return;
    }
    void* map = ::mmap(nullptr, kCounterSize, PROT_READ, MAP_SHARED, file.Fd(), 0);
    if (map != MAP_FAILED) Counter = static_cast<const uint64_t*>(map);
  }

  void Drop() {
    Root.reset();
    Text.clear();
    Spare = std::string();
    Identity = TFileIdentity();
    ++Version;
  }

  // Reads the file that Fd (or, when not valid, no file) is.
  void Load(const vxFileSystem::TFileHandle& fd, const TFileIdentity& identity) {
    std::string text;
    std::unique_ptr<TRegKeyNode> root;
    if (fd.Valid()) {
      text = ReadAll(fd.Fd(), FileName);
      root = ParseRegText(text, RootName, FileName);
    } else {
      root = std::make_unique<TRegKeyNode>(RootName);
    }
    Root = std::move(root);
    Text = std::move(text);
    Identity = identity;
    ++Version;
  }

  // Under the exclusive lock: makes Root the file's content and notes when
  // that was known.
  void Refresh() {
    MapCounter();
    const uint64_t generation = CounterValue();  // before the file: never newer than its content
    struct stat st;
    TFileIdentity identity;
    if (::stat(FileName.c_str(), &st) == 0) {
      identity = TFileIdentity(st);
    } else if (errno != ENOENT) {
      RaiseOS("cannot read registry file", FileName, errno);
    }
    if (Root == nullptr || !(identity == Identity)) {
      vxFileSystem::TFileHandle fd;
      if (identity.Exists) {
        fd = vxFileSystem::TFileHandle(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd.Valid() && errno != ENOENT) RaiseOS("cannot read registry file", FileName, errno);
        if (fd.Valid() && ::fstat(fd.Fd(), &st) != 0) RaiseOS("cannot read registry file", FileName, errno);
      }
      Load(fd, fd.Valid() ? TFileIdentity(st) : TFileIdentity());
    }
    Generation = generation;
    ForkEpoch = gForkEpoch.load(std::memory_order_relaxed);
    NextCheck = Now() + kIdentityCheckInterval;
  }
};

namespace {

// The states of the files this process uses, most recent first; those no
// handle holds any more are let go beyond a few.
struct TStates {
  static constexpr size_t kKept = 16;
  std::mutex Mutex;
  std::vector<std::shared_ptr<TRegStore::TState>> List;

  TStates() {
    pthread_atfork(nullptr, nullptr, [] { gForkEpoch.fetch_add(1, std::memory_order_relaxed); });
  }

  std::shared_ptr<TRegStore::TState> Find(std::u16string_view rootName, std::string_view folder) {
    const std::lock_guard<std::mutex> guard(Mutex);
    for (const auto& state : List) {
      if (state->Folder == folder && state->RootName == rootName) return state;
    }
    for (size_t i = List.size(); i > 0 && List.size() >= kKept; --i) {
      if (List[i - 1].use_count() == 1) List.erase(List.begin() + static_cast<std::ptrdiff_t>(i - 1));
    }
    List.insert(List.begin(), std::make_shared<TRegStore::TState>(rootName, folder));
    return List.front();
  }
};

TStates& States() {
  static TStates states;
  return states;
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

void SetRegClock(TRegClock clock) { gClock.store(clock, std::memory_order_relaxed); }

TRegStore::TRegStore(std::u16string_view rootName) {
  // The folder named by the environment is looked up without a copy.
  const char* named = std::getenv("VARLO_REGISTRY");
  if (named != nullptr && named[0] != '\0') {
    FState = States().Find(rootName, named);
  } else {
    FState = States().Find(rootName, RegistryFolder());
  }
}

const std::string& TRegStore::FileName() const { return FState->FileName; }
const std::string& TRegStore::Folder() const { return FState->Folder; }

TRegStore::TReadLock::TReadLock(const TRegStore& store) : FState(*store.FState) {
  FState.Lock.lock_shared();
  if (FState.Fresh()) return;
  FState.Lock.unlock_shared();
  FState.Lock.lock();
  FExclusive = true;
  try {
    FState.Refresh();
  } catch (...) {
    FState.Lock.unlock();
    throw;
  }
}

TRegStore::TReadLock::~TReadLock() {
  if (FExclusive) {
    FState.Lock.unlock();
  } else {
    FState.Lock.unlock_shared();
  }
}

const TRegKeyNode& TRegStore::TReadLock::Root() const { return *FState.Root; }
uint64_t TRegStore::TReadLock::Version() const { return FState.Version; }

std::shared_ptr<const TRegKeyNode> TRegStore::Read() const {
  const TReadLock lock(*this);
  // A writer changes the tree in place only while nobody else holds it.
  return FState->Root;
}

bool TRegStore::Writable() const {
  if (::faccessat(AT_FDCWD, FState->Folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0 && errno != ENOENT) return false;
  if (::faccessat(AT_FDCWD, FState->FileName.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) return false;
  return true;
}

void TRegStore::Modify(const std::function<bool(TRegKeyNode& root)>& change) const {
  TState& state = *FState;
  const std::unique_lock<std::shared_mutex> guard(state.Lock);
  MakeFolder(state.Folder);
  const std::string& lockName = state.LockName;
  bool counts = true;  // this process may raise the counter
  vxFileSystem::TFileHandle lock(::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (!lock.Valid()) {
    counts = false;
    lock = vxFileSystem::TFileHandle(::open(lockName.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644));
  }
  if (!lock.Valid()) RaiseOS("cannot open registry lock file", lockName, errno);
  while (::flock(lock.Fd(), LOCK_EX) != 0) {
    if (errno != EINTR) RaiseOS("cannot lock registry file", lockName, errno);
  }
  // A new lock file gets its counter (8 zero bytes); it is only ever
  // extended, so a reader's mapping never faults.
  if (counts) {
    struct stat lockStatus;
    counts = ::fstat(lock.Fd(), &lockStatus) == 0 &&
             (lockStatus.st_size >= static_cast<off_t>(kCounterSize) || ::ftruncate(lock.Fd(), kCounterSize) == 0);
  }
  // Mapped through a descriptor of its own: a mapping keeps its open file
  // alive, and with it the lock, were it the locked one.
  state.MapCounter();
  const uint64_t generation = state.CounterValue();

  // The file as it is now: another process may have changed it since this
  // one last read it, and a program that does not count may have too.
  bool existed = false;
  mode_t mode = 0;
  {
    const vxFileSystem::TFileHandle in(::open(state.FileName.c_str(), O_RDONLY | O_CLOEXEC));
    TFileIdentity identity;
    if (in.Valid()) {
      struct stat st;
      if (::fstat(in.Fd(), &st) != 0) RaiseOS("cannot read registry file", state.FileName, errno);
      existed = true;
      mode = st.st_mode & 07777;
      identity = TFileIdentity(st);
      // The rename would not need it, but a file without write permission is
      // meant to stay as it is.
      if (::faccessat(AT_FDCWD, state.FileName.c_str(), W_OK, AT_EACCESS) != 0) {
        RaiseOS("cannot write registry file", state.FileName, errno);
      }
    } else if (errno != ENOENT) {
      RaiseOS("cannot read registry file", state.FileName, errno);
    }
    // The copy in memory is changed in place when it is the file's content
    // and nobody holds it.
    const bool current = state.Root != nullptr && state.Root.use_count() == 1 && identity == state.Identity &&
                         (state.Counter == nullptr || generation == state.Generation);
    if (!current) state.Load(in, identity);
    state.Generation = generation;
  }

  bool changed = false;
  try {
    changed = change(*state.Root);
  } catch (...) {
    state.Drop();
    throw;
  }
  if (!changed) return;

  try {
    std::string text = FormatRegText(*state.Root, state.Text, std::move(state.Spare));
    // The one atomic writer, with the fixed temporary name "<file>.tmp": the
    // lock keeps other writers out, so one found there was left by a writer
    // that died and is removed first. The writer keeps the mode and owner of
    // the file it replaces; a new file gets 0644 less the umask.
    const std::string tempName = state.FileName + ".tmp";
    vxFileSystem::TAtomicFileWriter out(Utf8ToWide(state.FileName), Utf8ToWide(tempName), 0644);
    if (!out.Valid()) RaiseOS("cannot create registry file", tempName, errno);
    if (!out.Write(text)) RaiseOS("cannot write registry file", tempName, errno);
    if (existed && !out.SetMode(mode)) RaiseOS("cannot set the mode of", tempName, errno);
    struct stat st;
    if (!out.Commit(true, st)) RaiseOS("cannot replace registry file", state.FileName, errno);
    state.Spare = std::move(state.Text);
    state.Text = std::move(text);
    state.Identity = TFileIdentity(st);
    ++state.Version;
  } catch (...) {
    state.Drop();
    throw;
  }
  // The new file is in place: tell every reader.
  if (counts) {
    void* map = ::mmap(nullptr, kCounterSize, PROT_READ | PROT_WRITE, MAP_SHARED, lock.Fd(), 0);
    if (map != MAP_FAILED) {
      state.Generation = std::atomic_ref<uint64_t>(*static_cast<uint64_t*>(map)).fetch_add(1, std::memory_order_release) + 1;
      ::munmap(map, kCounterSize);
    }
  }
  state.ForkEpoch = gForkEpoch.load(std::memory_order_relaxed);
  state.NextCheck = Now() + kIdentityCheckInterval;
  // The folder was flushed by the atomic writer once the new file was in
  // place.
}

}  // namespace vxRegFile
