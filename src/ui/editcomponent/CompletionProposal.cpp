#include "ui/editcomponent/CompletionProposal.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>

#include "core/editor/TypingRules.h"
#include "ui/editcomponent/CompletionWindows.h"
#include "ui/editcomponent/TextEditor.h"

namespace tervil {

// ---------------------------------------------------------------- the key host of an editor

namespace {

class TEditorKeyHost : public QObject {
 public:
  explicit TEditorKeyHost(TTextEditor* editor) : QObject(editor), editor_(editor) {
    setObjectName(kName);
    editor->installEventFilter(this);
  }
  static constexpr const char* kName = "tervilEditorKeyHost";

  std::vector<TEditorKeyClient*> clients;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != editor_) return false;
    switch (event->type()) {
      case QEvent::ShortcutOverride: {
        auto* key = static_cast<QKeyEvent*>(event);
        for (TEditorKeyClient* client : Clients()) {
          if (!client->WantsKey(*key)) continue;
          key->accept();
          return true;
        }
        return false;
      }
      case QEvent::KeyPress:
        return KeyPress(*static_cast<QKeyEvent*>(event));
      case QEvent::FocusOut:
      case QEvent::MouseButtonPress:
      case QEvent::Hide:
        for (TEditorKeyClient* client : Clients()) client->EditorLeft();
        return false;
      default:
        return false;
    }
  }

 private:
  // A copy: a client may go while the key is handled.
  std::vector<TEditorKeyClient*> Clients() const { return clients; }

  bool KeyPress(QKeyEvent& key) {
    for (TEditorKeyClient* client : Clients()) {
      if (client->KeyBefore(key)) return true;
    }
    QPointer<TTextEditor> editor = editor_;
    static_cast<QObject*>(editor_)->event(&key);  // the editor's own handling, once
    if (!editor) return true;
    for (TEditorKeyClient* client : Clients()) {
      if (std::find(clients.begin(), clients.end(), client) != clients.end()) client->KeyAfter(key);
    }
    return true;
  }

  TTextEditor* editor_;
};

TEditorKeyHost* KeyHost(TTextEditor* editor, bool make) {
  auto* host =
      editor->findChild<TEditorKeyHost*>(TEditorKeyHost::kName, Qt::FindDirectChildrenOnly);
  if (host == nullptr && make) host = new TEditorKeyHost(editor);
  return host;
}

// Rows the list shows at most.
constexpr int kListRows = 12;

bool IsEnter(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void AddEditorKeyClient(TTextEditor* editor, TEditorKeyClient* client) {
  KeyHost(editor, true)->clients.push_back(client);
}

void RemoveEditorKeyClient(TTextEditor* editor, TEditorKeyClient* client) {
  if (TEditorKeyHost* host = KeyHost(editor, false)) std::erase(host->clients, client);
}

// ---------------------------------------------------------------- the component

TCompletionProposal::TCompletionProposal(TKind kind, QObject* owner) : QObject(owner), kind_(kind) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { Activate(); });
}

TCompletionProposal::~TCompletionProposal() {
  SetEditor(nullptr);
  delete list_;
  delete hint_;
}

void TCompletionProposal::SetEditor(TTextEditor* editor) {
  if (editor_) RemoveEditorKeyClient(editor_, this);
  Cancel();
  delete list_;
  delete hint_;
  list_ = nullptr;
  hint_ = nullptr;
  editor_ = editor;
  if (!editor_) return;
  AddEditorKeyClient(editor_, this);
  if (kind_ == TKind::List) {
    list_ = new TCompletionListWindow(editor_);
    list_->SetItems(&items_);
    list_->SetColumnWidths(columnWidths_);
    list_->resize(width_, list_->height());
    list_->OnRowClicked = [this](int row) { SelectRow(row); };
    list_->OnRowDoubleClicked = [this](int row) {
      SelectRow(row);
      InsertSelected();
    };
  } else {
    hint_ = new THintWindow(editor_);
    hint_->SetTitleCentered(options_ & scoTitleIsCentered);
  }
}

void TCompletionProposal::SetInsertList(TSharedLines list) {
  insertList_ = std::move(list);
}
void TCompletionProposal::SetItemList(TSharedLines list) {
  itemList_ = std::move(list);
}
void TCompletionProposal::SetInsertList(std::vector<std::string> list) {
  insertList_ = std::make_shared<const std::vector<std::string>>(std::move(list));
}
void TCompletionProposal::SetItemList(std::vector<std::string> list) {
  itemList_ = std::make_shared<const std::vector<std::string>>(std::move(list));
}

void TCompletionProposal::SetOptions(std::uint32_t options) {
  options_ = options;
  if (hint_) hint_->SetTitleCentered(options_ & scoTitleIsCentered);
}

