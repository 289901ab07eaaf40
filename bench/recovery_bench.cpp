// Benchmarks of the crash journal: the cost it adds to a keystroke in a 100 MB page, how many
// edits a second its writer thread stores, and recovering a 100 MB page with 100,000 edits.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "core/editcomponent/EditorModel.h"
#include "core/recovery/JournalRecorder.h"
#include "core/recovery/JournalWriter.h"

namespace {

using namespace tervil;
namespace fs = std::filesystem;

constexpr std::size_t kMB = 1024 * 1024;

std::string BigText(std::size_t bytes) {
  std::string text;
  text.reserve(bytes + 100);
  for (int i = 0; text.size() < bytes; ++i) {
    text += "<tr><td class=\"cell\">row " + std::to_string(i) + "</td><td>php echo $x;</td></tr>\n";
  }
  return text;
}

std::string BenchFolder(const char* name) {
  const fs::path folder = fs::temp_directory_path() / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder.string();
}

TJournalIdentity Identity() {
  TJournalIdentity id;
  id.name = "Unnamed 1";
  return id;
}

// A keystroke (type a character, then delete it) in the middle of a 100 MB page, with the
// journal off (0) or on (1).
void BM_KeystrokeIn100MB(benchmark::State& state) {
  static std::unique_ptr<TEditorModel> model;
  if (!model) {
    model = std::make_unique<TEditorModel>();
    model->SetText(BigText(100 * kMB));
  }
  const std::string folder = BenchFolder("tervil-journal-bench");
  std::unique_ptr<TJournalWriter> writer;
  std::unique_ptr<TJournalRecorder> recorder;
  if (state.range(0)) {
    writer = std::make_unique<TJournalWriter>(folder);
    recorder = std::make_unique<TJournalRecorder>(*model, *writer, 1, Identity);
    recorder->Tick(JournalClockMs());  // the first snapshot, taken before timing
    writer->Flush();
  }
  const TBufferPos at{5, model->LineCount() / 2};
  for (auto _ : state) {
    model->SetCaretPos(at);
    model->ExecuteCommand(ecChar, U'x');
    model->ExecuteCommand(ecDeleteLastChar);
  }
  state.SetItemsProcessed(state.iterations() * 2);
  recorder.reset();
  writer.reset();
  fs::remove_all(folder);
}
BENCHMARK(BM_KeystrokeIn100MB)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Edits queued and written to disk (with its flush) by the writer thread, in batches of 1,000
// as a second of fast typing would queue them.
void BM_WriterStores1000Edits(benchmark::State& state) {
  const std::string folder = BenchFolder("tervil-writer-bench");
  TJournalWriter writer(folder, 0);
  writer.Snapshot(1, Identity(), BigText(64 * 1024));
  writer.Flush();
  std::uint64_t at = 100;
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) writer.Insert(1, at++, "k");
    writer.Flush();
  }
  state.SetItemsProcessed(state.iterations() * 1000);
  fs::remove_all(folder);
}
BENCHMARK(BM_WriterStores1000Edits)->Unit(benchmark::kMillisecond);

// Reading and replaying the journal of a 100 MB page with 100,000 edits after its snapshot.
// The journal is made once for all repetitions.
std::string BigJournal() {
  static std::string path;
  if (!path.empty()) return path;
  const std::string folder = BenchFolder("tervil-recover-bench");
  {
    TJournalWriter writer(folder, 50);
    const std::string text = BigText(100 * kMB);
    std::mt19937 rng(1);
    writer.Snapshot(1, Identity(), text);
    std::uint64_t size = text.size();
    for (int i = 0; i < 100000; ++i) {
      const std::uint64_t byte = rng() % size;
      if (i % 3 == 2) {
        writer.Erase(1, byte - byte % 64, 1);  // ASCII text: any byte is a boundary
        --size;
      } else {
        writer.Insert(1, byte, "typed");
        size += 5;
      }
    }
    writer.Flush();
    path = writer.PathOf(1);
  }
  std::atexit([] { fs::remove_all(fs::temp_directory_path() / "tervil-recover-bench"); });
  return path;
}

void BM_Recover100MBWith100kEdits(benchmark::State& state) {
  const std::string path = BigJournal();
  for (auto _ : state) {
    TJournalContents contents = ReadJournal(path);
    benchmark::DoNotOptimize(contents.text.data());
    if (contents.edits != 100000) state.SkipWithError("journal not replayed whole");
  }
}
BENCHMARK(BM_Recover100MBWith100kEdits)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
