// Benchmarks of the image map editor with a 50-megapixel picture on the offscreen platform: from
// "Open" to the painted first screen, for a JPEG and a PNG.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMap>
#include <QScrollArea>
#include <QTemporaryDir>

#include "ui/generators/ImageMapCanvas.h"
#include "ui/generators/ImageMapForm.h"

namespace {

using namespace tervil;

constexpr QSize kPictureSize(8660, 5774);  // 50 megapixels

// A picture with detail everywhere, so that it does not compress to nothing; written once per
// format and kept for every repetition.
QString WritePicture(const char* format) {
  static QTemporaryDir dir;
  static QMap<QString, QString> written;
  if (written.contains(format)) return written[format];
  QImage picture(kPictureSize, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < picture.width(); ++x)
      line[x] = qRgb(x * 7 & 255, y * 3 & 255, (x ^ y) & 255);
  }
  const QString path = dir.filePath(QString("large.") + format);
  picture.save(path, format, 90);
  written[format] = path;
  return path;
}

void OpenLargePicture(benchmark::State& state, const char* format) {
  const QString path = WritePicture(format);
  TImageMapForm form({});
  form.show();
  QApplication::processEvents();
  for (auto _ : state) {
    if (!form.OpenPicture(path)) state.SkipWithError("the picture was not read");
    form.Canvas()->parentWidget()->repaint();
  }
}

void BM_ImageMapOpen50MegapixelJpeg(benchmark::State& state) {
  OpenLargePicture(state, "jpg");
}
BENCHMARK(BM_ImageMapOpen50MegapixelJpeg)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImageMapOpen50MegapixelPng(benchmark::State& state) {
  OpenLargePicture(state, "png");
}
BENCHMARK(BM_ImageMapOpen50MegapixelPng)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
