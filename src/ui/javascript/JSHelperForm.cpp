#include "ui/javascript/JSHelperForm.h"

#include <QAbstractTableModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/common/Utf8.h"
#include "core/editcomponent/Completion.h"
#include "core/editor/TypingRules.h"
#include "ui/editcomponent/CompletionWindows.h"
#include "ui/editcomponent/TextEditor.h"

namespace tervil {

namespace {

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr int kWidth = 380;
constexpr int kHeight = 260;
constexpr int kTypeColumnWidth = 110;

}  // namespace

// The rows of the browser as a two-column table (type, name).
class TJSRowsModel : public QAbstractTableModel {
 public:
  explicit TJSRowsModel(QObject* parent, const TJSBrowser& browser)
      : QAbstractTableModel(parent), browser_(browser) {}
  void Reset() {
    beginResetModel();
    endResetModel();
  }
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(browser_.Rows().size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 2; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const TJSRow& row = browser_.Rows()[static_cast<std::size_t>(index.row())];
    return Text(index.column() == 0 ? row.TypeColumn() : row.NameColumn());
  }

 private:
  const TJSBrowser& browser_;
};

TJSHelper::TJSHelper(QWidget* owner)
    : QWidget(owner),
      rows_(new TJSRowsModel(this, browser_)),
      view_(new QTreeView(this)),
      description_(new QTextEdit(this)) {
  MakePopupWindow(*this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->setSpacing(1);
  layout->addWidget(view_, 3);
  layout->addWidget(description_, 1);
  view_->setModel(rows_);
  view_->setRootIsDecorated(false);
  view_->setUniformRowHeights(true);
  view_->setHeaderHidden(true);
  view_->setFocusPolicy(Qt::NoFocus);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setToolTip(
      tr("You can navigate between javascript objects using CTRL+LEFT and CTRL+RIGHT"));
  view_->setColumnWidth(0, kTypeColumnWidth);
  description_->setReadOnly(true);
  description_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  description_->setTabStopDistance(kTypeColumnWidth);
  description_->setFocusPolicy(Qt::NoFocus);
  resize(kWidth, kHeight);
  connect(view_, &QTreeView::clicked, this,
          [this](const QModelIndex& index) { SelectRow(index.row()); });
  connect(view_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
    SelectRow(index.row());
    InsertSelected();
  });
}

TJSHelper::~TJSHelper() {
  SetEditor(nullptr);
}

void TJSHelper::SetEditor(TTextEditor* editor) {
  if (editor_) RemoveEditorKeyClient(editor_, this);
  editor_ = editor;
  if (editor_) AddEditorKeyClient(editor_, this);
}

void TJSHelper::SetModel(std::shared_ptr<const TJSModel> model) {
  browser_.SetModel(std::move(model));
  RowsChanged();
}

void TJSHelper::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawLine(0, 0, width() - 1, 0);
  painter.drawLine(0, 0, 0, height() - 1);
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
  painter.drawLine(0, height() - 1, width() - 1, height() - 1);
}

std::string TJSHelper::Expression() const {
  const std::string line = editor_->LineText();
  return JSExpressionBeforeCaret(line, ByteOfColumn(line, editor_->CaretX()));
}

void TJSHelper::Activate() {
  if (!editor_ || !browser_.Model()) return;
  editor_->SetAlwaysShowCaret(true);
  const std::string line = editor_->LineText();
  const QPoint cell =
      editor_->viewport()->mapToGlobal(editor_->BufferPosToPixels(editor_->CaretXY()));
  QScreen* screen = QGuiApplication::screenAt(cell);
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
  const TScreenPoint at =
      PopupPos(cell.x(), cell.y(), cell.y() + editor_->TextHeight(), width(), height(),
               {area.left(), area.top(), area.width(), area.height()});
  move(at.X, at.Y);
  view_->setColumnWidth(1, width() - kTypeColumnWidth - 20);
  show();
  Resolve();
}

