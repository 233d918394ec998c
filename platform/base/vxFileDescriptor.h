// The one owner of an operating-system file descriptor: files, sockets and
// streams hold one, and it closes the descriptor when it goes.
#pragma once

#include <utility>

class TFileDescriptor {
 public:
  TFileDescriptor() = default;
  // Takes ownership of Fd (-1 for none).
  explicit TFileDescriptor(int Fd) noexcept : FFd(Fd) {}
  TFileDescriptor(TFileDescriptor&& Other) noexcept : FFd(Other.Release()) {}
  TFileDescriptor& operator=(TFileDescriptor&& Other) noexcept {
    if (this != &Other) Reset(Other.Release());
    return *this;
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  ~TFileDescriptor() { Reset(); }

  bool Valid() const noexcept { return FFd >= 0; }
  int Get() const noexcept { return FFd; }
  // Gives up ownership: the descriptor stays open and is the caller's.
  int Release() noexcept { return std::exchange(FFd, -1); }
  // Closes the descriptor held (errno kept) and takes Fd instead.
  void Reset(int Fd = -1) noexcept;

 private:
  int FFd = -1;
};
