// Fuzzes the wildcard matchers (EqualsExW with its sign forms, the file mask
// matcher) on any mask and name; and checks they take no super-linear time:
// the input's mask and name repeated to some thirty thousand characters each
// must still match within a time a linear matcher never comes near. Under
// the sanitizers that check takes seconds where a match takes about a
// millisecond, so it runs for one input in kTimedShare only, chosen by the
// input's bytes (the same input is always checked or never): most of the
// time goes to exploring, and a minute's run still checks several inputs.
#include <time.h>

#include <cstdint>

#include "core/vxStringsWildcard.h"
#include "fuzz/FuzzInput.h"
#include "platform/files/vxFileSearch.h"

namespace {

constexpr uint32_t kTimedShare = 1024;

// FNV-1a of the input: which inputs get the time check.
uint32_t InputHash(const uint8_t* data, size_t size) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return hash;
}

ustring Repeated(const ustring& text, size_t length) {
  ustring out;
  if (text.empty()) return out;
  while (out.size() < length) out += text;
  return out;
}

// CPU time of this thread, not wall-clock time: a loaded machine must not
// pass for a slow matcher.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

template <class Fn>
void Bounded(Fn&& fn) {
  const double start = ThreadSeconds();
  fn();
  // A matcher linear in mask plus name takes a few milliseconds here, even
  // under the sanitizers; a quadratic one many seconds.
  if (ThreadSeconds() - start > 1.5) vxFuzz::Fail();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> f = vxFuzz::Fields(Data, Size, 2);
  const ustring mask = vxFuzz::Wide(f[0]);
  const ustring name = vxFuzz::Wide(f[1]);
  (void)TvxStrings::EqualsExW(name, mask, true, true, true, true);
  (void)TvxStrings::EqualsExW(name, mask, false, false, u"%", u"#");
  (void)vxFileSystem::MatchesMask(name, mask);
  // The empty text matches every mask of stars only, and a mask is matched
  // by itself when it holds no signs.
  if (mask.find_first_of(u"*?_") == ustring::npos)
    vxFuzz::Check(TvxStrings::EqualsExW(mask, mask, false, false, true, true));

  if (InputHash(Data, Size) % kTimedShare != 0) return 0;
  const ustring bigMask = Repeated(mask, 30000);
  const ustring bigName = Repeated(name, 30000);
  Bounded([&] { (void)TvxStrings::EqualsExW(bigName, bigMask, false, true, true, true); });
  Bounded([&] { (void)vxFileSystem::MatchesMask(bigName, bigMask); });
  return 0;
}
