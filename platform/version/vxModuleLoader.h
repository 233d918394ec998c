// A shared library loaded at run time: opened with dlopen, its functions
// found by name, closed again when the handle goes.
#pragma once

#include <string>

#include "platform/base/vxBase.h"

class TModuleLoader {
 public:
  TModuleLoader() = default;
  ~TModuleLoader() { Unload(); }
  TModuleLoader(const TModuleLoader&) = delete;
  TModuleLoader& operator=(const TModuleLoader&) = delete;

  // Loads FileName with every symbol bound at once and kept local; raises
  // an Exception with the loader's reason when that fails.
  void Load(const ustring& FileName);
  bool Loaded() const { return FHandle != nullptr; }
  // The address of the function Name; raises when the module has none.
  void* Symbol(const char* Name) const;
  // Closes the module (nothing when none is loaded).
  void Unload() noexcept;

 private:
  void* FHandle = nullptr;
  ustring FFileName;
};
