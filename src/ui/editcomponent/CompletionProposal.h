#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/editcomponent/Completion.h"

class QKeyEvent;

namespace tervil {

class TTextEditor;
class TCompletionListWindow;
class THintWindow;

enum TCompletionOption : std::uint32_t {
  scoUsePrettyText = 1,           // item texts hold column and style commands
  scoUseBuiltInTimer = 2,         // a trigger character opens the component after the interval
  scoConsiderWordBreakChars = 4,  // the current text ends at an end-of-token character
  scoCompleteWithEnter = 8,       // Enter inserts the selected entry (Tab always does)
  scoTitleIsCentered = 16,        // the hint's first line is centered
  scoEndCharCompletion = 32,      // typing an end-of-token character ends the component
};

// A popup that reads an editor's keys before the editor: every popup of an editor registers with
// the editor's one key host, which offers each key to the popups first, then hands it to the
// editor, then tells the popups what was typed. Popups close when the editor loses the focus.
class TEditorKeyClient {
 public:
  virtual ~TEditorKeyClient() = default;
  // Whether the popup takes this key now (a shortcut of the window must not take it).
  virtual bool WantsKey(const QKeyEvent& key) const = 0;
  // Before the editor: return true to swallow the key.
  virtual bool KeyBefore(QKeyEvent& key) = 0;
  // After the editor handled a key that no popup swallowed.
  virtual void KeyAfter(const QKeyEvent& key) = 0;
  // The editor lost the focus, was clicked or hidden.
  virtual void EditorLeft() = 0;
};

// Registers `client` with the key host of `editor` (made on first use) for the client's life.
void AddEditorKeyClient(TTextEditor* editor, TEditorKeyClient* client);
void RemoveEditorKeyClient(TTextEditor* editor, TEditorKeyClient* client);

// One completion component attached to an editor: the completion list, the parameter hint or
// a plain hint. Its window shows at the caret and never takes the focus: while it is open the
// component reads the editor's keys first (arrows, Page keys, Enter, Tab, Esc for the list; Esc
// for the hints) and lets every other key reach the editor, then follows the caret. It closes
// when the editor loses the focus or is clicked.
class TCompletionProposal : public QObject, public TEditorKeyClient {
  Q_OBJECT
 public:
  enum class TKind { List, Hint, ParamHint };
  // About to open: kind, the current text, the screen point, and whether it may open.
  using TExecuteEvent = std::function<void(TKind kind, const std::string& currentText, int x, int y,
                                           bool& canExecute)>;

  TCompletionProposal(TKind kind, QObject* owner);
  ~TCompletionProposal() override;

  void SetEditor(TTextEditor* editor);
  TTextEditor* Editor() const { return editor_; }
  TKind Kind() const { return kind_; }

  // ---- Settings
  void SetInsertList(TSharedLines list);
  void SetItemList(TSharedLines list);
  void SetInsertList(std::vector<std::string> list);
  void SetItemList(std::vector<std::string> list);
  void SetTriggerChars(std::string chars) { triggerChars_ = std::move(chars); }
  void SetTimerInterval(int ms) { timer_.setInterval(ms); }
  int TimerInterval() const { return timer_.interval(); }
  void SetShortCut(int key) { shortCut_ = key; }  // a Qt::Key without modifiers; 0 for none
  void SetEndOfTokenChars(std::string chars) { endOfTokenChars_ = std::move(chars); }
  void SetOptions(std::uint32_t options);
  std::uint32_t Options() const { return options_; }
  void SetWidth(int pixels);
  // Column widths from the widest texts of each column.
  void SetColumnTexts(const std::vector<std::string>& texts);

  // ---- Hint contents
  void SetItems(std::vector<std::string> lines);
  const std::vector<std::string>& Items() const { return hintLines_; }
  int CurrentIndex() const { return currentIndex_; }  // the parameter under the caret
  void SetCurrentIndex(int index);
  const std::string& CurrentText() const { return currentText_; }

  // ---- Events
  TExecuteEvent OnExecute;
  std::function<void()> OnChange;  // the list's selection changed

  // ---- Operations
  // Opens at the caret, asking OnExecute first.
  void Activate();
  // Opens at a screen point with `text` as the current text, asking OnExecute first.
  void ExecuteAt(int x, int y, const std::string& text);
  void Cancel();
  bool Active() const;

  // The list (List kind).
  const TCompletionItems& ListItems() const { return items_; }
  int SelectedIndex() const { return items_.Selected(); }
  void SelectRow(int row);
  // Inserts the selected entry in place of the current token and closes.
  void InsertSelected();
  QWidget* Window() const;

  std::function<void()> OnClose;

  bool WantsKey(const QKeyEvent& key) const override;
  bool KeyBefore(QKeyEvent& key) override;
  void KeyAfter(const QKeyEvent& key) override;
  void EditorLeft() override { Cancel(); }

 private:
  bool ListKey(QKeyEvent& key);
  void Follow();
  void ShowHint();
  void ShowWindowAt(int x, int y);
  // The screen point below the caret's line at byte `at` of the caret's line, and that line's
  // top in screen pixels.
  QPoint ScreenPointAt(std::size_t at, int* lineTop = nullptr) const;
  // The caret's line, the caret's byte on it and where the current token starts.
  std::string CaretLine(std::size_t& caret, std::size_t& tokenStart) const;

  TKind kind_;
  QPointer<TTextEditor> editor_;
  std::uint32_t options_ = 0;
  std::string triggerChars_;
  std::string endOfTokenChars_ = std::string(kEndOfTokenChars);
  int shortCut_ = 0;
  QTimer timer_;
  TSharedLines insertList_ = std::make_shared<const std::vector<std::string>>();
  TSharedLines itemList_ = std::make_shared<const std::vector<std::string>>();
  TCompletionItems items_;
  TCompletionListWindow* list_ = nullptr;
  THintWindow* hint_ = nullptr;
  std::vector<std::string> hintLines_;
  std::string currentText_;
  int currentIndex_ = 0;
  int width_ = 380;
  std::vector<int> columnWidths_;
  int line_ = 0;                // the editor line the component was opened on
  std::size_t tokenStart_ = 0;  // where the current token started then
};

}  // namespace tervil
