// Benchmarks of the Options dialog on the offscreen platform, with a configuration as a long-time
// user has it (many user codes, applications and configurations): making and filling the dialog,
// filling it again, switching sections, highlighters and configurations. Each must stay well
// under 100 ms.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "BenchWorkspace.h"
#include "ui/options/OptionsForm.h"

namespace {

using namespace tervil;

// The workspace's configuration with 60 user codes, 30 applications and 20 configurations.
TWorkspace& Workspace() {
  static TWorkspace* workspace = [] {
    qputenv("XDG_DATA_HOME", QByteArray("/nonexistent-tervil-bench"));
    auto* w = new TWorkspace;
    TConfiguration& config = w->window->Configuration();
    for (int i = 0; i < 60; ++i)
      config.UserCodeList.push_back(
          {"code " + std::to_string(i), "<span class=\"c" + std::to_string(i) + "\">", "</span>"});
    for (int i = 0; i < 30; ++i)
      config.Applications.push_back("tool" + std::to_string(i) + "=/usr/bin/tool" +
                                    std::to_string(i) + " --file");
    config.PhpPath = "/usr/bin/php";
    for (int i = 0; i < 20; ++i) config.AddConfig("project-" + std::to_string(i));
    config.Save();
    w->OpenAndPaint(w->Write("page.php", std::string(2000, 'x') + "\n<?php echo 1; ?>\n"));
    return w;
  }();
  return *workspace;
}

void BM_OptionsCreateAndShow(benchmark::State& state) {
  TWorkspace& w = Workspace();
  for (auto _ : state) {
    TOptionsForm form(w.window->OptionsHost(), w.window.get());
    form.show();
    form.repaint();
  }
}
BENCHMARK(BM_OptionsCreateAndShow)->Unit(benchmark::kMillisecond);

void BM_OptionsFill(benchmark::State& state) {
  TWorkspace& w = Workspace();
  TOptionsForm form(w.window->OptionsHost(), w.window.get());
  form.show();
  for (auto _ : state) {
    form.Fill();
    form.repaint();
  }
}
BENCHMARK(BM_OptionsFill)->Unit(benchmark::kMillisecond);

void BM_OptionsSwitchSection(benchmark::State& state) {
  TWorkspace& w = Workspace();
  TOptionsForm form(w.window->OptionsHost(), w.window.get());
  form.show();
  int section = 0;
  for (auto _ : state) {
    section = (section + 1) % form.SectionCount();
    form.ShowSection(section);
    form.repaint();
  }
}
BENCHMARK(BM_OptionsSwitchSection)->Unit(benchmark::kMillisecond);

void BM_OptionsSwitchHighlighter(benchmark::State& state) {
  TWorkspace& w = Workspace();
  TOptionsForm form(w.window->OptionsHost(), w.window.get());
  form.show();
  form.ShowSection(2);
  const int count = static_cast<int>(w.window->ListHighlighters().size());
  int index = 0;
  for (auto _ : state) {
    index = (index + 1) % count;
    form.ChooseHighlighter(index);
    form.repaint();
  }
}
BENCHMARK(BM_OptionsSwitchHighlighter)->Unit(benchmark::kMillisecond);

// Each switch saves the configuration left and loads the other one, then fills the dialog.
void BM_OptionsSwitchConfiguration(benchmark::State& state) {
  TWorkspace& w = Workspace();
  TOptionsForm form(w.window->OptionsHost(), w.window.get());
  form.show();
  bool other = false;
  for (auto _ : state) {
    other = !other;
    form.SwitchConfiguration(other ? "project-7" : "default");
    form.repaint();
  }
  form.SwitchConfiguration("default");
}
BENCHMARK(BM_OptionsSwitchConfiguration)->Unit(benchmark::kMillisecond);

}  // namespace
