#pragma once

#include <string>
#include <string_view>

// A fresh directory under the system's temporary directory, removed with all
// it holds when the object goes. `Path()` ends with "/".
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Writes `text` into Path() + name (sub-directories must exist) and returns the full path.
  std::string Write(std::string_view name, std::string_view text) const;
  // Creates Path() + name as a directory and returns the full path with a trailing "/".
  std::string MakeDir(std::string_view name) const;

 private:
  std::string path_;
};

// Reads a whole text file; empty when it cannot be read.
std::string ReadTextFile(const std::string& path);
