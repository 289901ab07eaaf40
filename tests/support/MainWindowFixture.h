#pragma once

// The main window of a UI test, made the way the program makes it at start-up: the settings read
// from the user folders the test points to, the shipped reference data, the window resized and
// shown as the test needs. It stands for the window itself (->, *, get()).
#include <QSize>
#include <QStringList>
#include <QTest>
#include <memory>

#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "ui/app/MainForm.h"
#include "ui/editor/TvlEdit.h"

namespace tervil::test {

class TMainWindowFixture {
 public:
  // How far the window is brought on the screen before the test goes on.
  enum class TShow {
    Hidden,   // made and resized only
    Shown,    // shown, without waiting
    Exposed,  // shown and waited for until it is exposed
    Active,   // shown and waited for until it is the active window
  };

  TMainWindowFixture() = default;
  TMainWindowFixture(const TMainWindowFixture&) = delete;
  TMainWindowFixture& operator=(const TMainWindowFixture&) = delete;

  // Reads the settings anew into a fresh store; the next window uses it.
  void LoadSettings() {
    store_ = std::make_unique<TSettingsStore>();
    store_->Load();
  }

  // Ends the window there is, reads the settings anew and makes a window of `size` (an invalid
  // size keeps the window's own) that opens `files`. False when it did not come as far as `show`
  // asks.
  bool Start(QSize size = QSize(1000, 700), TShow show = TShow::Exposed,
             const QStringList& files = {}) {
    window_.reset();
    LoadSettings();
    window_ =
        std::make_unique<TTervilMain>(*store_, files, QStringLiteral(TERVIL_SOURCE_DIR "/data"));
    if (size.isValid()) window_->resize(size);
    if (show == TShow::Hidden) return true;
    window_->show();
    if (show == TShow::Exposed) return QTest::qWaitForWindowExposed(window_.get());
    if (show == TShow::Active) return QTest::qWaitForWindowActive(window_.get());
    return true;
  }

  // Writes `bytes` to `path` as another program did two hours before, opens it in a new window
  // of 900 x 600 shown as at start-up (with the settings read last, read now when there are
  // none), and gives the page's editor the keyboard; returns that editor.
  TTvlEdit* OpenOldFile(const QString& path, const QByteArray& bytes) {
    if (!store_) LoadSettings();
    return OpenInShownWindow(window_, *store_, WriteOldFile(path, bytes));
  }

  // Closes the window without the questions about unsaved pages.
  void Close() { CloseWithoutSaving(window_); }
  // Closes the window without the questions and lets go of the settings store.
  void Stop() {
    Close();
    store_.reset();
  }
  // Ends the window as it is, unsaved pages and all.
  void reset() { window_.reset(); }

  TSettingsStore& Store() { return *store_; }
  TTervilMain* get() const { return window_.get(); }
  TTervilMain* operator->() const { return window_.get(); }
  TTervilMain& operator*() const { return *window_; }
  explicit operator bool() const { return window_ != nullptr; }

 private:
  std::unique_ptr<TSettingsStore> store_;  // outlives the window that uses it
  std::unique_ptr<TTervilMain> window_;
};

}  // namespace tervil::test
