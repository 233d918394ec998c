// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the test ends.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxCodePage.h"

class TTestTempDir {
 public:
  TTestTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vxtest.XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    FPath = pattern;
  }
  ~TTestTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
  }
  TTestTempDir(const TTestTempDir&) = delete;
  TTestTempDir& operator=(const TTestTempDir&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  std::string File(const std::string& name) const { return (FPath / name).string(); }
  ustring WideFile(const std::string& name) const { return Utf8ToWide(File(name)); }

  static std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteBytes(const std::string& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // The names of the entries in the folder, sorted.
  std::string Listing() const {
    std::string names;
    std::vector<std::string> all;
    for (const auto& e : std::filesystem::directory_iterator(FPath)) all.push_back(e.path().filename().string());
    std::sort(all.begin(), all.end());
    for (const auto& n : all) names += n + ";";
    return names;
  }

 private:
  std::filesystem::path FPath;
};
