#include "ui/phpcss/CssEditorForm.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/common/Utf8.h"
#include "core/editcomponent/EditorModel.h"
#include "core/phpcss/CssStyleAtCaret.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/generators/ColorPickForm.h"
#include "ui/generators/GeneratorIcons.h"
#include "ui/tags/AttributeGrid.h"

namespace tervil {

namespace {

constexpr int kMinWidth = 100;
constexpr int kMaxWidth = 400;
constexpr int kMinHeight = 100;
constexpr int kStartWidth = 200;
constexpr int kStartHeight = 300;
// Marks the value cells whose value can only be chosen from the pick list, not typed.
constexpr int kChooseOnlyRole = Qt::UserRole + 32;

// Value cells of properties that can only be chosen get a list that cannot be typed into.
class TCssValueDelegate : public TAttributeDelegate {
 public:
  explicit TCssValueDelegate(TAttributeGridWidget* grid) : TAttributeDelegate(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = TAttributeDelegate::createEditor(parent, option, index);
    if (editor && index.data(kChooseOnlyRole).toBool())
      if (auto* combo = editor->findChild<QComboBox*>()) combo->setEditable(false);
    return editor;
  }
};

// A 24 x 24 button picture: a short text on a rounded tile.
QIcon GlyphIcon(const QString& glyph) {
  return SvgIcon(QString(R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24">
<rect x="1.5" y="3.5" width="21" height="17" rx="3" fill="#eef4fb" stroke="#3a5f8f"/>
<text x="12" y="16" font-family="sans-serif" font-size="10" font-weight="bold" fill="#1f4f8f"
text-anchor="middle">%1</text></svg>)")
                     .arg(glyph.toHtmlEscaped()));
}

// Offsets count a line break as two characters; a written text has LF breaks.
std::int64_t OffsetLength(const std::string& text) {
  return static_cast<std::int64_t>(utf8::CountCharsTolerant(text)) +
         std::count(text.begin(), text.end(), '\n');
}

}  // namespace

TCssEditor::TCssEditor(const QString& dataDir, QMainWindow* mainWindow,
                       std::vector<std::string>& problems)
    : TToolForm(tr("Css Editor"), "CssEditor", mainWindow),
      tagsCombo_(new QComboBox),
      insertTag_(new QToolButton),
      grid_(new TAttributeGridWidget),
      problem_(new QLabel),
      restTimer_(new QTimer(this)) {
  SetSizeLimits(kMinWidth, kMaxWidth, kMinHeight, QWIDGETSIZE_MAX);
  SetStartSize(QSize(kStartWidth, kStartHeight));
  RefreshAllowed = true;
  attributes_.LoadFile(dataDir.toStdString() + "/css.tvd", problems);
  colorListFile_ = dataDir + "/colorlist.tvd";
  colors_.LoadFile(colorListFile_.toStdString(), problems);

  tagsCombo_->setObjectName("tagscombo");
  for (const std::string& name : attributes_.SortedNames())
    tagsCombo_->addItem(QString::fromStdString(name));
  tagsCombo_->setCurrentIndex(-1);
  tagsCombo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  tagsCombo_->setMinimumContentsLength(4);
  tagsCombo_->setMaxVisibleItems(20);
  tagsCombo_->setToolTip(tr("Property to insert"));
  tagsCombo_->installEventFilter(this);
  insertTag_->setObjectName("InsertTag");
  insertTag_->setAutoRaise(true);
  insertTag_->setIcon(QIcon::fromTheme("list-add"));
  insertTag_->setText("+");
  insertTag_->setToolTip(tr("Insert the chosen property"));
  connect(insertTag_, &QToolButton::clicked, this, &TCssEditor::InsertTagClick);

  grid_->setObjectName("CssAttributes");
  grid_->setHorizontalHeaderLabels({tr("Property"), tr("Value")});
  grid_->setItemDelegateForColumn(1, new TCssValueDelegate(grid_));
  grid_->SetColorNames(&colors_);
  grid_->OnValueEdited = [this](int row, const QString& value) { ValueEdited(row, value); };
  grid_->OnEllipsis = [this](int row) { return ChooseColor(row); };
  grid_->setMinimumWidth(kMinWidth - 10);
  problem_->setObjectName("CssProblem");
  problem_->setWordWrap(true);
  problem_->setStyleSheet("color: #a00000;");
  problem_->hide();

  auto* content = new QWidget;
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(2, 2, 2, 2);
  CreateToolBar();
  layout->addWidget(toolBar_);
  auto* row = new QHBoxLayout;
  row->addWidget(tagsCombo_, 1);
  row->addWidget(insertTag_);
  layout->addLayout(row);
  layout->addWidget(problem_);
  layout->addWidget(grid_, 1);
  setWidget(content);

  restTimer_->setSingleShot(true);
  restTimer_->setInterval(kRestMs);
  connect(restTimer_, &QTimer::timeout, this, &TCssEditor::UpdateView);
  connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) UpdateView();
  });
  SetControlsEnabled(false);
}

