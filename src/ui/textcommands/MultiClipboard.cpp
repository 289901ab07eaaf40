#include "ui/textcommands/MultiClipboard.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "core/config/ClipboardStrings.h"
#include "ui/editcomponent/TextEditor.h"

namespace tervil {

namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TMultiClipboard::TMultiClipboard(TClipboardStrings& history, const THighlighterList& highlighters,
                                 THighlighter* multi, const QString& multiCaption,
                                 const QString& noneCaption, QWidget* parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint), history_(history) {
  // A tool window without title bar, framed by a one-pixel raised border; the system adds its
  // drop shadow where it has one.
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  setWindowTitle(tr("Clipboard"));
  setObjectName("MultiClipboard");
  resize(420, 320);

  list_ = new QListWidget(this);
  list_->setObjectName("ListBox");
  list_->setUniformItemSizes(true);
  list_->setTextElideMode(Qt::ElideRight);
  list_->installEventFilter(this);
  list_->viewport()->installEventFilter(this);
  preview_ = new TTextEditor(this);
  preview_->setObjectName("ClipboardPreview");
  QFont font("Courier New", 10);
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  preview_->SetEditorFont(font);
  preview_->SetWordWrap(true);
  preview_->SetGutterVisible(false);
  preview_->SetOptions(preview_->Options() | eoTabsToSpaces);
  preview_->SetColor(clInfoBk);
  QPalette tip = list_->palette();
  tip.setColor(QPalette::Base, palette().color(QPalette::ToolTipBase));
  tip.setColor(QPalette::Text, palette().color(QPalette::ToolTipText));
  list_->setPalette(tip);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->setSpacing(1);
  layout->addWidget(list_, 1);
  layout->addWidget(preview_, 1);

  // The preview's highlighter menu: the single highlighters, the multi-language one, none.
  highlightersMenu_ = new QMenu(this);
  highlightersMenu_->setObjectName("HighlightersPopupMenu");
  auto addItem = [this](const QString& caption, THighlighter* highlighter) {
    QAction* item = highlightersMenu_->addAction(caption);
    item->setCheckable(true);
    item->setData(QVariant::fromValue(static_cast<void*>(highlighter)));
    connect(item, &QAction::triggered, this, [this, item] { ChooseHighlighter(item); });
    highlighterItems_ << item;
  };
  for (const auto& [name, highlighter] : highlighters) addItem(FromUtf8(name), highlighter);
  addItem(multiCaption, multi);
  addItem(noneCaption, nullptr);
  connect(highlightersMenu_, &QMenu::aboutToShow, this, [this] {
    for (QAction* item : highlighterItems_)
      item->setChecked(item->data().value<void*>() == preview_->Highlighter());
  });
  preview_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(preview_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { highlightersMenu_->exec(preview_->mapToGlobal(at)); });

  connect(list_, &QListWidget::currentRowChanged, this, [this] { ShowSelected(); });
  preview_->OnChange = [this](TTextEditor&) { PreviewEdited(); };
}

void TMultiClipboard::ChooseHighlighter(QAction* item) {
  preview_->SetHighlighter(static_cast<THighlighter*>(item->data().value<void*>()));
}

void TMultiClipboard::Rebuild() {
  list_->clear();
  for (const std::string& entry : history_.Entries())
    list_->addItem(FromUtf8(TClipboardStrings::ListLine(entry)));
  if (!history_.Empty()) list_->setCurrentRow(0);
  ShowSelected();
}

void TMultiClipboard::ShowSelected() {
  const int row = list_->currentRow();
  showing_ = true;
  preview_->SetText(row >= 0 && static_cast<std::size_t>(row) < history_.Count()
                        ? std::string_view(history_[static_cast<std::size_t>(row)])
                        : std::string_view());
  preview_->SetCaretXY({1, 1});
  showing_ = false;
}

void TMultiClipboard::PreviewEdited() {
  const int row = list_->currentRow();
  if (showing_ || row < 0 || static_cast<std::size_t>(row) >= history_.Count()) return;
  const std::string text = preview_->Text();
  history_.Put(static_cast<std::size_t>(row), text);
  if (QListWidgetItem* item = list_->item(row))
    item->setText(FromUtf8(TClipboardStrings::ListLine(text)));
}

void TMultiClipboard::ShowAt(TTextEditor& editor, QWidget& mainWindow) {
  // The start of the display row below the caret's row, at the caret's column.
  const TDisplayPos caret = editor.BufferToDisplayPos(editor.CaretXY());
  QPoint below = editor.RowColumnToPixels(caret);
  below.ry() += editor.TextHeight();
  below = editor.viewport()->mapToGlobal(below);
  QScreen* screen = QGuiApplication::screenAt(below);
  if (!screen) screen = mainWindow.screen();
  const QRect whole = screen ? screen->geometry() : QRect(0, 0, 1 << 15, 1 << 15);
  const QRect work = screen ? screen->availableGeometry() : whole;
  const QPoint mainTopLeft = mainWindow.frameGeometry().topLeft();
  const TScreenPoint at = ClipboardWindowPos(
      {below.x(), below.y()}, width(), height(),
      {whole.left(), whole.top(), whole.width(), whole.height()},
      {work.left(), work.top(), work.width(), work.height()}, {mainTopLeft.x(), mainTopLeft.y()});
  move(at.X, at.Y);
  Rebuild();
  show();
  raise();
  activateWindow();
  list_->setFocus();
}

void TMultiClipboard::UseSelected() {
  const int row = list_->currentRow();
  TTextEditor* editor = CurrentEditor ? CurrentEditor() : nullptr;
  if (editor && row >= 0 && static_cast<std::size_t>(row) < history_.Count()) {
    const std::string text = history_.TakeToTop(static_cast<std::size_t>(row));
    if (!editor->ReadOnly()) editor->SetSelText(text);
    // The used text goes back on the system clipboard, as the preview holds it.
    preview_->SelectAll();
    preview_->CopyToClipboard();
  }
  hide();
  if (editor) editor->setFocus();
}

bool TMultiClipboard::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      UseSelected();
      return true;
    }
  }
  // A double-click on an entry uses it.
  if (watched == list_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (QListWidgetItem* item = list_->itemAt(mouse->position().toPoint())) {
      list_->setCurrentItem(item);
      UseSelected();
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

// The window goes away when another window is activated (its own menu aside).
void TMultiClipboard::changeEvent(QEvent* event) {
  QFrame::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow() &&
      !highlightersMenu_->isVisible())
    hide();
}

void TMultiClipboard::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    return;
  }
  QFrame::keyPressEvent(event);
}

}  // namespace tervil
