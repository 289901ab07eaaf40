#pragma once

// Helpers for the tests that run the main window or the program itself.
#include <utime.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <ctime>
#include <memory>

#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"

namespace tervil::test {

// Points the per-user folders (settings, cache, the hand-over socket's private folder) into
// `home`, so that neither the user's settings nor a running editor are touched.
inline void UseUserFoldersIn(const QTemporaryDir& home) {
  QDir(home.path()).mkpath("run");
  QFile::setPermissions(home.filePath("run"),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
  qputenv("XDG_CACHE_HOME", home.filePath("cache").toUtf8());
  qputenv("XDG_RUNTIME_DIR", home.filePath("run").toUtf8());
}

// Answers every message box the program asks with `answer`, without showing it.
inline void AnswerMessagesWith(TMsgResult answer) {
  TMessageBox::SetHandler(
      [answer](const QString&, const QString&, int, TMsgIcon) { return answer; });
}

// Closes a test's main window without the questions about unsaved pages.
inline void CloseWithoutSaving(std::unique_ptr<TTervilMain>& window) {
  if (window)
    for (TTvlPage* page : window->EditorPages()) page->Model().SetModified(false);
  window.reset();
}

// Sets a file's modification time `seconds` into the past.
inline void AgeFile(const QString& path, int seconds) {
  const time_t then = std::time(nullptr) - seconds;
  utimbuf times{then, then};
  ::utime(QFile::encodeName(path).constData(), &times);
}

// Writes a file as another program did two hours ago; returns its path.
inline QString WriteOldFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
  file.close();
  AgeFile(path, 7200);
  return path;
}

// Opens `path` in a new main window of 900 x 600 with the shipped reference data, shows it,
// waits until it is active and gives its editor the keyboard; returns that editor.
inline TTvlEdit* OpenInShownWindow(std::unique_ptr<TTervilMain>& window, TSettingsStore& store,
                                   const QString& path) {
  window = std::make_unique<TTervilMain>(store, QStringList{path},
                                         QStringLiteral(TERVIL_SOURCE_DIR "/data"));
  window->resize(900, 600);
  window->ShowAtStart();
  if (!QTest::qWaitForWindowActive(window.get())) qWarning("window not active");
  TTvlEdit* editor = window->CurrentPage()->TvlEdit();
  editor->setFocus();
  return editor;
}

inline QByteArray FileContents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Starts the program built beside the tests, as a user would from `workDir`.
inline bool StartTervil(QProcess& process, const QStringList& args, const QString& workDir) {
  process.setProgram(QStringLiteral(TERVIL_BIN_DIR "/tervil"));
  process.setArguments(args);
  process.setWorkingDirectory(workDir);
  process.start();
  return process.waitForStarted();
}

// The paths of the window's editor pages, upper control first.
inline QStringList OpenedPaths(const TTervilMain& window) {
  QStringList paths;
  for (TTvlPage* page : window.EditorPages()) paths << page->Filename();
  return paths;
}

}  // namespace tervil::test
