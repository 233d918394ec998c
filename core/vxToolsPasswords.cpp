// TvxTools: random passwords.
#include "core/vxToolsPasswords.h"

#include "platform/base/vxRandom.h"

namespace TvxTools {

std::string GeneratePassword(int32_t PWLen, bool HighSec) {
  static constexpr char Specials[] = {'!', '%', '#', '$', '+', '?', '*'};
  std::string password;
  if (PWLen <= 0) return password;
  password.reserve(static_cast<size_t>(PWLen));
  for (int32_t i = 0; i < PWLen; ++i) {
    switch (vxRandom::Below(HighSec ? 4 : 3)) {
      case 0:
        password.push_back(static_cast<char>('0' + vxRandom::Below(10)));
        break;
      case 1:
        password.push_back(static_cast<char>('A' + vxRandom::Below(26)));
        break;
      case 2:
        password.push_back(static_cast<char>('a' + vxRandom::Below(26)));
        break;
      default:
        password.push_back(Specials[vxRandom::Below(sizeof Specials)]);
        break;
    }
  }
  return password;
}

}  // namespace TvxTools
