// The shard a thread reads under: given in turn to threads as they first read.
#include "configstore/vxConfigManagerLock.h"

#include <atomic>

size_t TReadMostlyLock::ShardOfThisThread() {
  static std::atomic<size_t> next{0};
  thread_local const size_t shard = next.fetch_add(1, std::memory_order_relaxed) % ShardCount;
  return shard;
}