void TJSHelper::Deactivate() {
  if (editor_) editor_->SetAlwaysShowCaret(false);
  hide();
}

void TJSHelper::Resolve() {
  browser_.Resolve(Expression());
  RowsChanged();
}

void TJSHelper::RowsChanged() {
  rows_->Reset();
  SelectionChanged();
}

void TJSHelper::SelectRow(int row) {
  browser_.Select(row);
  SelectionChanged();
}

void TJSHelper::SelectionChanged() {
  const int row = browser_.Selected();
  if (row >= 0) {
    const QModelIndex index = rows_->index(row, 0);
    view_->setCurrentIndex(index);
    view_->scrollTo(index);
  }
  description_->setHtml(DescriptionHtml());
}

QString TJSHelper::DescriptionHtml() const {
  const TJSRow* row = browser_.SelectedRow();
  if (row == nullptr) return {};
  const QString name = Text(row->Name()).toHtmlEscaped();
  if (row->kind == TJSRow::TKind::Object) return "Javascript object<br><b>" + name + "</b>";
  const std::string type = row->TypeColumn();
  QString head = type.empty() ? "" : Text(type).toHtmlEscaped() + "\t";
  head += "<b>" + name + "</b>";
  if (row->kind == TJSRow::TKind::Method) head += " (" + Text(row->Params()).toHtmlEscaped() + ")";
  return "<div style=\"white-space: pre-wrap\">" + head + "</div><u>" +
         Text(row->Description()).toHtmlEscaped() + "</u>";
}

void TJSHelper::InsertSelected() {
  const TJSRow* row = browser_.SelectedRow();
  if (!editor_ || row == nullptr || editor_->ReadOnly()) return;
  const std::string text = JSInsertText(*row);
  const std::string line = editor_->LineText();
  const std::string expression = Expression();
  const std::string part(LastJSPart(expression));
  const std::size_t caret = std::min(ByteOfColumn(line, editor_->CaretX()), line.size());
  const std::size_t start = caret >= part.size() ? caret - part.size() : 0;
  const int lineNo = editor_->CaretY();
  const TBufferPos from{ColumnOfByte(line, start), lineNo};
  const TBufferPos to{ColumnOfByte(line, TokenEnd(line, caret)), lineNo};
  TEditorModel& model = editor_->Model();
  model.BeginUndoBlock();
  model.SetCaretAndSelection(to, from, to);
  model.SetSelText(text);
  model.EndUndoBlock();
  Deactivate();
}

// ---------------------------------------------------------------- keys

bool TJSHelper::WantsKey(const QKeyEvent& key) const {
  if (!isVisible()) return false;
  switch (key.key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Up:
    case Qt::Key_Down:
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
      return key.modifiers() & Qt::ControlModifier;
    default:
      return false;
  }
}

bool TJSHelper::KeyBefore(QKeyEvent& key) {
  if (!isVisible() || !editor_) return false;
  const bool ctrl = key.modifiers() & Qt::ControlModifier;
  switch (key.key()) {
    case Qt::Key_Escape:
      Deactivate();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
      InsertSelected();
      return true;
    case Qt::Key_Up:
      SelectRow(std::max(0, browser_.Selected() - 1));
      return true;
    case Qt::Key_Down:
      SelectRow(browser_.Selected() + 1);
      return true;
    case Qt::Key_Left:
      if (!ctrl) return false;
      if (browser_.Listed() != nullptr) {
        browser_.ShowTopLevel();
        RowsChanged();
      }
      return true;
    case Qt::Key_Right:
      if (!ctrl) return false;
      if (browser_.DescendSelected()) RowsChanged();
      return true;
    default:
      return false;
  }
}

void TJSHelper::KeyAfter(const QKeyEvent& key) {
  if (!isVisible() || !editor_) return;
  const QString text = key.text();
  if (text == ".") {
    Resolve();
  } else if (!text.isEmpty() && text[0].isPrint()) {
    browser_.SelectPrefix(LastJSPart(Expression()));
    SelectionChanged();
  }
}

}  // namespace tervil
