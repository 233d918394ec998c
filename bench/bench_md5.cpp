// MD5 of 64 MiB through the system's unit against the library called
// directly: what the unit costs over OpenSSL.
#define OPENSSL_SUPPRESS_DEPRECATED  // the one-call MD5() is part of the comparison
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/md5.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "core/vxMD5.h"
#include "platform/base/vxCodePage.h"

namespace {

constexpr size_t Size = 64u << 20;

const std::string& Data() {
  static const std::string data = [] {
    std::string bytes(Size, '\0');
    for (size_t i = 0; i < Size; ++i) bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
    return bytes;
  }();
  return data;
}

// The same 64 MiB as a file, removed at exit.
const std::string& DataFile() {
  static const struct TFile {
    std::string path;
    TFile() {
      const char* tmp = getenv("TMPDIR");
      path = std::string(tmp && *tmp ? tmp : "/tmp") + "/vxbench-md5-" + std::to_string(getpid());
      std::ofstream(path, std::ios::binary) << Data();
    }
    ~TFile() { unlink(path.c_str()); }
  } file;
  return file.path;
}

void SetBytes(benchmark::State& state) { state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * Size); }

void BM_TvxMD5_GetMD5(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxMD5::GetMD5(Data().data(), static_cast<int32_t>(Size)));
  SetBytes(state);
}
BENCHMARK(BM_TvxMD5_GetMD5)->Unit(benchmark::kMillisecond);

void BM_TvxMD5_GetMD5FromString(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxMD5::GetMD5FromString(Data()));
  SetBytes(state);
}
BENCHMARK(BM_TvxMD5_GetMD5FromString)->Unit(benchmark::kMillisecond);

void BM_TvxMD5_GetMD5FromFile(benchmark::State& state) {
  const ustring path = Utf8ToWide(DataFile());
  for (auto _ : state) benchmark::DoNotOptimize(TvxMD5::GetMD5FromFile(path, 32));
  SetBytes(state);
}
BENCHMARK(BM_TvxMD5_GetMD5FromFile)->Unit(benchmark::kMillisecond);

void BM_OpenSSL_MD5(benchmark::State& state) {
  unsigned char digest[MD5_DIGEST_LENGTH];
  for (auto _ : state) {
    MD5(reinterpret_cast<const unsigned char*>(Data().data()), Size, digest);
    benchmark::DoNotOptimize(digest);
  }
  SetBytes(state);
}
BENCHMARK(BM_OpenSSL_MD5)->Unit(benchmark::kMillisecond);

void BM_OpenSSL_EVP_Digest(benchmark::State& state) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  for (auto _ : state) {
    EVP_Digest(Data().data(), Size, digest, &length, EVP_md5(), nullptr);
    benchmark::DoNotOptimize(digest);
  }
  SetBytes(state);
}
BENCHMARK(BM_OpenSSL_EVP_Digest)->Unit(benchmark::kMillisecond);

// Small inputs show the fixed cost of each call (context, self test, text).
void BM_TvxMD5_GetMD5FromString_64Bytes(benchmark::State& state) {
  const std::string small = Data().substr(0, 64);
  for (auto _ : state) benchmark::DoNotOptimize(TvxMD5::GetMD5FromString(small));
}
BENCHMARK(BM_TvxMD5_GetMD5FromString_64Bytes);

void BM_OpenSSL_EVP_Digest_64Bytes(benchmark::State& state) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  for (auto _ : state) {
    EVP_Digest(Data().data(), 64, digest, &length, EVP_md5(), nullptr);
    benchmark::DoNotOptimize(digest);
  }
}
BENCHMARK(BM_OpenSSL_EVP_Digest_64Bytes);

}  // namespace
