#include "ui/app/Entry.h"

#include <unistd.h>

#include <QDir>
#include <cstdio>
#include <memory>

#include "core/app/CommandLine.h"
#include "core/app/HandOver.h"
#include "core/common/Paths.h"
#include "core/config/Configuration.h"
#include "ui/app/FilePaths.h"
#include "ui/app/InstanceServer.h"
#include "ui/app/MainForm.h"
#include "ui/app/SessionGuard.h"
#include "ui/app/StatusPanels.h"
#include "ui/app/TervilApplication.h"

namespace tervil {

namespace {

std::string WorkingDirectory() {
  std::string buffer(4096, '\0');
  if (::getcwd(buffer.data(), buffer.size())) return buffer.c_str();
  return HomeDirectory();
}

// The files to open; a later start hands them over already absolute.
std::vector<std::string> AbsolutePaths(const std::vector<std::string>& files) {
  const std::string cwd = WorkingDirectory();
  std::vector<std::string> paths;
  for (const auto& file : files) paths.push_back(MakeAbsolute(file, cwd));
  return paths;
}

// Answers --help, --version and unknown options on the terminal. Returns the exit status, or -1
// when the program is to run as the editor.
int AnswerCommandLine(const TCommandLine& commandLine, const std::string& program) {
  switch (commandLine.action) {
    case TCommandLine::Help:
      std::fputs(HelpText(program).c_str(), stdout);
      return 0;
    case TCommandLine::Version:
      std::fputs(VersionText().c_str(), stdout);
      return 0;
    case TCommandLine::Error:
      std::fprintf(stderr, "%s: %s (see %s --help)\n", program.c_str(), commandLine.message.c_str(),
                   program.c_str());
      return kUsageExitStatus;
    case TCommandLine::Run:
      break;
  }
  return -1;
}

}  // namespace

int RunTervil(int argc, char** argv) {
  // Options are answered before any window or hand-over.
  const std::string program = argc > 0 ? FileNameOf(argv[0]) : std::string("tervil");
  const TCommandLine commandLine =
      ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  if (const int status = AnswerCommandLine(commandLine, program); status >= 0) return status;
  const std::vector<std::string> paths = AbsolutePaths(commandLine.files);

  TSettingsStore store;
  const std::string storeMessage = store.Load();
  if (!storeMessage.empty()) std::fprintf(stderr, "tervil: %s\n", storeMessage.c_str());
  TConfiguration startConfiguration(store);

  // Unless several editors are allowed, hand the paths to a running editor and end.
  const std::string socketPath = HandOverSocketPath();
  bool singleInstance = !startConfiguration.MultipleInstances;
  std::unique_ptr<TInstanceLock> lock;
  if (singleInstance) {
    std::string error;
    if (!PrepareSocketDirectory(socketPath, &error)) {
      std::fprintf(stderr, "tervil: %s; running without single-instance hand-over\n",
                   error.c_str());
      singleInstance = false;
    } else {
      lock = std::make_unique<TInstanceLock>(socketPath);
      switch (SendHandOver(socketPath, paths, &error)) {
        case THandOverResult::Delivered:
          return 0;
        case THandOverResult::NoEditorRunning:
          break;
        case THandOverResult::EditorGone:
          // It ended (killed, or closing) before it opened them: this start opens them and
          // takes its place.
          std::fprintf(stderr, "tervil: the running editor ended before it opened the files\n");
          break;
        case THandOverResult::NoAnswer:
        case THandOverResult::Failed:
          // An editor that lives but does not answer keeps its place; the files open here.
          std::fprintf(stderr, "tervil: %s; opening the files in a window of its own\n",
                       error.empty() ? "the running editor does not answer" : error.c_str());
          singleInstance = false;
          lock.reset();
          break;
      }
    }
  }

  // The OpenGL context the browser engine shares with the windows is made when the engine is
  // first needed (see BrowserPage.cpp), not here at start.
  // Qt sees no arguments: a file named like one of its options is still a file.
  int qtArgc = 1;
  char programName[] = "tervil";
  char* qtArgv[] = {argc > 0 ? argv[0] : programName, nullptr};
  TTervilApplication app(qtArgc, qtArgv);
  TInstanceServer server;
  if (singleInstance) {
    QString error;
    if (!server.Listen(QString::fromStdString(socketPath), &error))
      std::fprintf(stderr, "tervil: cannot listen on %s: %s\n", socketPath.c_str(),
                   error.toLocal8Bit().constData());
  }
  lock.reset();

  QStringList arguments;
  for (const auto& p : paths) arguments << PathText(p);
  const QString dataDir = QString::fromStdString(
      ResourceDirectory(QCoreApplication::applicationDirPath().toStdString(), "data"));

  // Paths handed over while the window starts (its questions may stay open for long) wait in
  // the server's queue until the window takes them.
  TTervilMain mainWindow(store, arguments, dataDir);
  mainWindow.AcceptHandOver(&server);
  TSessionGuard sessionGuard(mainWindow);
  if (!storeMessage.empty())
    mainWindow.StatusPanels()->SetPanelText(0, QString::fromStdString(storeMessage));
  mainWindow.ShowAtStart();
  return app.exec();
}

}  // namespace tervil
