#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tervil::explorer::testing {

namespace fs = std::filesystem;

// A fresh folder below `base` (the test build's scratch folder by default), removed afterwards.
class TTempFolder {
 public:
  explicit TTempFolder(std::string base = "") {
    if (base.empty()) {
      const char* scratch = std::getenv("TERVIL_TEST_TMP");
      base = scratch ? scratch : "/tmp";
    }
    fs::create_directories(base);
    std::string pattern = base + "/explorer-XXXXXX";
    path_ = mkdtemp(pattern.data());
  }
  ~TTempFolder() {
    std::error_code error;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const fs::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  std::string Write(const std::string& name, const std::string& text) const {
    const fs::path file = path_ / name;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    return file.string();
  }

 private:
  fs::path path_;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tervil::explorer::testing
