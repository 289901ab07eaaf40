#include "ui/options/ApplicationDelegate.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace tervil {

QWidget* TApplicationDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                            const QModelIndex&) const {
  auto* editor = new QWidget(parent);
  editor->setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(editor);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* edit = new QLineEdit(editor);
  edit->setObjectName("CellEdit");
  edit->setFrame(false);
  auto* browse = new QToolButton(editor);
  browse->setText("...");
  browse->setToolTip(tr("Browse"));
  layout->addWidget(edit, 1);
  layout->addWidget(browse);
  editor->setFocusProxy(edit);
  connect(browse, &QToolButton::clicked, this, [this, edit] { emit BrowseRequested(edit); });
  return editor;
}

void TApplicationDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  if (auto* edit = editor->findChild<QLineEdit*>("CellEdit"))
    edit->setText(index.data(Qt::EditRole).toString());
}

void TApplicationDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                        const QModelIndex& index) const {
  if (auto* edit = editor->findChild<QLineEdit*>("CellEdit"))
    model->setData(index, edit->text(), Qt::EditRole);
}

}  // namespace tervil
