// Temporary test folders (see temp_folder.h).
#include "tests/support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  const char* base = std::getenv("MIRALE_TEST_TMP");
  std::error_code error;
  fs::path root = base != nullptr && base[0] != 0 ? fs::path(base) : fs::temp_directory_path(error);
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path folder = root / ("mirale-" + std::to_string(stamp) + "-" + std::to_string(++counter));
  fs::create_directories(folder, error);
  path_ = folder.string();
}

TempFolder::~TempFolder() {
  std::error_code error;
  // Files left read-only by a test must not stop the clean-up.
  for (auto it = fs::recursive_directory_iterator(path_, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::remove_all(path_, error);
}

std::string TempFolder::File(const std::string& name) const {
  return (fs::path(path_) / name).string();
}

std::string TempFolder::Put(const std::string& name,
                            const std::vector<unsigned char>& bytes) const {
  const std::string path = File(name);
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  return path;
}
