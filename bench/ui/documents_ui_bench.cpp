// Benchmarks of opening and saving big documents through the main window, on the offscreen
// platform: from the open request to the painted first screen, and a save to disk.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <fstream>
#include <memory>
#include <string>

#include "core/config/SettingsStore.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"

namespace {

using namespace tervil;

constexpr std::size_t kDocumentBytes = 100u << 20;

// A web page of `bytes` bytes; `latin1` adds characters that are not ASCII, as single bytes.
std::string WebPage(std::size_t bytes, bool latin1) {
  const std::string row =
      latin1 ? "<tr><td class=\"n\">Caf\xE9 cr\xE8me br\xFBl\xE9"
               "e</td><td>4,50 \x80</td></tr>\n"
             : "<tr><td class=\"n\">Caf\xC3\xA9 cr\xC3\xA8me</td><td>4,50 \xE2\x82\xAC</td></tr>\n";
  std::string text = "<html><body><table>\n";
  text.reserve(bytes + row.size());
  while (text.size() < bytes) text += row;
  return text;
}

// A main window with empty settings in a private folder, answering every question with Yes.
struct TWorkspace {
  QTemporaryDir home;
  std::unique_ptr<TSettingsStore> store;
  std::unique_ptr<TTervilMain> window;

  TWorkspace() {
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home.filePath("cache").toUtf8());
    TMessageBox::SetHandler(
        [](const QString&, const QString&, int, TMsgIcon) { return TMsgResult::Yes; });
    store = std::make_unique<TSettingsStore>();
    store->Load();
    window = std::make_unique<TTervilMain>(*store, QStringList{},
                                           QStringLiteral(TERVIL_SOURCE_DIR "/data"));
    window->resize(1600, 1000);
    window->show();
    QApplication::processEvents();
  }
  ~TWorkspace() {
    for (TTvlPage* page : window->EditorPages()) page->Model().SetModified(false);
  }
  QString Write(const std::string& name, const std::string& bytes) {
    const QString path = home.filePath(QString::fromStdString(name));
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
    return path;
  }
  void OpenAndPaint(const QString& path) {
    window->OpenFile(path, false);
    window->CurrentPage()->TvlEdit()->viewport()->repaint();
  }
  void CloseAll() {
    for (TTvlPage* page : window->EditorPages()) page->Close();
  }
};

void OpenBenchmark(benchmark::State& state, bool latin1) {
  TWorkspace workspace;
  const QString path = workspace.Write("page.html", WebPage(kDocumentBytes, latin1));
  for (auto _ : state) {
    workspace.OpenAndPaint(path);
    state.PauseTiming();
    workspace.CloseAll();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDocumentBytes));
}

void BM_Open100MBUtf8ToFirstPaint(benchmark::State& state) {
  OpenBenchmark(state, false);
}
BENCHMARK(BM_Open100MBUtf8ToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Open100MBWindows1252ToFirstPaint(benchmark::State& state) {
  OpenBenchmark(state, true);
}
BENCHMARK(BM_Open100MBWindows1252ToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Save100MBUtf8(benchmark::State& state) {
  TWorkspace workspace;
  const QString path = workspace.Write("save.html", WebPage(kDocumentBytes, false));
  workspace.OpenAndPaint(path);
  TTvlPage* page = workspace.window->CurrentPage();
  for (auto _ : state) {
    page->Model().SetModified(true);
    if (!workspace.window->SavePage(page, false)) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDocumentBytes));
}
BENCHMARK(BM_Save100MBUtf8)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
