// A value that is made once and never destroyed by the C++ run time. For
// state that code running at the very end of the process may still touch:
// a shared library's unload routine runs after every C++ static destructor
// when the host ends without unloading it (the exit handlers run first,
// the loaded modules' finalisers after them), so a plain static would be
// gone by then. Its owner gives the memory back with Reset() where it
// matters (an unload that unmaps the library).
#pragma once

#include <new>
#include <type_traits>
#include <utility>

template <class T>
class TNeverDestroyed {
 public:
  template <class... TArgs>
  explicit TNeverDestroyed(TArgs&&... Args) {
    ::new (static_cast<void*>(FStorage)) T(std::forward<TArgs>(Args)...);
  }
  TNeverDestroyed(const TNeverDestroyed&) = delete;
  TNeverDestroyed& operator=(const TNeverDestroyed&) = delete;
  // Trivial: no exit handler is registered for a static of this type.
  ~TNeverDestroyed() = default;

  T& Get() noexcept { return *std::launder(reinterpret_cast<T*>(FStorage)); }
  T* operator->() noexcept { return &Get(); }
  T& operator*() noexcept { return Get(); }

  // Destroys the value (giving back what it held) and puts a fresh one
  // in its place.
  void Reset() noexcept {
    static_assert(std::is_nothrow_default_constructible_v<T>);
    Get().~T();
    ::new (static_cast<void*>(FStorage)) T();
  }

 private:
  alignas(T) unsigned char FStorage[sizeof(T)];
};
