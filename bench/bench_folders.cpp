// Listing a folder of many sibling folders (and a deeper tree) with
// TvxFiles::GetPathList, beside GetSubDirs (the other folder walk of the
// same layer) and a plain std::filesystem walk that collects the same
// paths: the time of a walk must grow with the folders it lists, not with
// their square.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/vxFilesLists.h"
#include "platform/base/vxCodePage.h"
#include "tests/support/vxTestTempDir.h"

namespace {

namespace stdfs = std::filesystem;

// "wide/" with N sibling folders; "deep/" with 40 folders of 40 folders each.
struct TTree {
  TTestTempDir Dir;
  explicit TTree(int siblings) {
    for (int i = 0; i < siblings; ++i) stdfs::create_directories(Dir.Path() / "wide" / ("f" + std::to_string(i)));
    for (int i = 0; i < 40; ++i)
      for (int j = 0; j < 40; ++j)
        stdfs::create_directories(Dir.Path() / "deep" / ("d" + std::to_string(i)) / ("e" + std::to_string(j)));
  }
};

TTree& Tree() {
  static TTree tree(20000);
  return tree;
}

ustring Root(const char* name) { return Tree().Dir.WideFile(name) + u"/"; }

void BM_PathList(benchmark::State& state, const char* name) {
  const ustring root = Root(name);
  int64_t count = 0;
  for (auto _ : state) {
    TStringList list;
    TvxFiles::GetPathList(root, list, false, true);
    count = list.Count();
  }
  state.counters["folders"] = static_cast<double>(count);
}

void BM_SubDirs(benchmark::State& state, const char* name) {
  const ustring root = Root(name);
  int64_t count = 0;
  for (auto _ : state) {
    TStringList list;
    TvxFiles::GetSubDirs(root, list, nullptr, true, false);
    count = list.Count();
  }
  state.counters["folders"] = static_cast<double>(count);
}

// Depth first as GetPathList lists, each path with its final "/".
void Walk(const stdfs::path& folder, std::vector<std::string>& paths) {
  for (const stdfs::directory_entry& entry : stdfs::directory_iterator(folder)) {
    if (!entry.is_directory() || entry.is_symlink()) continue;
    paths.push_back(entry.path().string() + "/");
    Walk(entry.path(), paths);
  }
}

void BM_Filesystem(benchmark::State& state, const char* name) {
  const stdfs::path root = Tree().Dir.Path() / name;
  int64_t count = 0;
  for (auto _ : state) {
    std::vector<std::string> paths;
    Walk(root, paths);
    count = static_cast<int64_t>(paths.size());
  }
  state.counters["folders"] = static_cast<double>(count);
}

BENCHMARK_CAPTURE(BM_PathList, wide, "wide")->Name("WideFolder:ours")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_SubDirs, wide, "wide")->Name("WideFolder:GetSubDirs")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Filesystem, wide, "wide")->Name("WideFolder:std_filesystem")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PathList, deep, "deep")->Name("TreeOf1640:ours")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_SubDirs, deep, "deep")->Name("TreeOf1640:GetSubDirs")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Filesystem, deep, "deep")->Name("TreeOf1640:std_filesystem")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
