// The system clipboard: replacing its content with several forms at once.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"

// The clipboard cannot be used (no display, or not on the application's
// thread).
VX_DECLARE_EXCEPTION(EClipboardException, Exception);

namespace vxClipboard {

// One form of the content: its format name (a MIME type, or another name
// readers ask for) and its bytes.
using TClipboardForm = std::pair<std::string, std::string>;

// Replaces the clipboard's content with PlainText (offered as UTF-8 plain
// text) and the given forms. The content stays on offer while the
// application runs. Raises EClipboardException.
void SetContent(std::u16string_view PlainText, const std::vector<TClipboardForm>& Forms);

}  // namespace vxClipboard
