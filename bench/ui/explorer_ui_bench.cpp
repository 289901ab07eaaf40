// Benchmarks of the explorer's file list on the offscreen platform: a folder of 100,000 files
// listed (read in the background) and painted, and sorting it by each column through the header.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <string>

#include "ui/explorer/FileListview.h"

namespace {

using namespace tervil;

constexpr int kFiles = 100000;

// A folder of kFiles empty files with varied names, made once.
QString BigFolder() {
  static QTemporaryDir dir;
  static bool made = false;
  if (!made) {
    for (int i = 0; i < kFiles; ++i) {
      const std::string path = dir.path().toStdString() + "/file-" +
                               std::to_string((i * 7919) % kFiles) + (i % 3 ? ".html" : ".php");
      const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
      if (fd >= 0) {
        if (i % 5 == 0) (void)!::write(fd, "some bytes", static_cast<size_t>(i % 10));
        ::close(fd);
      }
    }
    made = true;
  }
  return dir.path();
}

void WaitUntilListed(TFileListview& list) {
  while (list.Busy() || list.Model()->rowCount() < kFiles)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// From the request to the painted list.
void BM_ListAndPaint100kFiles(benchmark::State& state) {
  const QString folder = BigFolder();
  for (auto _ : state) {
    TFileListview list;
    list.resize(800, 600);
    list.show();
    list.SetPath(folder);
    WaitUntilListed(list);
    list.viewport()->repaint();
  }
}
BENCHMARK(BM_ListAndPaint100kFiles)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A click on a column's header: sorted and repainted.
void BM_Sort100kFiles(benchmark::State& state) {
  TFileListview list;
  list.resize(800, 600);
  list.show();
  list.SetPath(BigFolder());
  WaitUntilListed(list);
  const int column = static_cast<int>(state.range(0));
  QHeaderView* header = list.header();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
  for (auto _ : state) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent click(type, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                        Qt::NoModifier);
      QApplication::sendEvent(header->viewport(), &click);
    }
    list.viewport()->repaint();
  }
}
BENCHMARK(BM_Sort100kFiles)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
