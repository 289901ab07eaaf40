#pragma once

// The main window the widget benchmarks work in.

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

namespace tervil {

// A main window with empty settings in a private folder, answering every question with Yes.
struct TWorkspace {
  QTemporaryDir home;
  std::unique_ptr<TSettingsStore> store;
  std::unique_ptr<TTervilMain> window;

  TWorkspace() {
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home.filePath("cache").toUtf8());
    // The crash journal too: a run killed earlier must not bring up its recovery question.
    qputenv("XDG_STATE_HOME", home.filePath("state").toUtf8());
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

}  // namespace tervil
