// A small shared library of the tests that carries a version block made by
// vx_add_version_resource: the module-version routines linked into it must
// find its own file and read its block. Each query writes its answer into
// Buffer (UTF-16, NUL-terminated, cut to Size) and returns its length.
#include <cstdint>
#include <string>

#include "core/vxToolsModule.h"
#include "core/vxVersionTools.h"
#include "foundation/vxModuleDescription.h"
#include "foundation/vxVarlo.h"
#include "platform/base/vxCodePage.h"

namespace {

ustring Answer(int32_t What) {
  switch (What) {
    case 0: return TvxTools::GetProgramVersion();
    case 1: return TvxTools::GetProgramCopyright();
    case 2: return TvxTools::GetProgramProductString();
    case 3: return TvxTools::GetProgramDescription();
    case 4: return TvxTools::GetModuleFileName();
    case 5: return AnsiToWide(TvxTools::GetModulePath());
    case 6: return TvxTools::GetResource(u"GREETING", u"TEXT");
    case 7: return TvxVarlo::GetProgramVersionString();
    case 8: return TvxVarlo::GetProductVersion();
    case 9: return TvxVarlo::GetProgramName();
    case 10: return TvxVarlo::GetProductCopyright();
    case 11:
      vxModuleDescription::Initialize();
      return AnsiToWide(vxModuleDescription::ModuleDescription());
    default: return u"?";
  }
}

// At unload, as a library's unload does: the description unit ends what
// query 11 started (its text lives to the end of the unload, and is given
// back here).
__attribute__((destructor)) void Unload() { vxModuleDescription::Finalize(); }

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t vxVersionedModuleQuery(int32_t What, char16_t* Buffer,
                                                                                  int32_t Size) {
  ustring text;
  try {
    text = Answer(What);
  } catch (const Exception& e) {
    text = u"raised: " + e.Message();
  }
  if (Size <= 0) return -1;
  const size_t count = std::min<size_t>(text.size(), static_cast<size_t>(Size - 1));
  text.copy(Buffer, count);
  Buffer[count] = 0;
  return static_cast<int32_t>(text.size());
}
