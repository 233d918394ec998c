// A value that several threads read and write as a whole: the store's texts
// and ids that the caller or any operation may change at any time (Message,
// Username, the class-node ids). Assignment and reading copy under a lock of
// the value's own, so neither ever sees half a text.
#pragma once

#include <mutex>
#include <utility>

template <class T>
class TGuarded {
 public:
  TGuarded() = default;
  explicit TGuarded(T Value) : FValue(std::move(Value)) {}
  TGuarded(const TGuarded&) = delete;
  TGuarded& operator=(const TGuarded&) = delete;

  TGuarded& operator=(T Value) {
    std::lock_guard<std::mutex> hold(FLock);
    FValue = std::move(Value);
    return *this;
  }
  T Get() const {
    std::lock_guard<std::mutex> hold(FLock);
    return FValue;
  }
  operator T() const { return Get(); }

 private:
  mutable std::mutex FLock;
  T FValue{};
};
