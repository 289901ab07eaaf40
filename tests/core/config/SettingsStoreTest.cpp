#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "core/config/SettingsStore.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

const std::string kKey = "Software\\Tervil Editor\\default";

TEST(SettingsStore, WritesTheRegistryExportFormat) {
  test::TTempDir dir;
  TSettingsStore store(dir.File("registry.reg"));
  store.Load();
  store.WriteString("Software\\Tervil Editor", "lastconfig", "default");
  store.WriteInteger(kKey, "tabwidth", 4);
  store.WriteString(kKey, "phppath", "/usr/bin/php");
  store.Flush();
  EXPECT_EQ(ReadFile(dir.File("registry.reg")),
            "REGEDIT4\n"
            "\n[Software\\Tervil Editor]\n\"lastconfig\"=\"default\"\n"
            "\n[Software\\Tervil Editor\\default]\n\"phppath\"=\"/usr/bin/php\"\n"
            "\"tabwidth\"=dword:00000004\n");
  struct stat st {};
  ASSERT_EQ(::stat(dir.File("registry.reg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(SettingsStore, KeepsEveryCharacterOfStringsAndBothTypes) {
  test::TTempDir dir;
  const std::string tricky = "a \"quoted\" C:\\path\\ line\r\nnext \xC3\xA4 = [x]";
  {
    TSettingsStore store(dir.File("registry.reg"));
    store.WriteString(kKey, "we\"ird\\name", tricky);
    store.WriteInteger(kKey, "max", 0xFFFFFFFFu);
    store.CreateKey(kKey + "\\Empty");
    store.Flush();
  }
  TSettingsStore again(dir.File("registry.reg"));
  EXPECT_EQ(again.Load(), "");
  EXPECT_EQ(again.ReadString(kKey, "we\"ird\\name"), tricky);
  EXPECT_EQ(again.ReadInteger(kKey, "max"), 0xFFFFFFFFu);
  EXPECT_TRUE(again.KeyExists(kKey + "\\Empty"));
  EXPECT_THROW(again.ReadInteger(kKey, "we\"ird\\name"), TSettingsError);
  EXPECT_THROW(again.ReadString(kKey, "max"), TSettingsError);
  EXPECT_THROW(again.ReadString(kKey, "missing"), TSettingsError);
}

TEST(SettingsStore, UnreadableFileIsKeptAsBadAndDefaultsApply) {
  const char* const kBadFiles[] = {
      "garbage \x01\x02\xFF",
      "REGEDIT4\n\"value\"=\"outside a key\"\n",
      "REGEDIT4\n[Software\\Tervil Editor]\n\"a\"=dword:xyz\n",
      "REGEDIT4\n[Software\\Tervil Editor]\n\"a\"=\"unterminated\n",
      "REGEDIT4\n[Software\\Tervil Editor\n",
      "REGEDIT4\n[Software\\Tervil Editor]\n\"a\"=hex:01,02\n",
  };
  for (const char* bad : kBadFiles) {
    SCOPED_TRACE(bad);
    test::TTempDir dir;
    WriteFile(dir.File("registry.reg"), bad);
    TSettingsStore store(dir.File("registry.reg"));
    std::string message = store.Load();
    EXPECT_NE(message.find("registry.reg.bad"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("registry.reg.bad")), bad);
    EXPECT_TRUE(store.SubkeyNames("").empty());
  }
}

TEST(SettingsStore, FlushKeepsWhatAnotherProcessWroteMeanwhile) {
  test::TTempDir dir;
  const std::string file = dir.File("registry.reg");
  TSettingsStore first(file), second(file);
  first.Load();
  second.Load();
  first.WriteString(kKey, "from-first", "1");
  first.Flush();
  second.WriteString(kKey, "from-second", "2");
  second.DeleteKey("Software\\Tervil Editor\\gone");
  second.Flush();
  TSettingsStore reader(file);
  reader.Load();
  EXPECT_EQ(reader.ReadString(kKey, "from-first"), "1");
  EXPECT_EQ(reader.ReadString(kKey, "from-second"), "2");
}

TEST(SettingsStore, DeleteKeyRemovesTheWholeTree) {
  test::TTempDir dir;
  TSettingsStore store(dir.File("registry.reg"));
  store.WriteString(kKey + "\\RecentFiles", "recentfile_filename0", "/a");
  store.WriteString(kKey, "x", "y");
  store.DeleteKey(kKey);
  store.Flush();
  TSettingsStore again(dir.File("registry.reg"));
  again.Load();
  EXPECT_FALSE(again.KeyExists(kKey));
  EXPECT_TRUE(again.KeyExists("Software\\Tervil Editor"));
}

TEST(SettingsStore, FailedWriteIsReportedWithTheSystemsText) {
  test::TTempDir dir;
  WriteFile(dir.File("not-a-folder"), "x");
  TSettingsStore store(dir.File("not-a-folder") + "/registry.reg");
  store.WriteString(kKey, "a", "1");
  try {
    store.Flush();
    FAIL() << "a write below a plain file must fail";
  } catch (const TSettingsError& e) {
    EXPECT_NE(std::string(e.what()).find("Not a directory"), std::string::npos) << e.what();
  }
}

// A writer killed at any moment leaves either the old or the new complete file.
TEST(SettingsStore, SurvivesKillDuringWrite) {
  test::TTempDir dir;
  const std::string file = dir.File("registry.reg");
  {
    TSettingsStore seed(file);
    seed.WriteString(kKey, "payload", "seed");
    seed.Flush();
  }
  for (int round = 0; round < 12; ++round) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      TSettingsStore store(file);
      store.Load();
      for (int i = 0;; ++i) {
        store.WriteString(kKey, "payload", std::string(20000 + i % 7, 'a' + i % 26));
        store.Flush();
      }
    }
    ::usleep(3000 + round * 1700);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    TSettingsStore reader(file);
    ASSERT_EQ(reader.Load(), "") << "round " << round;
    EXPECT_TRUE(reader.ValueExists(kKey, "payload"));
  }
}

// A key nested 300,000 levels deep: the file is kept aside at start, and no walk over such a
// tree (freeing it included) may run out of stack.
TEST(SettingsStore, KeysNestedTooDeeplyAreRefusedAndNeverRecursedOver) {
  test::TTempDir dir;
  const std::string file = dir.File("registry.reg");
  std::string deep;
  for (int i = 0; i < 300000; ++i) deep += "a\\";
  WriteFile(file, "REGEDIT4\n\n[" + deep + "b]\n\"v\"=\"1\"\n");
  {
    TSettingsStore store(file);
    const std::string message = store.Load();
    EXPECT_NE(message.find("nested more than 512 levels"), std::string::npos) << message;
    EXPECT_FALSE(ReadFile(file + ".bad").empty());
    EXPECT_THROW(store.CreateKey(deep + "b"), TSettingsError);
    store.WriteString(kKey, "a", "1");
    store.Flush();
  }
  TSettingsStore reread(file);
  EXPECT_EQ(reread.Load(), "");
  EXPECT_EQ(reread.ReadString(kKey, "a"), "1");

  TSettingsKey root;
  TSettingsKey* key = &root;
  for (int i = 0; i < 300000; ++i)
    key = (key->subkeys["a"] = std::make_unique<TSettingsKey>()).get();
}

// The writer removes what a killed writer left behind, never a user's own file.
TEST(SettingsStore, RemovesOnlyItsOwnLeftoverTemporaries) {
  test::TTempDir dir;
  const std::string file = dir.File("registry.reg");
  WriteFile(file + ".backup", "mine");
  WriteFile(file + ".tmp-Ab12Cd", "left behind");
  TSettingsStore store(file);
  store.Load();
  store.WriteString(kKey, "a", "1");
  store.Flush();
  EXPECT_EQ(ReadFile(file + ".backup"), "mine");
  struct stat st {};
  EXPECT_NE(::stat((file + ".tmp-Ab12Cd").c_str(), &st), 0);
}

}  // namespace
}  // namespace tervil
