#include "ui/documents/TvlPage.h"

#include <QFileInfo>
#include <QVBoxLayout>

#include "ui/documents/TvlPageControl.h"

namespace tervil {

TTvlPage::TTvlPage(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

TTvlPage::~TTvlPage() = default;

void TTvlPage::SetFilename(const QString& name) {
  filename_ = name;
  emit CaptionLookChanged();
}

QString TTvlPage::Caption() const {
  return QFileInfo(filename_).fileName();
}

void TTvlPage::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
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
