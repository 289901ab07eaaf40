#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>

#include "core/editcomponent/EditorModel.h"
#include "core/search/SearchDriver.h"

namespace tervil {
namespace {

namespace fs = std::filesystem;

// Records what the search shows and answers the replace prompts from a queue.
class FakeHost : public TSearchHost {
 public:
  TEditorModel* model = nullptr;
  std::string status;
  std::vector<std::string> boxes;    // "Text not found" boxes and errors, in order
  std::vector<std::string> prompts;  // "line:column" of each prompt
  std::deque<TReplaceAction> answers;
  std::string findBox = "untouched";

  TEditorModel* SearchModel() override { return model; }
  void SetStatusText(const std::string& text) override { status = text; }
  void ShowNotFound(const std::string& text) override { boxes.push_back(text); }
  void ShowError(const std::string& text) override { boxes.push_back("error: " + text); }
  void FocusEditor() override {}
  void SetFindBoxText(const std::string& text) override { findBox = text; }
  // A short budget for a regular-expression match, so that runaway ones end quickly.
  void RunSearchWork(const TSearchWork& work) override {
    TSearchControl control;
    control.MatchBudget = std::chrono::milliseconds(200);
    control.MatchBudgetPerByte = {};
    work(control);
  }
  TReplaceAction ConfirmReplace(const std::string&, int line, int column) override {
    prompts.push_back(std::to_string(line) + ":" + std::to_string(column));
    if (answers.empty()) return TReplaceAction::raCancel;
    TReplaceAction answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// A folder of this test process's own: the cases run as parallel processes.
fs::path TempFolder(const char* name) {
  const char* base = std::getenv("TERVIL_TEST_TMP");
  fs::path folder =
      fs::path(base ? base : "/tmp") / (std::string(name) + "-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

class SearchDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TempFolder("search-driver");
    host_.model = &model_;
  }
  void TearDown() override { fs::remove_all(folder_); }

  TSearchDialogValues Dialog(TSearchKind kind, const std::string& search) {
    TSearchDialogValues v = driver_.DialogPreset(kind);
    v.SearchText = search;
    return v;
  }
  void WriteDefinition(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
  }

  fs::path folder_;
  TEditorModel model_;
  FakeHost host_;
  TSearchState state_;
  TSearchDriver driver_{state_, host_, "Text not found", {(TempFolder("search-driver")).string()}};
};

TEST_F(SearchDriverTest, FindSelectsTheOccurrenceAndRepeatSearchContinues) {
  model_.SetText("one two one two");
  driver_.AcceptDialog(TSearchKind::skFind, Dialog(TSearchKind::skFind, "two"));
  EXPECT_EQ(model_.SelText(), "two");
  EXPECT_EQ(model_.CaretPos(), (TBufferPos{8, 1}));
  EXPECT_EQ(host_.findBox, "two");
  EXPECT_TRUE(state_.SearchContinue);
  driver_.RepeatSearch();
  EXPECT_EQ(model_.CaretPos(), (TBufferPos{16, 1}));
  driver_.SearchPrevious();
  EXPECT_EQ(model_.CaretPos(), (TBufferPos{5, 1}));
  EXPECT_TRUE(state_.SearchBackward);
  driver_.SearchNext();
  EXPECT_EQ(model_.CaretPos(), (TBufferPos{16, 1}));
  EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(SearchDriverTest, NoMatchReportsAndPutsTheCaretAtTheSelectionsEnd) {
  model_.SetText("alpha beta");
  model_.SetCaretAndSelection({3, 1}, {1, 1}, {3, 1});
  state_.SearchText = "zeta";
  EXPECT_FALSE(driver_.DoSearch(TSearchKind::skFind, false, true));
  EXPECT_EQ(host_.boxes, std::vector<std::string>{"Text not found"});
  EXPECT_EQ(host_.status, "Text not found");
  EXPECT_FALSE(model_.SelAvail());
  EXPECT_EQ(model_.CaretPos(), (TBufferPos{3, 1}));
  model_.SetCaretAndSelection({3, 1}, {7, 1}, {3, 1});
  EXPECT_FALSE(driver_.DoSearch(TSearchKind::skFind, true, false));
  EXPECT_EQ(host_.boxes.size(), 1u);  // no box with the message off
  EXPECT_EQ(model_.CaretPos(), (TBufferPos{3, 1}));
}

TEST_F(SearchDriverTest, EmptySearchTextStoresTheOptionsAndSearchesNothing) {
  model_.SetText("text");
  TSearchDialogValues v = Dialog(TSearchKind::skFind, "");
  v.MatchCase = true;
  v.FromCaret = false;
  driver_.AcceptDialog(TSearchKind::skFind, v);
  EXPECT_TRUE(state_.SearchMatchCase);
  EXPECT_FALSE(state_.SearchContinue);
  EXPECT_EQ(host_.findBox, "untouched");
  EXPECT_TRUE(host_.boxes.empty());
  EXPECT_EQ(host_.status, "");
}

TEST_F(SearchDriverTest, DialogsOpenForwardWithoutRegularExpressions) {
  TSearchDialogValues v = Dialog(TSearchKind::skFind, "a+");
  v.Backward = v.Regex = v.WholeWords = true;
  model_.SetText("aaa");
  driver_.AcceptDialog(TSearchKind::skFind, v);
  const TSearchDialogValues preset = driver_.DialogPreset(TSearchKind::skReplace);
  EXPECT_FALSE(preset.Backward);
  EXPECT_FALSE(preset.Regex);
  EXPECT_TRUE(preset.WholeWords);
  EXPECT_EQ(preset.SearchHistory, std::vector<std::string>{"a+"});
}

struct PromptCase {
  const char* name;
  std::string search, replacement;
  std::vector<TReplaceAction> answers;
  std::string result;
  std::size_t prompts;
  bool notFound;
};

void PrintTo(const PromptCase& c, std::ostream* os) {
  *os << c.name;
}

class ReplacePrompts : public SearchDriverTest, public ::testing::WithParamInterface<PromptCase> {};

TEST_P(ReplacePrompts, AnswersDecideEachOccurrence) {
  const PromptCase& c = GetParam();
  model_.SetText("cat cat cat cat");
  host_.answers.assign(c.answers.begin(), c.answers.end());
  TSearchDialogValues v = Dialog(TSearchKind::skReplace, c.search);
  v.ReplaceText = c.replacement;
  driver_.AcceptDialog(TSearchKind::skReplace, v);
  EXPECT_EQ(model_.Text(), c.result);
  EXPECT_EQ(host_.prompts.size(), c.prompts);
  EXPECT_EQ(host_.status == "Text not found", c.notFound);
}

using A = TReplaceAction;
INSTANTIATE_TEST_SUITE_P(
    Cases, ReplacePrompts,
    ::testing::Values(
        PromptCase{"yes_no_yes_no",
                   "cat",
                   "dog",
                   {A::raReplace, A::raSkip, A::raReplace, A::raSkip},
                   "dog cat dog cat",
                   4,
                   false},
        PromptCase{"yes_to_all_on_the_first",
                   "cat",
                   "dog",
                   {A::raReplaceAll},
                   "dog dog dog dog",
                   1,
                   false},
        PromptCase{"cancel_keeps_what_was_replaced",
                   "cat",
                   "dog",
                   {A::raReplace, A::raCancel},
                   "dog cat cat cat",
                   2,
                   false},
        PromptCase{"same_text_skips_without_asking", "cat", "cat", {}, "cat cat cat cat", 0, false},
        PromptCase{"same_text_without_occurrence", "cow", "cow", {}, "cat cat cat cat", 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchDriverTest, RegularExpressionGroupsWholeWordsAndBackward) {
  model_.SetText("x=1; xy=2; x=3");
  host_.answers = {A::raReplaceAll};
  TSearchDialogValues v = Dialog(TSearchKind::skReplace, "(x)=(\\d)");
  v.Regex = true;
  v.ReplaceText = "$2=$1";
  driver_.AcceptDialog(TSearchKind::skReplace, v);
  EXPECT_EQ(model_.Text(), "1=x; xy=2; 3=x");

  model_.SetText("word sword word");
  model_.SetCaretPos({16, 1});
  v = Dialog(TSearchKind::skFind, "word");
  v.WholeWords = true;
  v.Backward = true;
  driver_.AcceptDialog(TSearchKind::skFind, v);
  EXPECT_EQ(model_.CaretPos(), (TBufferPos{12, 1}));
  driver_.RepeatSearch();
  EXPECT_EQ(model_.CaretPos(), (TBufferPos{1, 1}));
}

TEST_F(SearchDriverTest, InvalidAndRunawayExpressionsReportAndChangeNothing) {
  model_.SetText("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa!");
  for (const char* pattern : {"(unclosed", "(a|aa)+$"}) {
    host_.boxes.clear();
    TSearchDialogValues v = Dialog(TSearchKind::skReplace, pattern);
    v.Regex = true;
    v.FromCaret = false;
    v.ReplaceText = "z";
    host_.answers = {A::raReplaceAll};
    driver_.AcceptDialog(TSearchKind::skReplace, v);
    ASSERT_EQ(host_.boxes.size(), 1u) << pattern;
    EXPECT_EQ(host_.boxes[0].rfind("error: ", 0), 0u) << pattern;
    EXPECT_EQ(model_.Text(), "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa!");
  }
}

// Expressions whose work grows with the square of a long line's length (or worse) end with a
// message once their budget is spent, in every kind of pass, and change nothing.
struct HostileCase {
  const char* name;
  const char* pattern;
  std::string line;
};

void PrintTo(const HostileCase& c, std::ostream* os) {
  *os << c.name;
}

class HostilePatterns : public SearchDriverTest,
                        public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostilePatterns, EndWithAMessageWhenTheirBudgetIsSpent) {
  const HostileCase& c = GetParam();
  model_.SetText(c.line);
  for (TSearchKind kind : {TSearchKind::skFind, TSearchKind::skReplace}) {
    for (bool backward : {false, true}) {
      host_.boxes.clear();
      TSearchDialogValues v = Dialog(kind, c.pattern);
      v.Regex = true;
      v.FromCaret = false;
      v.Backward = backward;
      v.ReplaceText = "z";
      host_.answers = {A::raReplaceAll};
      const auto start = std::chrono::steady_clock::now();
      driver_.AcceptDialog(kind, v);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
      ASSERT_EQ(host_.boxes.size(), 1u);
      EXPECT_NE(host_.boxes[0].find("takes too long"), std::string::npos) << host_.boxes[0];
      EXPECT_EQ(model_.Text().size(), c.line.size());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostilePatterns,
    ::testing::Values(
        HostileCase{"lookahead_reference", "(?=(a+))\\1b", std::string(1 << 20, 'a') + "!b"},
        HostileCase{"group_reference", "(a+)\\1b", std::string(1 << 20, 'a') + "!b"},
        HostileCase{"word_reference", "(?=(\\w+))\\1:", std::string(1 << 20, 'a') + "!:"},
        HostileCase{"repeated_word", "\\b(\\w+)\\b.*\\b\\1\\b",
                    [] {
                      std::string words;
                      for (int i = 0; words.size() < (256u << 10); ++i)
                        words += "w" + std::to_string(i) + " ";
                      return words;
                    }()},
        HostileCase{"lookaheads", "(?=.*x)(?=.*y).*z", std::string(1 << 20, 'a') + "xy"}),
    [](const auto& info) { return std::string(info.param.name); });

// Pairs that multiply the text stop at the limit with a message instead of running out of
// memory; what was replaced until then is one undo step.
TEST_F(SearchDriverTest, MultiReplaceThatWouldGrowTheTextPastItsLimitStops) {
  std::string definitions;
  for (int i = 0; i < 30; ++i) definitions += "a|aa\n";
  WriteDefinition("double.txt", definitions);
  const std::string text(1000, 'a');
  model_.SetText(text);
  model_.SetTextLimit(std::size_t{1} << 20);
  TSearchDialogValues v = driver_.DialogPreset(TSearchKind::skMultiReplace);
  v.DefinitionFile = "double.txt";
  v.FromCaret = false;
  driver_.AcceptDialog(TSearchKind::skMultiReplace, v);
  ASSERT_EQ(host_.boxes.size(), 1u);
  EXPECT_EQ(host_.boxes[0],
            "error: Replacing would make the text longer than 1 MB; the replacement was stopped.");
  // Ten doublings fit (1,024,000 bytes), the eleventh not.
  EXPECT_EQ(model_.TextLength(), 1024000);
  EXPECT_EQ(model_.Text().find_first_not_of('a'), std::string::npos);
  model_.Undo();
  EXPECT_EQ(model_.Text(), text);
}

// A host on whose window thread the text changes while a search waits, as a reload started by
// a timer would change it.
class ChangingHost : public FakeHost {
 public:
  void RunSearchWork(const TSearchWork& work) override {
    FakeHost::RunSearchWork(work);
    if (!changed) model->SetText("other text abc");
    changed = true;
  }
  bool changed = false;
};

TEST(SearchDriverChanges, ATextChangedWhileASearchWaitsStopsThePass) {
  TEditorModel model;
  model.SetText("abc abc");
  ChangingHost host;
  host.model = &model;
  TSearchState state;
  TSearchDriver driver(state, host, "Text not found", {});
  TSearchDialogValues v = driver.DialogPreset(TSearchKind::skReplace);
  v.SearchText = "abc";
  v.ReplaceText = "x";
  v.FromCaret = false;
  host.answers = {TReplaceAction::raReplaceAll};
  driver.AcceptDialog(TSearchKind::skReplace, v);
  EXPECT_EQ(model.Text(), "other text abc");  // nothing replaced where the old text was found
  EXPECT_TRUE(host.prompts.empty());
  EXPECT_EQ(host.status, "The search was stopped.");
}

TEST_F(SearchDriverTest, ReadOnlyPagesRefuseReplacing) {
  model_.SetText("cat");
  model_.SetReadOnly(true);
  TSearchDialogValues v = Dialog(TSearchKind::skReplace, "cat");
  v.ReplaceText = "dog";
  driver_.AcceptDialog(TSearchKind::skReplace, v);
  driver_.MultiReplace({{"cat", "dog"}});
  EXPECT_EQ(model_.Text(), "cat");
  ASSERT_EQ(host_.boxes.size(), 2u);
  EXPECT_NE(host_.boxes[0].find("read-only"), std::string::npos);
  driver_.AcceptDialog(TSearchKind::skFind, Dialog(TSearchKind::skFind, "cat"));
  EXPECT_EQ(model_.SelText(), "cat");
}

struct MultiCase {
  const char* name;
  std::string definitions;
  std::string text;
  std::string result;
};

void PrintTo(const MultiCase& c, std::ostream* os) {
  *os << c.name;
}

class MultiReplaceFiles : public SearchDriverTest,
                          public ::testing::WithParamInterface<MultiCase> {};

TEST_P(MultiReplaceFiles, ApplyEveryPairInOrderAsOneUndoStep) {
  const MultiCase& c = GetParam();
  WriteDefinition("pairs.txt", c.definitions);
  model_.SetText(c.text);
  model_.SetModified(false);
  state_.SearchText = "kept";
  TSearchDialogValues v = driver_.DialogPreset(TSearchKind::skMultiReplace);
  v.DefinitionFile = "pairs.txt";
  v.FromCaret = false;
  driver_.AcceptDialog(TSearchKind::skMultiReplace, v);
  EXPECT_EQ(model_.Text(), c.result);
  EXPECT_EQ(state_.SearchText, "kept");
  EXPECT_EQ(state_.MultiReplaceFile, "pairs.txt");
  EXPECT_TRUE(host_.boxes.empty());
  model_.Undo();
  EXPECT_EQ(model_.Text(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MultiReplaceFiles,
    ::testing::Values(MultiCase{"pairs_chain", "a|b\nb|c\n", "a b a", "c c c"},
                      MultiCase{"bars_in_the_replacement", "x|y|z", "x-x", "y|z-y|z"},
                      MultiCase{"lines_without_bar_change_nothing", "nothing here\n\nq|Q",
                                "q nothing here", "Q nothing here"},
                      MultiCase{"empty_file", "", "same", "same"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchDriverTest, MultiReplaceInTheSelectionFollowsItsGrowth) {
  WriteDefinition("grow.txt", "a|aaa\nb|c\n");
  model_.SetText("ab ab ab");
  model_.SetCaretAndSelection({6, 1}, {1, 1}, {6, 1});  // "ab ab"
  state_.SearchSelectedOnly = true;
  TSearchDialogValues v = driver_.DialogPreset(TSearchKind::skMultiReplace);
  v.DefinitionFile = "grow.txt";
  driver_.AcceptDialog(TSearchKind::skMultiReplace, v);
  EXPECT_EQ(model_.Text(), "aaac aaac ab");
  EXPECT_EQ(model_.SelText(), "aaac aaac");
}

TEST_F(SearchDriverTest, MultiReplaceWithoutAUsableFileReportsAndChangesNothing) {
  WriteDefinition("binary.bin", std::string("a|b\0", 4));
  model_.SetText("a");
  for (const char* name : {"", "binary.bin", "vanished.txt"}) {
    host_.boxes.clear();
    TSearchDialogValues v = driver_.DialogPreset(TSearchKind::skMultiReplace);
    v.DefinitionFile = name;
    driver_.AcceptDialog(TSearchKind::skMultiReplace, v);
    ASSERT_EQ(host_.boxes.size(), 1u) << name;
    EXPECT_EQ(host_.boxes[0].rfind("error: ", 0), 0u);
    EXPECT_EQ(model_.Text(), "a");
  }
}

TEST_F(SearchDriverTest, TypingFindsFromTheTopEachTimeAndFlagsNoMatch) {
  model_.SetText("abc abd abc");
  model_.SetCaretPos({12, 1});
  using S = TIncrementalFind::TState;
  const auto later = TIncrementalFind::TClock::now() + std::chrono::seconds(5);
  EXPECT_EQ(driver_.FindTextChange("a", later), S::Found);
  EXPECT_EQ(model_.CaretPos(), (TBufferPos{2, 1}));
  EXPECT_EQ(driver_.FindTextChange("ab", later), S::Found);
  EXPECT_EQ(model_.CaretPos(), (TBufferPos{3, 1}));
  EXPECT_EQ(driver_.FindTextChange("abd", later), S::Found);
  EXPECT_EQ(model_.CaretPos(), (TBufferPos{8, 1}));
  EXPECT_TRUE(state_.SearchContinue);
  EXPECT_EQ(driver_.FindTextChange("abx", later), S::NotFound);
  EXPECT_EQ(host_.status, "Text not found");
  EXPECT_TRUE(host_.boxes.empty());
  EXPECT_EQ(driver_.FindTextChange("", later), S::Idle);
  EXPECT_EQ(state_.SearchText, "");
}

TEST_F(SearchDriverTest, TypingInALongDocumentGivesWayAndFinishesLater) {
  std::string text(3 << 20, 'x');
  text += " needle";
  model_.SetText(text);
  using S = TIncrementalFind::TState;
  const auto past = TIncrementalFind::TClock::now();
  EXPECT_EQ(driver_.FindTextChange("needle", past), S::Pending);
  int rounds = 1;
  while (driver_.ContinueFindText(past) == S::Pending) ++rounds;
  EXPECT_GT(rounds, 2);
  EXPECT_EQ(model_.SelText(), "needle");
  EXPECT_EQ(driver_.FindTextChange("needles", past), S::Pending);
  driver_.SearchNext();  // another search ends the pending one
  EXPECT_EQ(driver_.ContinueFindText(past), S::Idle);
}

}  // namespace
}  // namespace tervil
