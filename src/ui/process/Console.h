#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "core/app/ResourceStrings.h"
#include "core/process/ConsoleApp.h"
#include "core/process/ConsoleOutput.h"
#include "core/process/RunCopyNames.h"

class QAction;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace tervil {

class THtmlOutputView;

// The "Console" tool window: owns the program's only process runner, starts the command lines
// the run commands hand to it and shows what the program prints: standard error as a list of
// error lines, standard output as text, and the collected output as a web page.
class TConsole : public QWidget {
  Q_OBJECT
 public:
  // The runner reads this many bytes at most per chunk; large enough to keep up with a program
  // that prints fast, small enough to show output as it comes.
  static constexpr std::uint32_t kReadBufferSize = 64 * 1024;
  // How often the output page shows new output while a program prints.
  static constexpr int kMemoRefreshMs = 40;
  // "Show Full Output" fills the output page a piece at a time, for at most this long before the
  // window gets its turn again.
  static constexpr int kFullSliceMs = 20;

  explicit TConsole(QWidget* parent = nullptr);
  ~TConsole() override;

  // Starts `cmdLine` (split into words, no shell) and remembers `copyPath`, the temporary copy
  // the run works on, to delete it when the run ends.
  void RunCommand(const QString& cmdLine, const QString& copyPath);
  // The page the next run's copy stands for (its file, or its caption when it has none): error
  // lines name it instead of the copy, and double-clicking one leads to it.
  void SetRunPage(const QString& pageName);
  // Queues `text` and CR LF for the program's standard input; throws while nothing runs.
  void SendLine(const QString& text);
  void SetWorkDir(const QString& dir);
  void KillProcess(std::uint32_t exitCode);
  bool Running() const { return ConsoleApp->Running(); }

  QString CopyPath() const { return copyPath_; }
  const TConsoleOutput& Output() const { return output_; }
  // Whether a tab shows news the user has not seen.
  bool TabHighlighted(QWidget* page) const;
  // "Show Full Output": the output page shows everything kept, filled a piece at a time.
  void ShowFull();
  // Whether "Show Full Output" is still filling the output page.
  bool FillingFullOutput() const;

  std::unique_ptr<TConsoleApp> ConsoleApp;
  QTabWidget* PageControl1 = nullptr;
  QWidget* Errors = nullptr;
  QWidget* OutputPage = nullptr;
  QWidget* OutputHTML = nullptr;
  QTreeWidget* ErrorList = nullptr;
  QPlainTextEdit* OutputMemo = nullptr;
  THtmlOutputView* WebBrowser = nullptr;
  QAction* actShowFull = nullptr;
  QAction* actRefresh = nullptr;

 signals:
  // A run starts while the window is hidden: whoever hosts it shows it.
  void ShowRequested();
  // The run has ended (the run commands turn back to "Run").
  void RunFinished();
  // An error line that names a file and a line was double-clicked: `runPage` when it is a line
  // of the page that ran (`file` is then that page's name).
  void ErrorLineActivated(const QString& file, int line, bool runPage);

 private:
  void CreatePages();
  void CreateMenus();
  void ConsoleAppBeforeExecute();
  void ConsoleAppOutput(const std::string& chunk);
  void ConsoleAppEOutput(const std::string& chunk);
  void ConsoleAppError(std::uint32_t code, const std::string& message);
  void ConsoleAppDone();
  void PageControl1Change();
  void RefreshMemo();
  void FillFullOutput();
  void StopFullOutput();
  void ShowMemoEnd();
  void SetErrorsCaption();
  void SetOutputCaption(const char* stateKey);
  void Highlight(QWidget* page, bool on);
  void DeleteCopy();
  void DeleteHtmlCopy();
  void ErrorListDoubleClick(QTreeWidgetItem* item);
  QString MemoCopyText() const;
  QString Text(const char* key) const;

  TResourceStrings ResourceStrings1;
  TConsoleOutput output_;
  QString copyPath_;
  QString htmlPath_;  // the HTML page's file while it exists
  QString command_;
  QString workDir_;
  TRunCopyNames copyNames_;
  QTimer* fullTimer_ = nullptr;
  std::size_t fullOffset_ = 0;  // the kept output shown so far by "Show Full Output"
  QTimer* memoTimer_ = nullptr;
  bool memoStale_ = false;
};

}  // namespace tervil
