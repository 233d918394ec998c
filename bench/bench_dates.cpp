// Dates to text and back against the C library: FormatDateTime and
// DateTimeToISOStr beside strftime, StrToDateTime_ISO beside strptime. Both
// sides start from their own kind of value (a TDateTime, a time_t or a
// struct tm) and end in a string or a value.
#include <benchmark/benchmark.h>
#include <time.h>

#include <string>

#include "core/vxDateTimeParse.h"
#include "core/vxDateTimeStamps.h"
#include "platform/time/vxDateUtils.h"

namespace {

const TDateTime kValue = vxRuntime::EncodeDateTime(2024, 1, 31, 10, 20, 30, 0);
const time_t kSeconds = 1706696430;  // the same moment, taken as UTC

void BM_FormatDateTime(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(vxRuntime::FormatDateTime(u"dd.mm.yyyy hh:nn:ss", kValue));
}
BENCHMARK(BM_FormatDateTime)->Name("FormatDateTime:ours");

void BM_DateTimeToISOStr(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxDateTime::DateTimeToISOStr(kValue));
}
BENCHMARK(BM_DateTimeToISOStr)->Name("DateTimeToISOStr:ours");

// The peer of both: broken down from the seconds, then strftime into a string.
std::string Strftime(const char* format) {
  tm parts{};
  gmtime_r(&kSeconds, &parts);
  char buffer[64];
  const size_t n = strftime(buffer, sizeof buffer, format, &parts);
  return std::string(buffer, n);
}

void BM_StrftimeDotted(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Strftime("%d.%m.%Y %H:%M:%S"));
}
BENCHMARK(BM_StrftimeDotted)->Name("FormatDateTime:strftime");

void BM_StrftimeIso(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Strftime("%Y-%m-%d %H:%M:%S"));
}
BENCHMARK(BM_StrftimeIso)->Name("DateTimeToISOStr:strftime");

void BM_StrToDateTime_ISO(benchmark::State& state) {
  const ustring text = u"2024-01-31 10:20:30";
  for (auto _ : state) benchmark::DoNotOptimize(TvxDateTime::StrToDateTime_ISO(text));
}
BENCHMARK(BM_StrToDateTime_ISO)->Name("StrToDateTime_ISO:ours");

// The peer: strptime into a struct tm, then to seconds.
void BM_Strptime(benchmark::State& state) {
  const std::string text = "2024-01-31 10:20:30";
  for (auto _ : state) {
    tm parts{};
    const char* end = strptime(text.c_str(), "%Y-%m-%d %H:%M:%S", &parts);
    benchmark::DoNotOptimize(end);
    benchmark::DoNotOptimize(timegm(&parts));
  }
}
BENCHMARK(BM_Strptime)->Name("StrToDateTime_ISO:strptime");

// Our general reader, which the ISO reader leaves texts of other forms to.
void BM_StrToDateTime(benchmark::State& state) {
  const ustring text = u"31.01.2024 10:20:30";
  for (auto _ : state) {
    TDateTime value;
    benchmark::DoNotOptimize(vxRuntime::TryStrToDateTime(text, value));
  }
}
BENCHMARK(BM_StrToDateTime);

}  // namespace
