#include "ui/app/WaitWindow.h"

#include <QtTest>
#include <stdexcept>

#include "core/text/TextProcessor.h"

using namespace tervil;

class WaitWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void showsProgressOfALongConversionAndHidesAfterwards() {
    TWaitWindow wait;
    QCOMPARE(wait.windowTitle(), QString("Processing text"));
    std::string html;
    for (int i = 0; i < 20000; ++i)
      html += "<p><b>row</b> <font color=red>" + std::to_string(i) + "</font></p>\n";
    std::string plain;
    int seen = 0;
    bool visibleWhileWorking = false;
    wait.Run([&](const std::function<void(int)>& progress) {
      plain = TTextProcessor::UnformatTags(html, [&](int percent) {
        progress(percent);
        seen = std::max(seen, percent);
        visibleWhileWorking = visibleWhileWorking || wait.isVisible();
      });
    });
    QVERIFY(visibleWhileWorking);
    QVERIFY(!wait.isVisible());
    QCOMPARE(seen, 100);
    QVERIFY(plain.find("font") == std::string::npos);  // attributes go, then the bare font tags
    QVERIFY(plain.find("<b>row</b>") != std::string::npos);
  }

  void hidesWhenTheWorkFails() {
    TWaitWindow wait;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, wait.Run([](const std::function<void(int)>&) {
      throw std::runtime_error("conversion failed");
    }));
    QVERIFY(!wait.isVisible());
  }
};

QTEST_MAIN(WaitWindowTest)
#include "waitwindow_test.moc"
