#include "ui/app/FileDialogs.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

namespace tervil {

namespace {

TFileDialogs::OpenHook& OpenHookSlot() {
  static TFileDialogs::OpenHook hook;
  return hook;
}

TFileDialogs::SaveAsHook& SaveAsHookSlot() {
  static TFileDialogs::SaveAsHook hook;
  return hook;
}

}  // namespace

void TFileDialogs::SetOpenHook(OpenHook hook) {
  OpenHookSlot() = std::move(hook);
}
void TFileDialogs::SetSaveAsHook(SaveAsHook hook) {
  SaveAsHookSlot() = std::move(hook);
}

QStringList TFileDialogs::Open(QWidget* parent, const QString& directory,
                               const QStringList& filters) {
  if (OpenHookSlot()) return OpenHookSlot()(directory, filters);
  QFileDialog dialog(parent, QObject::tr("Open"), directory);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(filters);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

std::optional<TSaveAsChoice> TFileDialogs::SaveAs(QWidget* parent, const TSaveAsRequest& request) {
  if (SaveAsHookSlot()) return SaveAsHookSlot()(request);
  QFileDialog dialog(parent, request.title, request.directory);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The program asks about overwriting itself, and shows the dialog again on No.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(request.filters);
  if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size())
    dialog.selectNameFilter(request.filters[request.selectedFilter]);
  dialog.selectFile(request.fileName);

  // The encoding selector sits below the file type selector.
  auto* encodingLabel = new QLabel(QObject::tr("Encoding:"), &dialog);
  auto* encodings = new QComboBox(&dialog);
  encodings->setObjectName("EncodingSelector");
  // The empty name is the system code page, which is UTF-8 here.
  for (const QString& name : request.encodings)
    encodings->addItem(name.isEmpty() ? QObject::tr("(system, UTF-8)") : name, name);
  encodings->setCurrentIndex(std::max(0, int(request.encodings.indexOf(request.encoding))));
  encodingLabel->setBuddy(encodings);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    const int row = grid->rowCount();
    grid->addWidget(encodingLabel, row, 0);
    grid->addWidget(encodings, row, 1);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  TSaveAsChoice choice;
  choice.fileName = dialog.selectedFiles().first();
  choice.filterIndex = int(request.filters.indexOf(dialog.selectedNameFilter()));
  choice.encoding = encodings->currentData().toString();
  return choice;
}

}  // namespace tervil