void TCssEditor::CreateToolBar() {
  toolBar_ = new QToolBar;
  toolBar_->setObjectName("CssToolBar");
  toolBar_->setIconSize(QSize(20, 20));
  AddWrapAction("actImport", "@import|@import", "@import url('", "')", "@");
  AddWrapAction("actHover", ":hover|:hover", "", ":hover", "h");
  AddWrapAction("actActive", ":active", "", ":active", "a");
  AddWrapAction("actFocus", ":focus", "", ":focus", "f");
  AddWrapAction("actLink", ":link", "", ":link", "L");
  AddWrapAction("actVisited", ":visited", "", ":visited", "v");
  AddWrapAction("actFirstLetter", ":first-letter", "", ":first-letter", "1A");
  AddWrapAction("actFirstLine", ":first-line", "", ":first-line", "1\u2261");
  AddWrapAction("actBefore", ":before", "", ":before", "\u2039b");
  AddWrapAction("actAfter", ":after", "", ":after", "a\u203a");
  AddWrapAction("actFirstChild", ":first-child", "", ":first-child", "1c");
}

void TCssEditor::AddWrapAction(const char* name, const QString& hint, const QString& prefix,
                               const QString& suffix, const QString& glyph) {
  auto* action = new QAction(GlyphIcon(glyph), hint.section('|', 0, 0), this);
  action->setObjectName(name);
  action->setToolTip(hint.section('|', 0, 0));
  action->setStatusTip(hint.section('|', -1));
  connect(action, &QAction::triggered, this,
          [this, prefix, suffix] { WrapSelection(prefix, suffix); });
  toolBar_->addAction(action);
}

void TCssEditor::WrapSelection(const QString& prefix, const QString& suffix) {
  if (!page_ || page_->Model().ReadOnly()) return;
  TEditorModel& model = page_->Model();
  model.SetSelText(prefix.toStdString() + model.SelText() + suffix.toStdString());
  page_->FocusEditor();
}

void TCssEditor::PageChanged(TTvlPage* page) {
  page_ = page;
  SetControlsEnabled(page != nullptr);
  if (!isHidden()) restTimer_->start();
}

void TCssEditor::SetControlsEnabled(bool enabled) {
  widget()->setEnabled(enabled);
}

void TCssEditor::UpdateView() {
  restTimer_->stop();
  if (!page_ || isHidden()) return;
  grid_->SetChangeNotification(false);
  if (RefreshAllowed) {
    const std::string old = style_.Compose();
    const bool otherPage = parsedPage_ != page_;
    ParseAtCaret(style_, page_->Model());
    parsedPage_ = page_;
    if (!style_.IsValid) {
      grid_->Clear();
      rowDeclarations_.clear();
    } else if (otherPage || style_.Compose() != old || grid_->RowCount() == 0) {
      FillGrid();
    }
    const bool unreadable = !style_.IsValid && style_.Problem != TCssProblem::kNoBlock;
    problem_->setText(unreadable ? tr(CssProblemText(style_.Problem)) : QString());
    problem_->setVisible(unreadable);
    grid_->SetAllReadOnly(page_->Model().ReadOnly());
  }
  // Typing goes on in the document.
  if (page_->TvlEdit()->hasFocus()) grid_->CloseEditor();
  grid_->SetChangeNotification(true);
}

