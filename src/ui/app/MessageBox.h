#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace tervil {

enum class TMsgIcon { Information, Warning, Error, Question };
enum TMsgButtons {
  mbYes = 1,
  mbNo = 2,
  mbCancel = 4,
  mbOK = 8,
  // Enter and Space answer No instead of Yes.
  mbDefaultNo = 16,
  // A question that may come up while the user types: keys reaching it in its first moments are
  // ignored and letters answer nothing, so typing meant for the text never answers it.
  mbIgnoreTyping = 32,
};
enum class TMsgResult { Yes, No, Cancel, OK };

// Every question and notice of the program goes through here, so that tests can answer them
// without a display and the look of message boxes stays the same everywhere.
class TMessageBox {
 public:
  using Handler = std::function<TMsgResult(const QString& caption, const QString& text, int buttons,
                                           TMsgIcon icon)>;

  static TMsgResult Show(QWidget* parent, const QString& caption, const QString& text,
                         int buttons = mbOK, TMsgIcon icon = TMsgIcon::Information);
  // Yes/No question with the information icon; true only for Yes. `flags` adds mbDefaultNo and
  // mbIgnoreTyping.
  static bool Ask(QWidget* parent, const QString& caption, const QString& text, int flags = 0);
  // How long keys are ignored by a question asked with mbIgnoreTyping, in milliseconds.
  static constexpr int kTypingGuardMs = 1000;
  static void Error(QWidget* parent, const QString& text);

  // Whether a message box is open now (waiting for the user's answer).
  static bool QuestionOpen();

  // Replaces the boxes (for tests). An empty handler restores the real boxes.
  static void SetHandler(Handler handler);
};

}  // namespace tervil
