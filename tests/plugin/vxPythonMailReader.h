// A mail read back by Python's email package (policy default), a reader
// other than our own: its header fields, its leaf parts with the MD5 of
// their decoded content, and the entries of a zip attachment.
#pragma once

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/vxRunProgram.h"
#include "support/vxTestTempDir.h"

// Reads a message file and prints its header fields and leaf parts, one
// line each; a zip attachment also lists its entries.
inline constexpr char kPythonMailReader[] = R"PY(
import sys, email, hashlib, io, json, zipfile
from email import policy
m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=policy.default)
print('TYPE\t' + m.get_content_type())
for name in ('From', 'Sender', 'Reply-To', 'To', 'Cc', 'Bcc', 'Subject', 'Date', 'Message-ID', 'MIME-Version'):
    if name in m:
        print('HEADER\t' + name + '\t' + str(m[name]))
for part in m.walk():
    if part.is_multipart():
        continue
    data = part.get_payload(decode=True)
    text = json.dumps(part.get_content()) if part.get_content_maintype() == 'text' else ''
    print('\t'.join(['PART', part.get_content_type(), str(part.get_content_disposition()), str(part.get_filename()),
                     str(part.get('Content-ID')), hashlib.md5(data).hexdigest().upper(), text]))
    if part.get_content_type() == 'application/zip':
        with zipfile.ZipFile(io.BytesIO(data)) as z:
            for info in z.infolist():
                print('ENTRY\t' + info.filename + '\t' + hashlib.md5(z.read(info)).hexdigest().upper())
)PY";

struct TReadMail {
  struct TPart {
    std::string Type, Disposition, FileName, ContentId, Md5, Text;
  };
  std::string Type;
  std::map<std::string, std::string> Headers;
  std::vector<TPart> Parts;
  std::vector<std::pair<std::string, std::string>> ZipEntries;  // name, MD5
};

// The mail in Content as Python reads it; a reader that fails fails the test.
inline TReadMail ReadMail(const std::string& Content) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("m.eml"), Content);
  const vxTest::TProgramResult run =
      vxTest::RunProgram({"/usr/bin/python3", "-c", kPythonMailReader, dir.File("m.eml")});
  EXPECT_EQ(run.ExitStatus, 0) << run.Output << run.Errors;
  TReadMail mail;
  std::stringstream lines(run.Output);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> c;
    std::stringstream in(line);
    for (std::string cell; std::getline(in, cell, '\t');) c.push_back(cell);
    c.resize(7);
    if (c[0] == "TYPE") mail.Type = c[1];
    if (c[0] == "HEADER") mail.Headers[c[1]] = c[2];
    if (c[0] == "PART") mail.Parts.push_back({c[1], c[2], c[3], c[4], c[5], c[6]});
    if (c[0] == "ENTRY") mail.ZipEntries.emplace_back(c[1], c[2]);
  }
  return mail;
}
