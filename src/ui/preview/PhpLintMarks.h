#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QTimer;

namespace tervil {

class TPhpLinter;
class TTervilMain;
class TTvlPage;
struct TLintResult;

// Marks PHP syntax errors as the user works: a pause after typing in a PHP page (or its save, or
// its becoming the current page) checks the page's text with the configured PHP's lint mode, off
// the window thread; a new check cancels the one under way. The error's line gets the editor's
// line mark (gutter mark, wavy underline, the message as its hint), and the message shows in the
// status bar while the page is current. Without a PHP nothing happens.
class TPhpLintMarks : public QObject {
  Q_OBJECT
 public:
  explicit TPhpLintMarks(TTervilMain& main);
  ~TPhpLintMarks() override;

  void TextChanged(TTvlPage* page);
  void PageSaved(TTvlPage* page);
  void PageChanged(TTvlPage* page);
  // Checks the page now (a PHP page only).
  void Check(TTvlPage* page);

 signals:
  // A check of `page` has ended (with or without an error).
  void Checked(TTvlPage* page);

 private:
  void Done(TTvlPage* page, const TLintResult& result);
  void ShowInStatusBar(TTvlPage* page);

  TTervilMain& main_;
  std::unique_ptr<TPhpLinter> linter_;
  QTimer* pause_;
  QPointer<TTvlPage> waiting_;  // the page to check after the pause
  QPointer<TTvlPage> current_;
  QString shownHint_;  // the status bar text a mark put there
};

}  // namespace tervil
