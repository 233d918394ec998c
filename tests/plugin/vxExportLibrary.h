// The export library as a host sees it: loaded with dlopen, driven through
// vxWideExport with UTF-16 buffers, unloaded again at the end of the test.
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxCodePage.h"

class TExportLibrary {
 public:
  // The answer of one command: its result, its Text and its Buffer.
  struct TAnswer {
    int32_t Result = 0;
    ustring Text;
    ustring Buffer;
    std::string TextUtf8() const { return WideToUtf8(Text); }
    std::string BufferUtf8() const { return WideToUtf8(Buffer); }
  };

  explicit TExportLibrary(const char* Path = VX_EXPORT_LIBRARY) {
    FHandle = dlopen(Path, RTLD_NOW | RTLD_LOCAL);
    if (!FHandle) throw std::runtime_error(std::string("dlopen failed: ") + dlerror());
    FEntry = reinterpret_cast<TEntry>(dlsym(FHandle, "vxWideExport"));
    if (!FEntry) throw std::runtime_error("no vxWideExport");
  }
  ~TExportLibrary() {
    if (FHandle) dlclose(FHandle);
  }
  TExportLibrary(const TExportLibrary&) = delete;
  TExportLibrary& operator=(const TExportLibrary&) = delete;

  void* Handle() const { return FHandle; }

  // Sends Command with Input in Text; the buffers are filled with a marker
  // first, so that a test sees whether the library wrote to them.
  TAnswer Call(int32_t Command, const ustring& Input = ustring(), int32_t Value = 0) {
    std::vector<char16_t> text(BufferSize, u'#');
    std::copy(Input.begin(), Input.end(), text.begin());
    text[Input.size()] = u'\0';
    std::vector<char16_t> buffer(BufferSize, u'#');
    buffer[0] = u'\0';
    TAnswer answer;
    answer.Result = FEntry(Command, text.data(), Value, buffer.data());
    answer.Text = text.data();
    answer.Buffer = buffer.data();
    return answer;
  }
  TAnswer Call(int32_t Command, const std::string& InputUtf8, int32_t Value = 0) {
    return Call(Command, Utf8ToWide(InputUtf8), Value);
  }
  TAnswer Call(int32_t Command, const char* InputUtf8, int32_t Value = 0) {
    return Call(Command, Utf8ToWide(InputUtf8), Value);
  }
  // The raw entry, for calls with null pointers.
  int32_t Raw(int32_t Command, char16_t* Text, int32_t Value, char16_t* Buffer) {
    return FEntry(Command, Text, Value, Buffer);
  }

  static constexpr size_t BufferSize = 1 << 16;

 private:
  using TEntry = int32_t (*)(int32_t, char16_t*, int32_t, char16_t*);
  void* FHandle = nullptr;
  TEntry FEntry = nullptr;
};
