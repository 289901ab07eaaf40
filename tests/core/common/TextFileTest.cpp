#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/common/TextFile.h"

namespace tervil {
namespace {

using namespace std::string_literals;

std::filesystem::path TestFolder() {
  const char* tmp = std::getenv("TERVIL_TEST_TMP");
  const std::filesystem::path dir =
      std::filesystem::path(tmp ? tmp : std::filesystem::temp_directory_path().string()) /
      "textfile";
  std::filesystem::create_directories(dir);
  return dir;
}

TEST(TextFile, ReadsEveryByteOfFilesOfAnySize) {
  std::string big;
  while (big.size() < 300000) big += "line with \0 and \xC3\xA4\r\n"s;
  for (const std::string& content : {""s, "x"s, "a\0b"s, big}) {
    const std::filesystem::path path = TestFolder() / "file.bin";
    std::ofstream(path, std::ios::binary) << content;
    std::string bytes = "what was here before";
    std::string error;
    ASSERT_TRUE(ReadFileBytes(path.string(), bytes, &error)) << error;
    EXPECT_TRUE(bytes == content) << content.size() << " bytes";
  }
}

TEST(TextFile, ReadsFilesWhoseSizeIsNotKnownBeforehand) {
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes("/proc/self/status", bytes, nullptr));
  EXPECT_NE(bytes.find("Name:"), std::string::npos);
}

TEST(TextFile, FailuresSayWhichFileAndWhy) {
  std::string bytes = "kept?";
  std::string error;
  const std::string missing = (TestFolder() / "missing.txt").string();
  EXPECT_FALSE(ReadFileBytes(missing, bytes, &error));
  EXPECT_EQ(error, "Cannot open file \"" + missing + "\". No such file or directory");
  EXPECT_FALSE(ReadFileBytes(TestFolder().string(), bytes, &error));
  EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;
}

}  // namespace
}  // namespace tervil
