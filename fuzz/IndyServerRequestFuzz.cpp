// Fuzzes the server side's reading of requests. Input: a request path, a
// zero byte, a query. A path of the file form never serves a file outside
// the public folder (a folder of the harness with a file beside it); the
// request object is made, or the query's decoding raises one of the
// system's own errors, and its path segments are the path's pieces.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "configstore/vxIndyServer.h"
#include "foundation/vxVarlo.h"
#include "fuzz/FuzzInput.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"

namespace {

namespace fs = std::filesystem;

// The public folder of the harness: "pub/a.txt" inside, "secret.txt" and a
// link to it beside.
const fs::path& PublicFolder() {
  static const fs::path folder = [] {
    char pattern[] = "/tmp/vx-fuzz-pub-XXXXXX";
    const fs::path root = ::mkdtemp(pattern);
    ::setenv("VARLO_REGISTRY", (root / "registry").c_str(), 1);
    ::setenv("VARLOSYS", (root / "sys").c_str(), 1);
    // Without its final "/": the opened files' paths are compared with it + "/".
    std::string pubText = fs::weakly_canonical(fs::path(WideToUtf8(TvxVarlo::GetPubRootPath()))).string();
    while (pubText.size() > 1 && pubText.back() == '/') pubText.pop_back();
    const fs::path pub = pubText;
    fs::create_directories(pub / "css");
    std::ofstream(pub / "a.txt") << "a";
    std::ofstream(pub / "css" / "b.css") << "b";
    std::ofstream(root / "secret.txt") << "secret";
    fs::create_symlink(root / "secret.txt", pub / "link.txt");
    return pub;
  }();
  return folder;
}

// The path of the file an open descriptor reads.
std::string OpenedPath(int Fd) {
  std::error_code error;
  return fs::read_symlink("/proc/self/fd/" + std::to_string(Fd), error).string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> fields = vxFuzz::Fields(Data, Size, 2);
  const fs::path& pub = PublicFolder();

  THttpServerRequest request;
  request.Method = "GET";
  request.Path = "/pub/" + fields[0];
  request.Query = fields[1];
  request.Target = request.Path + (request.Query.empty() ? "" : "?" + request.Query);
  THttpServerResponse response;
  try {
    if (TvxIndy::SetHTTPResponse(request, response, u"", 1)) {
      vxFuzz::Check(response.HasBodyFile());
      const std::string opened = OpenedPath(response.BodyFile()->Get());
      vxFuzz::Check(opened.rfind(pub.string() + "/", 0) == 0);
    } else {
      vxFuzz::Check(response.StatusCode == 403 && !response.HasBodyFile());
    }
  } catch (const EOSError&) {
    // a missing file, a folder
  }

  request.Path = "/" + fields[0];
  try {
    const std::unique_ptr<TvxHTTPRequest> made = TvxIndy::GetHTTPRequestObject(request);
    vxFuzz::Check(made->URIPath() == request.Path);
    size_t slashes = 0;
    for (const char c : made->URIPath()) slashes += c == '/';
    vxFuzz::Check(made->URIPathSegments().Count() <= static_cast<int32_t>(slashes));
    TvxIndy::GetRequestURI(request);
  } catch (const Exception&) {
    // "url expired", "invalid encoding", a data item that does not decipher
  }
  return 0;
}
