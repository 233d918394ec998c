// Packing 20 files of 1 MiB into one archive: through TvxFiles::AddFilesToZip
// (read files, build the archive in memory, replace it atomically) against
// libzip writing the same files directly with the same (default) deflate
// level; the shared main prints the ratio of the two times.
#include <benchmark/benchmark.h>
#include <zip.h>

#include <cstdio>
#include <random>
#include <string>

#include "core/vxFilesZip.h"
#include "platform/base/vxCodePage.h"
#include "tests/support/vxTestTempDir.h"

namespace {

constexpr int kFiles = 20;
constexpr size_t kFileSize = 1 << 20;

// Twenty files of text that deflate shrinks to about a third.
struct TInput {
  TTestTempDir Dir;
  TStringList Files;
  TInput() {
    std::mt19937 random(42);
    const char* words[] = {"invoice ", "customer ", "amount ", "12.50 ", "EUR ", "delivery ", "2026-12-11 ", "\r\n"};
    for (int f = 0; f < kFiles; ++f) {
      std::string content;
      while (content.size() < kFileSize) {
        content += words[random() % 8];
        content += static_cast<char>('A' + random() % 26);
      }
      content.resize(kFileSize);
      const std::string name = "file" + std::to_string(f) + ".txt";
      TTestTempDir::WriteBytes(Dir.File(name), content);
      Files.Add(Dir.WideFile(name));
    }
  }
};

TInput& Input() {
  static TInput input;
  return input;
}

void BM_OurLayer(benchmark::State& state) {
  const ustring archive = Input().Dir.WideFile("ours.zip");
  for (auto _ : state) {
    std::remove(WideToUtf8(archive).c_str());
    if (!TvxFiles::AddFilesToZip(Input().Files, archive)) state.SkipWithError("AddFilesToZip failed");
  }
  state.SetBytesProcessed(state.iterations() * kFiles * static_cast<int64_t>(kFileSize));
}
BENCHMARK(BM_OurLayer)->Name("PackZip:ours")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LibzipDirect(benchmark::State& state) {
  const std::string archive = Input().Dir.File("direct.zip");
  for (auto _ : state) {
    int error = 0;
    zip_t* za = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (za == nullptr) {
      state.SkipWithError("zip_open failed");
      break;
    }
    for (int f = 0; f < kFiles; ++f) {
      const std::string name = "file" + std::to_string(f) + ".txt";
      zip_source_t* source = zip_source_file(za, Input().Dir.File(name).c_str(), 0, -1);
      if (source == nullptr || zip_file_add(za, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(source);
        state.SkipWithError("zip_file_add failed");
      }
    }
    if (zip_close(za) < 0) {
      zip_discard(za);
      state.SkipWithError("zip_close failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * kFiles * static_cast<int64_t>(kFileSize));
}
BENCHMARK(BM_LibzipDirect)->Name("PackZip:libzip")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
