// An editing session in a child process is killed with SIGKILL at a random moment while its
// journal is written; the journal must then give back the text the session had at least one
// second before the kill (or a later one), every time.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "core/editcomponent/EditorModel.h"
#include "core/recovery/JournalRecorder.h"
#include "core/recovery/JournalWriter.h"
#include "core/recovery/RecoveryStore.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

// One step of the scripted session: typing, a new line, a deletion, a paste or an undo, at
// positions drawn from the seed and the current text (so a replay makes the same steps).
void Step(TEditorModel& model, std::mt19937& rng) {
  const int line = static_cast<int>(rng() % model.LineCount()) + 1;
  const TBufferPos at = model.ClampPos({static_cast<int>(rng() % 60) + 1, line});
  const auto replace = [&](TBufferPos end, std::string_view text) {
    model.SetCaretAndSelection(end, at, end);
    model.SetSelText(text);
  };
  switch (rng() % 12) {
    case 0:
      replace(at, "\n");
      break;
    case 1:
    case 2:
      replace(model.ClampPos({at.Column + static_cast<int>(rng() % 8), at.Line}), "");
      break;
    case 3:
      replace(at, "pasted <b>block</b> ü €\nsecond line of the paste\n");
      break;
    case 4:
      if (model.CanUndo()) model.Undo();
      break;
    default:
      replace(at, std::string(1, static_cast<char>('a' + rng() % 26)));
      break;
  }
}

struct TProgress {
  std::int64_t steps;
  std::int64_t timeMs;
};

std::int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

[[noreturn]] void RunSession(const std::string& root, unsigned seed, int out) {
  std::string error;
  TRunFolder run = TRunFolder::Create(root, &error);
  TEditorModel model;
  model.SetText("<html>\n<body>\n</body>\n</html>\n");
  TJournalWriter writer(run.Path());
  TJournalIdentity id;
  id.name = "Unnamed 1";
  TJournalRecorder recorder(model, writer, 1, [&] { return id; });
  std::mt19937 rng(seed);
  std::int64_t lastTick = 0;
  for (std::int64_t steps = 1;; ++steps) {
    Step(model, rng);
    const std::int64_t now = NowMs();
    if (now - lastTick >= 200) {
      recorder.Tick(JournalClockMs());
      lastTick = now;
    }
    const TProgress progress{steps, now};
    if (::write(out, &progress, sizeof progress) != sizeof progress) ::_exit(2);
    std::this_thread::sleep_for(std::chrono::microseconds(700));
  }
}

TEST(KilledSession, JournalHoldsTheTextOfOneSecondBefore) {
  for (unsigned round = 0; round < 6; ++round) {
    test::TTempDir dir;
    const unsigned seed = 1000 + round;
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(pipeFds[0]);
      RunSession(dir.Path(), seed, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    std::mt19937 delay(seed);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200 + delay() % 900));
    const std::int64_t killedAt = NowMs();
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    std::vector<TProgress> progress;
    TProgress p{};
    while (::read(pipeFds[0], &p, sizeof p) == sizeof p) progress.push_back(p);
    ::close(pipeFds[0]);
    ASSERT_FALSE(progress.empty());

    std::int64_t surely = 0;  // steps done a second before the kill
    for (const TProgress& q : progress) {
      if (q.timeMs <= killedAt - 1000) surely = q.steps;
    }
    const std::int64_t last = progress.back().steps;

    std::vector<TRunFolder> runs = ClaimEndedRuns(dir.Path());
    ASSERT_EQ(runs.size(), 1u) << "round " << round;
    const std::vector<TRecoverablePage> pages = ReadRecoverablePages(runs);
    ASSERT_EQ(pages.size(), 1u);
    const std::string& recovered = pages[0].contents.text;

    TEditorModel replay;
    replay.SetText("<html>\n<body>\n</body>\n</html>\n");
    std::mt19937 rng(seed);
    std::int64_t steps = 0;
    for (; steps < surely; ++steps) Step(replay, rng);
    bool found = false;
    for (; steps <= last && !found; ++steps) {
      found = replay.Buffer().Text("\n") == recovered;
      Step(replay, rng);
    }
    EXPECT_TRUE(found) << "round " << round << ": the journal (" << recovered.size()
                       << " bytes) matches no text between step " << surely << " and " << last;
  }
}

}  // namespace
}  // namespace tervil
