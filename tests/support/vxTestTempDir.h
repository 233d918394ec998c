// A fresh folder under the system's temporary folder ($TMPDIR, else /tmp)
// for one test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/base/vxBase.h"
#include "platform/base/vxCodePage.h"

class TTestTempDir {
 public:
  // Raises std::runtime_error when the folder cannot be made (mkdtemp is
  // checked); Prefix starts the folder's name.
  explicit TTestTempDir(const std::string& Prefix = "vxtest");
  ~TTestTempDir();
  TTestTempDir(const TTestTempDir&) = delete;
  TTestTempDir& operator=(const TTestTempDir&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  std::string File(const std::string& name) const { return (FPath / name).string(); }
  ustring WideFile(const std::string& name) const;

  static std::string ReadBytes(const std::string& file);
  static void WriteBytes(const std::string& file, const std::string& bytes);
  // The names of the entries in the folder, sorted, each followed by ";".
  std::string Listing() const;

 private:
  std::filesystem::path FPath;
};
