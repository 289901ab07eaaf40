#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <future>

#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/SearchEngines.h"
#include "core/editcomponent/TextBuffer.h"
#include "core/search/SearchDriver.h"
#include "core/search/SearchWorker.h"

namespace tervil {
namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

// Whether the work ended with TSearchCancelled.
bool Cancelled(std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const TSearchCancelled&) {
    return true;
  } catch (...) {
  }
  return false;
}

// A line on which `(a+)\1b` runs for minutes unless it is stopped.
std::string HostileLine() {
  return std::string(1 << 20, 'a') + "!b";
}

TEST(SearchWorker, StopEndsALongSearchAndStartStopsTheOneBefore) {
  TTextBuffer buffer;
  buffer.Assign(HostileLine());
  TRegexSearchEngine engine;
  engine.Prepare("(a+)\\1b", 0);
  TSearchWorker worker;
  std::promise<std::exception_ptr> first;
  auto work = [&](TSearchControl& control) {
    engine.SetControl(&control);
    TSearchMatch match;
    engine.Find(buffer, 0, buffer.ByteCount(), false, match);
  };
  worker.Start(work, [&](std::exception_ptr error) { first.set_value(error); });
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(worker.Busy());
  TClock::time_point start = TClock::now();
  worker.Stop();
  EXPECT_LT(TClock::now() - start, 1s);
  EXPECT_FALSE(worker.Busy());
  EXPECT_TRUE(Cancelled(first.get_future().get()));

  // The next piece of work stops the one still running, which still reports its end.
  std::promise<std::exception_ptr> second;
  std::promise<bool> third;
  worker.Start(work, [&](std::exception_ptr error) { second.set_value(error); });
  std::this_thread::sleep_for(20ms);
  worker.Start([](TSearchControl&) {}, [&](std::exception_ptr error) { third.set_value(!error); });
  EXPECT_TRUE(Cancelled(second.get_future().get()));
  EXPECT_TRUE(third.get_future().get());
}

// Runs the searches on a worker; their ends wait in a queue until Pump runs them, as the
// window thread would.
class WorkerHost : public TSearchHost {
 public:
  TEditorModel* model = nullptr;
  std::string status;
  std::deque<std::function<void()>> ends;
  std::vector<TIncrementalFind::TState> results;
  TSearchWorker worker;
  std::mutex mutex;

  TEditorModel* SearchModel() override { return model; }
  void SetStatusText(const std::string& text) override { status = text; }
  void ShowNotFound(const std::string&) override {}
  void ShowError(const std::string&) override {}
  void FocusEditor() override {}
  void SetFindBoxText(const std::string&) override {}
  TReplaceAction ConfirmReplace(const std::string&, int, int) override {
    return TReplaceAction::raCancel;
  }
  void StartSearchWork(TSearchWork work, std::function<void(std::exception_ptr)> done) override {
    worker.Start(std::move(work), [this, done](std::exception_ptr error) {
      std::lock_guard lock(mutex);
      ends.push_back([done, error] { done(error); });
    });
  }
  void StopSearchWork() override { worker.Stop(); }
  void FindTextDone(TIncrementalFind::TState state) override { results.push_back(state); }
  // Waits up to a few seconds for the work to end, then runs the ends that came.
  void Pump() {
    for (auto until = TClock::now() + 5s; worker.Busy() && TClock::now() < until;)
      std::this_thread::sleep_for(1ms);
    std::deque<std::function<void()>> due;
    {
      std::lock_guard lock(mutex);
      due.swap(ends);
    }
    for (auto& end : due) end();
  }
};

TEST(SearchWorker, TypingSearchesOffTheThreadAndStartsOverWhenTheTextChanges) {
  using S = TIncrementalFind::TState;
  TEditorModel model;
  model.SetText(HostileLine());
  WorkerHost host;
  host.model = &model;
  TSearchState state;
  state.SearchRegex = true;
  TSearchDriver driver(state, host, "Text not found", {});
  EXPECT_EQ(driver.StartFindText("(a+)\\1b"), S::Pending);
  std::this_thread::sleep_for(20ms);
  // The edit waits for the search to stop; the search then starts over on the new text.
  TClock::time_point start = TClock::now();
  model.SetText("xx aab");
  EXPECT_LT(TClock::now() - start, 1s);
  host.Pump();
  host.Pump();
  ASSERT_EQ(host.results, std::vector<S>{S::Found});
  EXPECT_EQ(model.SelText(), "aab");
  EXPECT_FALSE(driver.FindTextPending());

  // Stopped by the user: nothing more comes.
  model.SetText(HostileLine());
  EXPECT_EQ(driver.StartFindText("(a+)\\1b"), S::Pending);
  driver.CancelFindText();
  EXPECT_FALSE(host.worker.Busy());
  host.Pump();
  EXPECT_EQ(host.results.size(), 1u);
  model.SetText("edits after the search need no stop");
}

}  // namespace
}  // namespace tervil
