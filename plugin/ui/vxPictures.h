// The five 48 x 48 pictures of the dialog's header, one per kind of module,
// drawn by the library itself when first asked for.
#pragma once

#include <QImage>

#include "platform/base/vxBase.h"

namespace vxPictures {

constexpr int PictureSize = 48;

// The picture "USEREXIT", "EXPORTSERVICE", "CONVERSION", "PLUGIN" or
// "RECOGNITION"; any other name raises EResNotFound.
QImage LoadPicture(const ustring& Name);

}  // namespace vxPictures
