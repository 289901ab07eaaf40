#include <gtest/gtest.h>

#include <fstream>

#include "core/editcomponent/EditorModel.h"
#include "core/recovery/JournalRecorder.h"
#include "core/recovery/JournalWriter.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

class JournalRecorderTest : public ::testing::Test {
 protected:
  void SetUp() override { model.LoadFromBytes("saved text\n"); }
  bool JournalExists() { return std::ifstream(writer.PathOf(1)).good(); }
  std::string Journalled() {
    recorder.Tick(JournalClockMs());
    writer.Flush();
    return ReadJournal(writer.PathOf(1)).text;
  }
  void Type(std::string_view text) { model.SetSelText(text); }

  test::TTempDir dir;
  TEditorModel model;
  TJournalWriter writer{dir.Path(), 1};
  TJournalRecorder recorder{model, writer, 1, [] {
                              TJournalIdentity id;
                              id.name = "Unnamed 1";
                              return id;
                            }};
};

TEST_F(JournalRecorderTest, UnmodifiedPagesHaveNoJournal) {
  recorder.Tick(JournalClockMs());
  writer.Flush();
  EXPECT_FALSE(JournalExists());
}

TEST_F(JournalRecorderTest, EditsAfterTheSnapshotAreLoggedAndSavingDeletesTheJournal) {
  Type("a");
  EXPECT_EQ(Journalled(), "asaved text\n");
  Type("bc");
  model.Undo();
  Type("\nd");
  EXPECT_EQ(Journalled(), "a\ndsaved text\n");
  EXPECT_TRUE(recorder.Journalling());
  model.SetModified(false);  // saved
  writer.Flush();
  EXPECT_FALSE(JournalExists());
  Type("x");
  EXPECT_EQ(Journalled(), "a\ndxsaved text\n");
}

TEST_F(JournalRecorderTest, UndoingBackToTheSavedTextDeletesTheJournal) {
  Type("abc");
  Journalled();
  model.Undo();
  writer.Flush();
  EXPECT_FALSE(model.Modified());
  EXPECT_FALSE(JournalExists());
}

TEST_F(JournalRecorderTest, ReloadingDiscardsAndSettingTextJournals) {
  Type("abc");
  Journalled();
  model.LoadFromBytes("read again\n");
  writer.Flush();
  EXPECT_FALSE(JournalExists());
  model.SetText("set by a command\n");
  EXPECT_EQ(Journalled(), "set by a command\n");
}

TEST(JournalPolicy, BigTextsAreSnapshottedLessOften) {
  TJournalPolicy policy;
  EXPECT_EQ(policy.LogLimit(10), TJournalPolicy::kMinLog);
  EXPECT_EQ(policy.LogLimit(1 << 20), std::size_t{1} << 20);
  EXPECT_EQ(policy.LogLimit(std::size_t{100} << 20), std::size_t{400} << 20);
}

}  // namespace
}  // namespace tervil