void TCssEditor::FillGrid() {
  grid_->Clear();
  rowDeclarations_.clear();
  for (std::size_t i = 0; i < style_.Declarations.size(); ++i) {
    const std::string& declaration = style_.Declarations[i];
    if (TCSSStyle::IsComment(declaration)) continue;
    const std::string key = TCSSStyle::PropertyOf(declaration);
    const int row = grid_->AppendRow(key, TCSSStyle::ValueOf(declaration));
    rowDeclarations_.push_back(i);
    if (TCSSStyle::IsCustomProperty(key)) {
      grid_->SetRowLook(row, clNone, tr("Custom property"), false);
      continue;
    }
    const TCssAttr* attr = attributes_.Find(QString::fromStdString(key).toLower().toStdString());
    if (!attr) {
      grid_->SetRowLook(row, clRed, tr("Not in the property list"), false);
      continue;
    }
    const TCssEditStyle style = attr->EditStyle();
    if (style == TCssEditStyle::kPickList) {
      grid_->SetEditStyle(row, esPickList);
      grid_->SetPickList(row, attr->PickList());
      grid_->item(row, 1)->setData(kChooseOnlyRole, !attr->UserMayType());
    } else {
      grid_->SetReadOnly(row, !attr->UserMayType());
    }
    grid_->SetRowLook(row, clNone, QString::fromStdString(attr->kind),
                      style == TCssEditStyle::kEllipsis);
  }
}

bool TCssEditor::MayWrite() {
  if (!page_ || page_->Model().ReadOnly()) return false;
  TCSSStyle now;
  ParseAtCaret(now, page_->Model());
  if (parsedPage_ == page_ && now.IsValid == style_.IsValid &&
      now.BlockStart == style_.BlockStart && now.Compose() == style_.Compose())
    return true;
  // The document changed since the grid was filled: show the block as it is now.
  QTimer::singleShot(0, this, &TCssEditor::UpdateView);
  return false;
}

void TCssEditor::WriteBlock(const std::string& text) {
  TEditorModel& model = page_->Model();
  RefreshAllowed = false;
  SelectBlock(style_, model);
  RefreshAllowed = true;
  model.SetSelText(text);
  // The block now ends after the text written (the next change of a value goes there too).
  style_.BlockEnd = style_.BlockStart + OffsetLength(text);
}

void TCssEditor::ValueEdited(int row, const QString& value) {
  if (row < 0 || static_cast<std::size_t>(row) >= rowDeclarations_.size() || !MayWrite()) return;
  style_.Declarations[rowDeclarations_[static_cast<std::size_t>(row)]] =
      grid_->Key(row) + ":" + value.toStdString();
  std::string text = style_.Compose();
  if (text.empty()) return;
  if (grid_->RowCount() > 1 && !style_.SingleLine) text = "\n" + text + "\n";
  grid_->WriteCellEdit(page_->Model(), [this, &text] { WriteBlock(text); });
}

std::optional<QString> TCssEditor::ChooseColor(int row) {
  return ChooseColorText(colorListFile_, QString::fromStdString(grid_->Value(row)), this);
}

void TCssEditor::InsertTagClick() {
  if (!page_ || page_->Model().ReadOnly() || tagsCombo_->currentIndex() < 0) return;
  TEditorModel& model = page_->Model();
  // The block at the caret as it is now, not as it was when the caret last rested.
  ParseAtCaret(style_, model);
  parsedPage_ = page_;
  style_.Declarations.push_back(tagsCombo_->currentText().toStdString() + " :");
  std::string text = style_.Compose();
  if (!text.empty()) {
    if (style_.Declarations.size() > 1) text = "\n" + text;
    WriteBlock(text);
  }
  page_->FocusEditor();
}

bool TCssEditor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tagsCombo_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      InsertTagClick();
      return true;
    }
  }
  return TToolForm::eventFilter(watched, event);
}

}  // namespace tervil
