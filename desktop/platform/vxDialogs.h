// Modal dialogs of the desktop operations: the message box with one OK
// button, and a dialog asking for a user name and a password.
#pragma once

#include <string_view>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"

namespace vxDialogs {

// The object names of the credentials dialog's two fields.
inline constexpr const char* UserNameField = "UserName";
inline constexpr const char* PasswordField = "Password";
// The longest name and password the fields take when typing (given texts
// that are longer are kept whole).
inline constexpr int UserNameLimit = 1023;
inline constexpr int PasswordLimit = 511;

// Shows Text in a message box centred on the screen with one OK button and
// returns when it has been closed. Raises Exception when no dialog can be
// shown (no display, or not on the application's thread).
void ShowMessageBox(std::u16string_view Text);

// Asks for a user name and a password, the fields filled with the given
// ones; the password is not shown. True when the user confirmed: the two
// then hold what the fields held; else they stay as given. False also when
// no dialog can be shown.
bool PromptCredentials(std::u16string_view Caption, std::u16string_view MessageText, ustring& UserName,
                       ustring& Password);

}  // namespace vxDialogs
