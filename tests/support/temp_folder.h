// A fresh folder for one test's files, removed with everything in it when the
// test ends. Made under $MIRALE_TEST_TMP when set, else the system's temp folder.
#pragma once
#include <string>
#include <vector>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // The path of a file name inside the folder, with the platform's separator.
  std::string File(const std::string& name) const;
  // Writes a file of these bytes into the folder and returns its path.
  std::string Put(const std::string& name, const std::vector<unsigned char>& bytes) const;

 private:
  std::string path_;
};
