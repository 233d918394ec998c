// The lock of the key cache: readers of different threads never touch a
// common cache line (each takes the mutex of its own shard), a writer takes
// every shard. Cache lookups, by far the most frequent store operation, so
// run side by side on all cores; inserts and removals, which follow database
// work anyway, pay for taking all shards.
#pragma once

#include <array>
#include <cstddef>
#include <mutex>

class TReadMostlyLock {
 public:
  TReadMostlyLock() = default;
  TReadMostlyLock(const TReadMostlyLock&) = delete;
  TReadMostlyLock& operator=(const TReadMostlyLock&) = delete;

  // Held while the calling thread reads.
  class TShared {
   public:
    explicit TShared(TReadMostlyLock& Lock) : FMutex(Lock.FShards[ShardOfThisThread()].Mutex) { FMutex.lock(); }
    ~TShared() { FMutex.unlock(); }
    TShared(const TShared&) = delete;
    TShared& operator=(const TShared&) = delete;

   private:
    std::mutex& FMutex;
  };

  // Held while the calling thread writes: no reader runs meanwhile.
  class TExclusive {
   public:
    explicit TExclusive(TReadMostlyLock& Lock) : FLock(Lock) {
      for (auto& shard : FLock.FShards) shard.Mutex.lock();
    }
    ~TExclusive() {
      for (size_t i = FLock.FShards.size(); i-- > 0;) FLock.FShards[i].Mutex.unlock();
    }
    TExclusive(const TExclusive&) = delete;
    TExclusive& operator=(const TExclusive&) = delete;

   private:
    TReadMostlyLock& FLock;
  };

 private:
  static constexpr size_t ShardCount = 16;
  // Each shard on a cache line of its own.
  struct alignas(64) TShard {
    std::mutex Mutex;
  };
  // Threads take the shards in turn, so up to ShardCount threads read without
  // meeting.
  static size_t ShardOfThisThread();

  std::array<TShard, ShardCount> FShards;
};
