// Golden mails: mails composed before a change of the composer, kept as
// files beside the tests, against which the mails composed now are compared
// byte for byte. What differs from one composition to the next by design is
// made the same on both sides first: the random multipart boundary and, in
// the engine's mails, the Date and Message-ID fields it takes from the clock.
// Python's email package reads both sides of each pair as an independent
// reader and says whether they carry the same message.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "support/vxRunProgram.h"
#include "support/vxTestTempDir.h"

namespace vxTest {

// Every boundary the composer makes ("=_vx" and 24 hexadecimal digits)
// becomes one of the same length.
inline std::string SameBoundaries(std::string mail) {
  const std::string mark = "=_vx";
  const auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); };
  for (size_t p = mail.find(mark); p != std::string::npos; p = mail.find(mark, p + 1)) {
    size_t n = 0;
    while (p + mark.size() + n < mail.size() && n < 24 && hex(mail[p + mark.size() + n])) ++n;
    if (n == 24) mail.replace(p + mark.size(), 24, std::string(24, '0'));
  }
  return mail;
}

// The values of the header fields Date and Message-ID become "(clock)".
inline std::string SameClockFields(const std::string& mail) {
  const size_t headerEnd = mail.find("\r\n\r\n");
  const size_t bodyStart = headerEnd == std::string::npos ? mail.size() : headerEnd + 2;
  std::string out;
  for (size_t pos = 0; pos < bodyStart;) {
    const size_t end = mail.find("\r\n", pos) + 2;
    std::string line = mail.substr(pos, end - pos);
    for (const std::string name : {"Date:", "Message-ID:"})
      if (line.compare(0, name.size(), name) == 0) line = name + " (clock)\r\n";
    out += line;
    pos = end;
  }
  return out + mail.substr(bodyStart);
}

// A file of the golden mails: tests/<relative> in the source tree.
inline std::string GoldenPath(const std::string& relative) {
  const char* source = std::getenv("VX_SOURCE_DIR");
  if (!source) throw std::runtime_error("VX_SOURCE_DIR is not set");
  return std::string(source) + "/tests/" + relative;
}

inline std::string ReadGolden(const std::string& relative) {
  std::ifstream in(GoldenPath(relative), std::ios::binary);
  if (!in) throw std::runtime_error("no golden mail " + relative);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Python's email package reads each pair of mails (the golden one and one
// composed now): no defects in either, and the same header fields, the same
// parts with the same content. One line per pair: "same NAME" or "differs
// NAME: what".
inline std::string PythonComparesMails(const std::vector<std::pair<std::string, std::string>>& pairs,
                                       const std::vector<std::string>& names) {
  static const char kScript[] = R"PY(
import sys, email, hashlib
from email import policy
def describe(path):
    m = email.message_from_binary_file(open(path, 'rb'), policy=policy.default)
    found = [str(d) for part in m.walk() for d in part.defects]
    lines = ['%s: %s' % (k, v) for k, v in m.items()]
    for part in m.walk():
        if part.is_multipart():
            lines.append('multipart ' + part.get_content_type())
            continue
        data = part.get_payload(decode=True) or b''
        lines.append('part %s %s %s %s %s' % (part.get_content_type(), part.get_content_disposition(),
                     part.get_filename(), part.get('Content-ID'), hashlib.md5(data).hexdigest()))
        if part.get_content_maintype() == 'text':
            lines.append(repr(part.get_content()))
    return found, lines
args = sys.argv[1:]
for i in range(0, len(args), 3):
    name, golden, now = args[i:i + 3]
    d1, a = describe(golden)
    d2, b = describe(now)
    if d1 or d2:
        print('differs %s: defects %s %s' % (name, d1, d2))
    elif a != b:
        diff = [x for x in zip(a, b) if x[0] != x[1]][:1] or [(len(a), len(b))]
        print('differs %s: %r' % (name, diff[0]))
    else:
        print('same ' + name)
)PY";
  TTestTempDir folder("vx-golden");
  std::vector<std::string> args = {"/usr/bin/python3", "-c", kScript};
  for (size_t i = 0; i < pairs.size(); ++i) {
    const std::string golden = folder.File(std::to_string(i) + "-golden.eml");
    const std::string now = folder.File(std::to_string(i) + "-now.eml");
    TTestTempDir::WriteBytes(golden, pairs[i].first);
    TTestTempDir::WriteBytes(now, pairs[i].second);
    args.insert(args.end(), {names[i], golden, now});
  }
  const TProgramResult result = RunProgram(args, std::chrono::seconds(120));
  return result.ExitStatus == 0 ? result.Output : "python failed: " + result.Output;
}

}  // namespace vxTest
