// A message as the test SMTP server stored it, taken apart for the tests:
// its headers and its leaf parts with their contents decoded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxCodePage.h"
#include "platform/mail/vxMimeCodec.h"

class TReceivedMail {
 public:
  struct TPart {
    std::string Headers;      // raw, folds removed
    std::string ContentType;  // lower-cased value without parameters
    ustring FileName;     // the "filename" of Content-Disposition or "name" of Content-Type
    std::string Disposition;
    std::string Content;  // decoded bytes
  };

  explicit TReceivedMail(const std::string& Raw) {
    const auto [headers, body] = Split(Raw);
    FHeaders = UnfoldBlock(headers);
    ReadPart(FHeaders, body);
  }

  // A header's value, encoded words decoded; empty when it is missing.
  ustring Header(std::string_view Name) const { return vxMimeCodec::DecodeHeaderText(RawHeader(FHeaders, Name)); }
  std::string HeaderUtf8(std::string_view Name) const { return WideToUtf8(Header(Name)); }
  const std::vector<TPart>& Parts() const { return FParts; }
  // The first text part's content as UTF-8 (the body of the mail).
  std::string BodyUtf8() const {
    for (const TPart& p : FParts)
      if (p.FileName.empty() && p.ContentType.rfind("text/", 0) == 0) return p.Content;
    return std::string();
  }
  std::vector<TPart> Attachments() const {
    std::vector<TPart> result;
    for (const TPart& p : FParts)
      if (!p.FileName.empty()) result.push_back(p);
    return result;
  }

 private:
  std::string FHeaders;
  std::vector<TPart> FParts;

  static std::pair<std::string, std::string> Split(const std::string& Raw) {
    size_t end = Raw.find("\r\n\r\n");
    if (end == std::string::npos) return {Raw, std::string()};
    return {Raw.substr(0, end + 2), Raw.substr(end + 4)};
  }

  // A header block with the line break before every continuation line
  // removed, so that each field stands on one line.
  static std::string UnfoldBlock(const std::string& Block) {
    std::string result;
    for (size_t i = 0; i < Block.size(); ++i) {
      if (Block.compare(i, 2, "\r\n") == 0 && i + 2 < Block.size() && (Block[i + 2] == ' ' || Block[i + 2] == '\t')) {
        ++i;
        continue;
      }
      result.push_back(Block[i]);
    }
    return result;
  }

  static bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      char x = a[i], y = b[i];
      if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
      if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
      if (x != y) return false;
    }
    return true;
  }

  static std::string RawHeader(const std::string& Headers, std::string_view Name) {
    size_t start = 0;
    while (start < Headers.size()) {
      size_t end = Headers.find("\r\n", start);
      if (end == std::string::npos) end = Headers.size();
      const std::string_view line(Headers.data() + start, end - start);
      const size_t colon = line.find(':');
      if (colon != std::string_view::npos && SameIgnoringCase(line.substr(0, colon), Name)) {
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        return std::string(value);
      }
      start = end + 2;
    }
    return std::string();
  }

  static std::string Lower(std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
  }

  void ReadPart(const std::string& Headers, const std::string& Body) {
    const auto type = vxMimeCodec::ParseHeaderParameters(RawHeader(Headers, "Content-Type"));
    const std::string contentType = type.Value.empty() ? "text/plain" : Lower(type.Value);
    if (contentType.rfind("multipart/", 0) == 0) {
      const std::string boundary = "--" + WideToUtf8(type.Get("boundary"));
      size_t pos = Body.find(boundary);
      while (pos != std::string::npos) {
        size_t start = Body.find("\r\n", pos);
        if (start == std::string::npos || Body.compare(pos + boundary.size(), 2, "--") == 0) break;
        start += 2;
        const size_t next = Body.find("\r\n" + boundary, start);
        if (next == std::string::npos) break;
        const auto [h, b] = Split(Body.substr(start, next - start));
        ReadPart(UnfoldBlock(h), b);
        pos = next + 2;
      }
      return;
    }
    TPart part;
    part.Headers = Headers;
    part.ContentType = contentType;
    const auto disposition = vxMimeCodec::ParseHeaderParameters(RawHeader(Headers, "Content-Disposition"));
    part.Disposition = Lower(disposition.Value);
    part.FileName = disposition.Get("filename");
    if (part.FileName.empty()) part.FileName = type.Get("name");
    const std::string encoding = Lower(RawHeader(Headers, "Content-Transfer-Encoding"));
    if (encoding == "base64") part.Content = vxMimeCodec::Base64Decode(Body);
    else if (encoding == "quoted-printable") part.Content = vxMimeCodec::QuotedPrintableDecode(Body);
    else part.Content = Body;
    FParts.push_back(std::move(part));
  }
};
