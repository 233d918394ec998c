// The mail program through xdg-email: its arguments, the run bounded in
// time, and its exit status in words.
#include "platform/process/vxMailProgram.h"

#include <fcntl.h>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxFileDescriptor.h"
#include "platform/process/vxProcess.h"
#include "platform/text/vxNumberText.h"

namespace vxMailProgram {

namespace {

constexpr char16_t Program[] = u"xdg-email";

// What xdg-email's exit statuses mean (its manual page).
ustring ExitStatusText(uint32_t Status) {
  switch (Status) {
    case 1: return u"error in the command line";
    case 2: return u"a file to attach does not exist";
    case 3: return u"no mail program was found";
    case 4: return u"the mail program could not be opened";
    case 5: return u"a file to attach cannot be read";
    default: return u"failure";
  }
}

ustring Decimal(int64_t Value) { return Utf8ToWide(vxNumberText::IntText(Value)); }

}  // namespace

std::vector<ustring> ComposeArguments(const TMailDraft& Draft) {
  std::vector<ustring> arguments{Program, u"--utf8"};
  auto add = [&](const char16_t* Option, const ustring& Value) {
    if (Value.empty()) return;
    arguments.emplace_back(Option);
    arguments.push_back(Value);
  };
  add(u"--subject", Draft.Subject);
  add(u"--body", Draft.Body);
  for (const ustring& to : Draft.To) add(u"--to", to);
  for (const ustring& file : Draft.Attachments) add(u"--attach", file);
  return arguments;
}

bool Compose(const TMailDraft& Draft, int TimeoutMs, ustring& Failure) {
  Failure.clear();
  const TFileDescriptor nowhere(open("/dev/null", O_WRONLY | O_CLOEXEC));
  vxProcess::TStartInfo info;
  info.Arguments = ComposeArguments(Draft);
  info.NewSession = true;
  info.StandardOutput = nowhere.Get();
  int error = 0;
  vxProcess::TChildProcess child = vxProcess::TChildProcess::Start(info, error);
  if (!child.Valid()) {
    Failure = ustring(Program) + u" could not be started (" + Utf8ToWide(vxExceptions::ErrnoText(error)) + u")";
    return false;
  }
  uint32_t status = 0;
  switch (child.Wait(TimeoutMs, status)) {
    case vxProcess::TChildProcess::wrEnded:
      if (status == 0) return true;
      Failure = ustring(Program) + u" ended with exit status " + Decimal(status) + u": " + ExitStatusText(status);
      return false;
    case vxProcess::TChildProcess::wrTimeout:
      child.Kill();
      child.Wait(5000, status);
      Failure = ustring(Program) + u" did not end within " + Decimal(TimeoutMs) + u" ms";
      return false;
    case vxProcess::TChildProcess::wrFailed: break;
  }
  Failure = ustring(Program) + u" could not be waited for";
  return false;
}

}  // namespace vxMailProgram
