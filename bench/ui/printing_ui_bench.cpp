// Print preview and printing of a large PHP file on the offscreen platform: the first page of a
// 10 MB file shown, the longest the window waits while the other pages are laid out, and 1,000
// pages printed to PDF.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <string>

#include "core/highlighters/HighlighterSet.h"
#include "ui/editor/TvlEdit.h"
#include "ui/printing/PrintEngine.h"
#include "ui/printing/PrintPreview.h"

namespace {

using namespace tervil;

std::string PhpText(std::size_t bytes) {
  std::string text = "<?php\n";
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    text += "class Cart" + n + " extends Base {\n\t/* the items of cart " + n +
            " */\n\tprivate $items = array(); // \"list\" & more\n"
            "\tpublic function total($tax = 1.19) {\n"
            "\t\t$sum = 0; foreach ($this->items as $item) { $sum += $item->price * $tax; }\n"
            "\t\treturn sprintf('%0.2f <b>EUR</b>', $sum);\n\t}\n}\n";
  }
  return text;
}

struct Document {
  THighlighterSet highlighters;
  TTvlEdit editor;
  TPrintEngine engine;
  explicit Document(std::size_t bytes) {
    editor.LoadFromBytes(PhpText(bytes));
    editor.SetHighlighter(highlighters.FindByLanguageName("PHP"));
    engine.Printer().setOutputFormat(QPrinter::PdfFormat);
    engine.Printer().setPageSize(QPageSize(QPageSize::A4));
  }
};

Document& TenMegabytes() {
  static std::unique_ptr<Document> document = std::make_unique<Document>(10u << 20);
  return *document;
}

// From the command to the first page painted in the preview window.
void BM_PreviewFirstPage10MBPhp(benchmark::State& state) {
  Document& d = TenMegabytes();
  TPrintPreviewDlg preview(d.engine, nullptr);
  preview.resize(1200, 900);
  preview.show();
  QApplication::processEvents();
  auto* page = preview.findChild<TPreviewPage*>();
  for (auto _ : state) {
    d.engine.Prepare(d.editor, "/www/cart.php");
    preview.Restart();
    page->repaint();
  }
}
BENCHMARK(BM_PreviewFirstPage10MBPhp)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The preview lays the remaining pages out while idle: the longest single wait of the window.
void BM_PreviewLongestBlock10MBPhp(benchmark::State& state) {
  Document& d = TenMegabytes();
  TPrintPreviewDlg preview(d.engine, nullptr);
  preview.resize(1200, 900);
  preview.show();
  double longest = 0, total = 0;
  for (auto _ : state) {
    d.engine.Prepare(d.editor, "/www/cart.php");
    QElapsedTimer all;
    all.start();
    preview.Restart();
    while (!preview.LayoutDone()) {
      QElapsedTimer one;
      one.start();
      QApplication::processEvents();
      longest = std::max(longest, one.nsecsElapsed() / 1e6);
    }
    total = all.nsecsElapsed() / 1e6;
  }
  state.counters["longest_ms"] = longest;
  state.counters["all_pages_ms"] = total;
  state.counters["pages"] = preview.PageCount();
}
BENCHMARK(BM_PreviewLongestBlock10MBPhp)->Unit(benchmark::kMillisecond)->Iterations(3);

// About 1,000 pages printed to a PDF file.
void BM_Print1000PagesToPdf(benchmark::State& state) {
  static Document d(1700u << 10);  // about 1,000 A4 pages
  QTemporaryDir folder;
  d.engine.Printer().setOutputFileName(folder.filePath("out.pdf"));
  d.engine.Prepare(d.editor, "/www/cart.php");
  for (auto _ : state) d.engine.Print(nullptr);
  state.counters["pages"] = d.engine.Layout().PageCount();
}
BENCHMARK(BM_Print1000PagesToPdf)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