void TCompletionProposal::SetWidth(int pixels) {
  width_ = pixels;
  if (list_) list_->resize(width_, list_->height());
}

void TCompletionProposal::SetColumnTexts(const std::vector<std::string>& texts) {
  columnWidths_.clear();
  QFont bold = editor_ ? editor_->font() : QFont();
  bold.setBold(true);
  for (const std::string& text : texts)
    columnWidths_.push_back(QFontMetrics(bold).horizontalAdvance(Text(text)) + 6);
  if (list_) list_->SetColumnWidths(columnWidths_);
}

void TCompletionProposal::SetItems(std::vector<std::string> lines) {
  hintLines_ = std::move(lines);
  if (hint_) hint_->SetLines(hintLines_);
}

void TCompletionProposal::SetCurrentIndex(int index) {
  currentIndex_ = std::max(0, index);
  if (hint_ && hint_->isVisible()) ShowHint();
}

bool TCompletionProposal::Active() const {
  return Window() && Window()->isVisible();
}

QWidget* TCompletionProposal::Window() const {
  return list_ ? static_cast<QWidget*>(list_) : static_cast<QWidget*>(hint_);
}

std::string TCompletionProposal::CaretLine(std::size_t& caret, std::size_t& tokenStart) const {
  const std::string line = editor_->LineText();
  caret = std::min(ByteOfColumn(line, editor_->CaretX()), line.size());
  tokenStart = caret;
  if (options_ & scoConsiderWordBreakChars) {
    tokenStart = TokenStart(line, caret);
  } else {
    while (tokenStart > 0 && line[tokenStart - 1] != ' ' && line[tokenStart - 1] != '\t')
      --tokenStart;
  }
  return line;
}

QPoint TCompletionProposal::ScreenPointAt(std::size_t at, int* lineTop) const {
  const std::string line = editor_->LineText();
  const TBufferPos pos{ColumnOfByte(line, at), editor_->CaretY()};
  const QPoint cell = editor_->viewport()->mapToGlobal(editor_->BufferPosToPixels(pos));
  if (lineTop) *lineTop = cell.y();
  return {cell.x(), cell.y() + editor_->TextHeight()};
}

void TCompletionProposal::Activate() {
  timer_.stop();
  if (!editor_) return;
  std::size_t caret = 0, tokenStart = 0;
  const std::string line = CaretLine(caret, tokenStart);
  const QPoint at = ScreenPointAt(tokenStart);
  ExecuteAt(at.x(), at.y(), line.substr(tokenStart, caret - tokenStart));
}

void TCompletionProposal::ExecuteAt(int x, int y, const std::string& text) {
  if (!editor_) return;
  currentText_ = text;
  bool canExecute = true;
  if (OnExecute) OnExecute(kind_, currentText_, x, y, canExecute);
  if (!canExecute) {
    Cancel();
    return;
  }
  line_ = editor_->CaretY();
  std::size_t caret = 0;
  CaretLine(caret, tokenStart_);
  if (list_) {
    items_.SetLists(insertList_, itemList_);
    items_.Filter(currentText_);
    list_->SetVisibleRows(std::clamp(static_cast<int>(items_.Count()), 1, kListRows));
    list_->Refresh();
  } else {
    ShowHint();
  }
  ShowWindowAt(x, y);
  if (list_ && OnChange) OnChange();
}

void TCompletionProposal::ShowHint() {
  hint_->SetLines(hintLines_);
  if (kind_ != TKind::ParamHint || hintLines_.empty()) return;
  // The current parameter in bold.
  const std::string& params = hintLines_.front();
  const std::vector<std::string> pieces = SplitParameters(params);
  std::size_t from = 0;
  for (int i = 0; i < static_cast<int>(pieces.size()); ++i) {
    const std::size_t at = params.find(pieces[i], from);
    if (at == std::string::npos) break;
    if (i == currentIndex_) {
      hint_->SetBoldRange(at, at + pieces[i].size());
      break;
    }
    from = at + pieces[i].size();
  }
}

void TCompletionProposal::ShowWindowAt(int x, int y) {
  QWidget* window = Window();
  if (kind_ == TKind::Hint) {  // a plain hint goes exactly where it is told
    window->move(x, y);
    window->show();
    return;
  }
  QScreen* screen = QGuiApplication::screenAt({x, y});
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
  const TScreenPoint at =
      PopupPos(x, y - editor_->TextHeight(), y, window->width(), window->height(),
               {area.left(), area.top(), area.width(), area.height()});
  window->move(at.X, at.Y);
  window->show();
}

void TCompletionProposal::Cancel() {
  timer_.stop();
  QWidget* window = Window();
  if (!window || !window->isVisible()) return;
  window->hide();
  if (OnClose) OnClose();
}

