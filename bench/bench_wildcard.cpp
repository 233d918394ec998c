// File masks with "?", dots and many stars against long names: the one
// wildcard matcher beside one linear search through the name, the least any
// matcher has to do.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/files/vxFileSearch.h"

namespace {

struct TCase {
  ustring Name, Mask;
  std::u16string Missing;  // a unit the name lacks, for the linear search
};

// A name of 16 Ki letters and a mask of many "*a?" pieces whose last one
// is missing from the name, so that every piece is searched for.
const TCase& ManyPieces() {
  static const TCase c = [] {
    TCase t;
    t.Name = ustring(16384, u'a') + u".txt";
    for (int i = 0; i < 200; ++i) t.Mask += u"*a?";
    t.Mask += u"b*.t?t";
    t.Missing = u"c";
    return t;
  }();
  return c;
}

void BM_ManyPieces(benchmark::State& state) {
  const vxFileSystem::TFileMask mask(ManyPieces().Mask);
  for (auto _ : state) benchmark::DoNotOptimize(mask.Matches(ManyPieces().Name));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(ManyPieces().Name.size() * 2));
}
BENCHMARK(BM_ManyPieces)->Name("FileMaskManyPieces:ours");

void BM_ManyPiecesFind(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ManyPieces().Name.find(ManyPieces().Missing));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(ManyPieces().Name.size() * 2));
}
BENCHMARK(BM_ManyPiecesFind)->Name("FileMaskManyPieces:std_find");

// One long piece of "?" and letters after a star.
const TCase& LongPiece() {
  static const TCase c = [] {
    TCase t;
    for (int i = 0; i < 4096; ++i) t.Name += i % 7 ? u'a' : u'b';
    t.Name += u".dat";
    t.Mask = u"*";
    for (int i = 0; i < 100; ++i) t.Mask += i % 3 ? u'?' : u'a';
    t.Mask += u"c*.dat";
    t.Missing = u"c";
    return t;
  }();
  return c;
}

void BM_LongPiece(benchmark::State& state) {
  const vxFileSystem::TFileMask mask(LongPiece().Mask);
  for (auto _ : state) benchmark::DoNotOptimize(mask.Matches(LongPiece().Name));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(LongPiece().Name.size() * 2));
}
BENCHMARK(BM_LongPiece)->Name("FileMaskLongPiece:ours");

void BM_LongPieceFind(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(LongPiece().Name.find(LongPiece().Missing));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(LongPiece().Name.size() * 2));
}
BENCHMARK(BM_LongPieceFind)->Name("FileMaskLongPiece:std_find");

}  // namespace
