#include <QAction>
#include <QDirIterator>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

#include "core/documents/DocumentFiles.h"
#include "core/text/TextProcessor.h"
#include "ui/app/FileDialogs.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"

using namespace tervil;

namespace {

// Spread over each tree, small enough for a quick run.
constexpr int kFilesPerTree = 70;
const char* const kTrees[] = {"/usr/include", "/usr/share/perl5", "/usr/share/perl",
                              "/usr/share/doc", "/usr/lib/python3"};

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Text files of a tree (no NUL byte, small enough to open without the large-file question), in
// a fixed order, every n-th one so that the sample covers the whole tree.
QStringList SampleOf(const QString& root) {
  QStringList all;
  QDirIterator it(root, QDir::Files | QDir::NoSymLinks | QDir::Readable,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const qint64 size = it.fileInfo().size();
    if (size > 0 && size <= kLargeFileThreshold) all << path;
  }
  all.sort();
  QStringList sample;
  const int step = std::max<int>(1, int(all.size()) / kFilesPerTree);
  for (int i = 0; i < all.size() && sample.size() < kFilesPerTree; i += step)
    if (!Read(all[i]).contains('\0')) sample << all[i];
  return sample;
}

// The bytes a save with no edit writes. Two described rules change a file: line breaks of more
// than one kind become the first one, and CR alone in a text of known encoding becomes CR LF.
QByteArray ExpectedAfterSave(const QByteArray& bytes) {
  std::string encoding = "-";
  bool byFallback = false;
  const std::string text =
      TTextProcessor::DetectCharsetAndConvert(bytes.toStdString(), encoding, byFallback);
  const TLineBreaks breaks = CountLineBreaks(text);
  if (!breaks.Mixed() && (breaks.cr == 0 || byFallback)) return bytes;
  const std::string terminator = FileTerminator(breaks, byFallback, TWriteSettings{});
  return QByteArray::fromStdString(WithLineBreaks(bytes.toStdString(), terminator));
}

}  // namespace

// Real files of this machine, opened by the program and saved under a new name without an edit,
// with the default settings: every byte comes back.
class CorpusTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    QDir(home_.path()).mkpath("saved");
  }

  void openAndSaveWithoutAnEditKeepsEveryByte() {
    QStringList files;
    for (const char* tree : kTrees) files << SampleOf(tree);
    if (files.size() < 50) QSKIP("too few real files on this machine");
    QStringList asked;
    TMessageBox::SetHandler([&asked](const QString& caption, const QString& text, int, TMsgIcon) {
      asked << caption + ": " + text;
      return TMsgResult::No;
    });
    TSettingsStore store;
    store.Load();
    TTervilMain window(store, {}, QStringLiteral(TERVIL_SOURCE_DIR "/data"));
    QMenu* fileMenu = window.menuBar()->actions().first()->menu();
    QAction* saveAs = nullptr;
    for (QAction* action : fileMenu->actions())
      if (action->text() == "Save As") saveAs = action;
    QVERIFY(saveAs);

    QString target;
    TFileDialogs::SetSaveAsHook([&target](const TSaveAsRequest& request) {
      TSaveAsChoice choice;
      choice.fileName = target;
      choice.filterIndex = int(request.filters.size()) - 1;  // "All files": no extension added
      choice.encoding = request.encoding;
      return std::optional<TSaveAsChoice>(choice);
    });
    int identical = 0;
    QStringList changedByRule, wrong;
    for (int i = 0; i < files.size(); ++i) {
      const QString& file = files[i];
      window.OpenFile(file, false);
      TTvlPage* page = window.CurrentPage();
      QVERIFY2(page && page->Filename() == file, qPrintable(file));
      target = home_.filePath("saved/" + QString::number(i) + "-" + QFileInfo(file).fileName());
      emit fileMenu->aboutToShow();  // File > Save As
      saveAs->trigger();
      const QByteArray original = Read(file), saved = Read(target);
      if (saved == original)
        ++identical;
      else if (saved == ExpectedAfterSave(original))
        changedByRule << file;
      else
        wrong << file + " (" + page->Encoding + ")";
      QVERIFY(page->Close());
    }
    TFileDialogs::SetSaveAsHook(nullptr);
    TMessageBox::SetHandler(nullptr);
    qInfo("%d files: %d identical, %d with mixed or CR-only line breaks written by the rule",
          int(files.size()), identical, int(changedByRule.size()));
    QVERIFY2(asked.isEmpty(), qPrintable(asked.join("\n")));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("\n")));
    QVERIFY(changedByRule.size() * 50 <= files.size());
  }
};

QTEST_MAIN(CorpusTest)
#include "corpus_test.moc"
