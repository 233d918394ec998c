// Reading registry values from a root of 1000 values: every read checks the
// file, but parses it only when it has changed.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

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

 private:
  std::string FFolder;
};

void UseBenchRegistry() { static const TBenchRegistry registry; }

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

// What each read would cost if it parsed the file.
void BM_ParseRootFile(benchmark::State& state) {
  UseBenchRegistry();
  const auto root = vxRegFile::TRegStore(u"HKEY_LOCAL_MACHINE").Read();
  const std::string text = vxRegFile::FormatRegText(*root);
  for (auto _ : state) benchmark::DoNotOptimize(vxRegFile::ParseRegText(text, u"HKEY_LOCAL_MACHINE", "bench"));
}
BENCHMARK(BM_ParseRootFile);

}  // namespace
