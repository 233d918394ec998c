// Reading registry values from a root of 1000 values: every read checks the
// writers' change counter (and now and then the file's identity), and parses
// the file only when it has changed. Reads beside an unordered_map find and
// copy; a write into a file of 100,000 values beside the durable-rewrite
// floor (the same bytes to a temporary file, fsync, rename, folder fsync).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <unordered_map>

#include "core/vxRegistry.h"
#include "platform/registry/vxRegFile.h"
#include "platform/registry/vxRegistry.h"

namespace {

// A registry folder of its own for the benchmark, removed at the end.
class TBenchRegistry {
 public:
  TBenchRegistry() {
    FFolder = (std::filesystem::temp_directory_path() / "vxregbenchXXXXXX").string();
    if (mkdtemp(FFolder.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    setenv("VARLO_REGISTRY", FFolder.c_str(), 1);
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(u"SOFTWARE\\varlo\\System", true)) throw std::runtime_error("cannot open key");
    for (int i = 0; i < 1000; ++i) {
      const std::string name = "Value" + std::to_string(i);
      reg.WriteString(ustring(name.begin(), name.end()), u"some setting of moderate length");
    }
  }
  ~TBenchRegistry() {
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
  }
  const std::string& Folder() const { return FFolder; }

 private:
  std::string FFolder;
};

void UseBenchRegistry() {
  static const TBenchRegistry registry;
  setenv("VARLO_REGISTRY", registry.Folder().c_str(), 1);
}

void BM_ReadStringUnchangedFile(benchmark::State& state) {
  UseBenchRegistry();
  for (auto _ : state) {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKeyReadOnly(u"SOFTWARE\\varlo\\System")) state.SkipWithError("cannot open key");
    benchmark::DoNotOptimize(reg.ReadString(u"Value500"));
  }
}
BENCHMARK(BM_ReadStringUnchangedFile);

// The key opened once; every read must still see a change by another process.
void BM_ReadOpenKey(benchmark::State& state) {
  UseBenchRegistry();
  TRegistry reg(KEY_READ);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!reg.OpenKeyReadOnly(u"SOFTWARE\\varlo\\System")) state.SkipWithError("cannot open key");
  for (auto _ : state) benchmark::DoNotOptimize(reg.ReadString(u"Value500"));
}
BENCHMARK(BM_ReadOpenKey)->Name("RegistryRead:ours");

void BM_GetValue(benchmark::State& state) {
  UseBenchRegistry();
  const Variant fallback(ustring(u"none"));
  for (auto _ : state)
    benchmark::DoNotOptimize(TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\varlo\\System", u"Value500", fallback, false));
}
BENCHMARK(BM_GetValue)->Name("GetValue:ours");

// The peer of both reads: the same 1000 values in a map, found and copied.
void BM_MapRead(benchmark::State& state) {
  std::unordered_map<ustring, ustring> values;
  for (int i = 0; i < 1000; ++i) {
    const std::string name = "VALUE" + std::to_string(i);
    values.emplace(ustring(name.begin(), name.end()), u"some setting of moderate length");
  }
  const ustring key = u"VALUE500";
  for (auto _ : state) {
    ustring copy = values.find(key)->second;
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_MapRead)->Name("RegistryRead:unordered_map");
BENCHMARK(BM_MapRead)->Name("GetValue:unordered_map");

// A registry folder of its own holding 100,000 values in one key, made in
// one change.
class TLargeRegistry {
 public:
  TLargeRegistry() {
    FFolder = (std::filesystem::temp_directory_path() / "vxreglargeXXXXXX").string();
    if (mkdtemp(FFolder.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    setenv("VARLO_REGISTRY", FFolder.c_str(), 1);
    vxRegFile::TRegStore(u"HKEY_CURRENT_USER").Modify([](vxRegFile::TRegKeyNode& root) {
      bool created = false;
      vxRegFile::TRegKeyNode& key = root.ObtainPath({u"SOFTWARE", u"varlo", u"Large"}, created);
      const ustring text = u"some setting of moderate length";
      const std::string data(reinterpret_cast<const char*>(text.data()), text.size() * 2);
      for (int i = 0; i < 100000; ++i) {
        const std::string name = "Value" + std::to_string(i);
        key.SetValue(ustring(name.begin(), name.end()), REG_SZ, data + std::string(2, '\0'));
      }
      return true;
    });
  }
  ~TLargeRegistry() {
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
  }
  const std::string& Folder() const { return FFolder; }

 private:
  std::string FFolder;
};

const TLargeRegistry& UseLargeRegistry() {
  static const TLargeRegistry registry;
  setenv("VARLO_REGISTRY", registry.Folder().c_str(), 1);
  return registry;
}

void BM_WriteLarge(benchmark::State& state) {
  UseLargeRegistry();
  TRegistry reg;
  reg.SetRootKey(HKEY_CURRENT_USER);
  if (!reg.OpenKey(u"SOFTWARE\\varlo\\Large", false)) state.SkipWithError("cannot open key");
  int number = 0;
  for (auto _ : state) reg.WriteInteger(u"Counter", ++number);
}
BENCHMARK(BM_WriteLarge)->Name("RegistryWrite100k:ours")->UseRealTime()->Unit(benchmark::kMillisecond);

// The floor: the file's bytes written to a temporary file, fsync'ed, renamed
// over the file, and the folder fsync'ed.
void BM_DurableRewrite(benchmark::State& state) {
  const TLargeRegistry& registry = UseLargeRegistry();
  const std::string file = registry.Folder() + "/floor.reg";
  std::string bytes;
  {
    const std::string source = registry.Folder() + "/HKEY_CURRENT_USER.reg";
    const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<size_t>(n));
    ::close(fd);
  }
  for (auto _ : state) {
    const std::string temp = file + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    for (size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::fsync(fd);
    ::close(fd);
    ::rename(temp.c_str(), file.c_str());
    const int folder = ::open(registry.Folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(folder);
    ::close(folder);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_DurableRewrite)->Name("RegistryWrite100k:durable_floor")->UseRealTime()->Unit(benchmark::kMillisecond);

// What each read would cost if it parsed the file.
void BM_ParseRootFile(benchmark::State& state) {
  UseBenchRegistry();
  const auto root = vxRegFile::TRegStore(u"HKEY_LOCAL_MACHINE").Read();
  const std::string text = vxRegFile::FormatRegText(*root);
  for (auto _ : state) benchmark::DoNotOptimize(vxRegFile::ParseRegText(text, u"HKEY_LOCAL_MACHINE", "bench"));
}
BENCHMARK(BM_ParseRootFile);

}  // namespace
