// The registered reader of the document log's settings.
#include "foundation/vxDocLogSettings.h"

#include <atomic>

namespace vxDocLogSettings {
namespace {
std::atomic<TReader> GReader{nullptr};
}

void SetReader(TReader Reader) { GReader.store(Reader); }

bool Read(TvxDocLogSettings& Settings) {
  const TReader reader = GReader.load();
  if (!reader) return false;
  reader(Settings);
  return true;
}

}  // namespace vxDocLogSettings
