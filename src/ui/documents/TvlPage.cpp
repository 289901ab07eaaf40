#include "ui/documents/TvlPage.h"

#include <QFileInfo>
#include <QVBoxLayout>

#include "ui/documents/PageCompletion.h"
#include "ui/editor/TvlEdit.h"

namespace tervil {

namespace {

// How the editor of every new page starts; the configuration is applied on top.
void SetUpNewEditor(TTvlEdit& editor) {
  editor.SetColor(clWhite);
  editor.SetGutterVisible(true);
  editor.SetGutterAutoSize(true);
  editor.SetGutterGradient(true);
  editor.SetShowLineNumbers(true);
  editor.SetWantTabs(true);
  editor.SetTabWidth(4);
  editor.SetOptions(eoAutoIndent | eoAutoSizeMaxScrollWidth | eoDragDropEditing | eoEnhanceEndKey |
                    eoGroupUndo | eoScrollPastEol | eoShowScrollHint | eoSmartTabDelete |
                    eoSmartTabs | eoSpecialLineDefaultFg | eoTabsToSpaces | eoTrimTrailingSpaces);
  editor.AddKey(Qt::Key_Space, Qt::ShiftModifier | Qt::ControlModifier, ecAutoCompletion);
}

}  // namespace

TTvlPage::TTvlPage(QWidget* parent)
    : QWidget(parent),
      editor_(new TTvlEdit(this)),
      completion_(std::make_unique<TPageCompletion>(*this, *editor_)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(editor_);
  SetUpNewEditor(*editor_);
  editor_->OnStatusChange = [this](TTextEditor& editor, TStatusChanges changes) {
    EditorStatusChanged(static_cast<int>(changes), editor.Modified());
  };
}

TTvlPage::~TTvlPage() = default;

TEditorModel& TTvlPage::Model() const {
  return editor_->Model();
}
THighlighter* TTvlPage::Highlighter() const {
  return editor_->Highlighter();
}
void TTvlPage::SetHighlighter(THighlighter* highlighter) {
  editor_->SetHighlighter(highlighter);
}
void TTvlPage::SetTopLine(int line) {
  editor_->SetTopLine(line);
}

void TTvlPage::FocusEditor() {
  if (editor_->isVisible()) editor_->setFocus();
}

void TTvlPage::SetFilename(const QString& name) {
  filename_ = name;
  emit CaptionLookChanged();
}

QString TTvlPage::Caption() const {
  return QFileInfo(filename_).fileName();
}

void TTvlPage::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  editor_->SetReadOnly(readOnly);
  emit CaptionLookChanged();
}

bool TTvlPage::Close() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  if (!canClose) return false;
  QWidget* control = parentWidget();
  delete this;
  if (control) control->update();
  return true;
}

void TTvlPage::EditorStatusChanged(int changes, bool modified) {
  bool boldChanged = modified != shownModified_;
  shownModified_ = modified;
  if (OnEditorStatusChange) OnEditorStatusChange(this, changes);
  if (boldChanged) emit CaptionLookChanged();
}

}  // namespace tervil