void TCompletionProposal::SelectRow(int row) {
  items_.Select(row);
  if (list_) list_->Refresh();
  if (OnChange) OnChange();
}

void TCompletionProposal::InsertSelected() {
  if (!editor_ || items_.Selected() < 0) {
    Cancel();
    return;
  }
  const std::string text = items_.InsertText(static_cast<std::size_t>(items_.Selected()));
  Cancel();
  if (editor_->ReadOnly()) return;
  std::size_t caret = 0, tokenStart = 0;
  const std::string line = CaretLine(caret, tokenStart);
  const int lineNo = editor_->CaretY();
  const TBufferPos start{ColumnOfByte(line, tokenStart), lineNo};
  const TBufferPos end{ColumnOfByte(line, TokenEnd(line, caret)), lineNo};
  TEditorModel& model = editor_->Model();
  model.BeginUndoBlock();
  model.SetCaretAndSelection(end, start, end);
  model.SetSelText(text);
  model.EndUndoBlock();
}

// ---------------------------------------------------------------- keys

bool TCompletionProposal::WantsKey(const QKeyEvent& key) const {
  const bool plain = (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (list_ && !Active()) return plain && shortCut_ != 0 && key.key() == shortCut_;
  if (!Active()) return false;
  if (key.key() == Qt::Key_Escape) return true;
  if (!list_) return false;
  switch (key.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
      return true;
    default:
      return IsEnter(key.key()) && (options_ & scoCompleteWithEnter);
  }
}

bool TCompletionProposal::KeyBefore(QKeyEvent& key) {
  if (!editor_) return false;
  if (list_) return ListKey(key);
  if (Active() && key.key() == Qt::Key_Escape) {
    Cancel();
    return true;
  }
  return false;
}

bool TCompletionProposal::ListKey(QKeyEvent& key) {
  if (!Active()) {
    const bool plain = (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && shortCut_ != 0 && key.key() == shortCut_) {
      Activate();
      return true;
    }
    return false;
  }
  const int page = list_->VisibleRows();
  switch (key.key()) {
    case Qt::Key_Up:
      SelectRow(items_.Selected() - 1);
      return true;
    case Qt::Key_Down:
      SelectRow(items_.Selected() + 1);
      return true;
    case Qt::Key_PageUp:
      SelectRow(items_.Selected() - page);
      return true;
    case Qt::Key_PageDown:
      SelectRow(items_.Selected() + page);
      return true;
    case Qt::Key_Escape:
      Cancel();
      return true;
    case Qt::Key_Tab:
      InsertSelected();
      return true;
    default:
      break;
  }
  if (IsEnter(key.key()) && (options_ & scoCompleteWithEnter)) {
    InsertSelected();
    return true;
  }
  if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
    Cancel();
    return false;
  }
  const QString text = key.text();
  if (text.size() == 1 && text[0].unicode() < 0x80 && text[0].unicode() >= 0x20) {
    const char c = static_cast<char>(text[0].unicode());
    const bool ends = c == ' ' || endOfTokenChars_.find(c) != std::string::npos;
    if (ends && (options_ & scoEndCharCompletion)) InsertSelected();
    if (ends) Cancel();
  }
  return false;
}

void TCompletionProposal::KeyAfter(const QKeyEvent& key) {
  if (!editor_ || kind_ == TKind::Hint) return;
  if (Active()) {
    Follow();
    return;
  }
  const QString text = key.text();
  if (text.isEmpty() || triggerChars_.empty()) return;
  const QChar last = text.back();
  const bool trigger = last.unicode() < 0x80 &&
                       triggerChars_.find(static_cast<char>(last.unicode())) != std::string::npos;
  if (!trigger) {
    if (!last.isLetterOrNumber() && last != u'_') timer_.stop();
    return;
  }
  if (options_ & scoUseBuiltInTimer) {
    timer_.start();
  } else {
    Activate();
  }
}

void TCompletionProposal::Follow() {
  if (editor_->CaretY() != line_) {
    Cancel();
    return;
  }
  std::size_t caret = 0, tokenStart = 0;
  const std::string line = CaretLine(caret, tokenStart);
  if (list_) {
    if (tokenStart != tokenStart_) {  // the caret left the token
      Cancel();
      return;
    }
    items_.Filter(std::string_view(line).substr(tokenStart, caret - tokenStart));
    list_->Refresh();
    if (OnChange) OnChange();
    return;
  }
  currentText_ = line.substr(tokenStart, caret - tokenStart);
  bool canExecute = true;
  if (OnExecute) OnExecute(kind_, currentText_, Window()->x(), Window()->y(), canExecute);
  if (!canExecute) {
    Cancel();
    return;
  }
  ShowHint();
}

}  // namespace tervil
