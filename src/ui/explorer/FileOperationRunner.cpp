#include "ui/explorer/FileOperationRunner.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>

#include "ui/app/FilePaths.h"
#include "ui/app/MessageBox.h"

namespace tervil {

using explorer::TConflictAnswer;
using explorer::TConflictChoice;

namespace {

TConflictAnswer AskConflict(QWidget* parent, const QString& target, bool isDir) {
  QMessageBox box(QMessageBox::Question, QObject::tr("Name Exists"),
                  (isDir ? QObject::tr("The folder \"%1\" exists already.")
                         : QObject::tr("The file \"%1\" exists already."))
                      .arg(QDir::toNativeSeparators(target)),
                  QMessageBox::NoButton, parent);
  QPushButton* overwrite = box.addButton(isDir ? QObject::tr("&Merge") : QObject::tr("&Overwrite"),
                                         QMessageBox::AcceptRole);
  QPushButton* skip = box.addButton(QObject::tr("&Skip"), QMessageBox::RejectRole);
  QPushButton* rename = box.addButton(QObject::tr("&Rename"), QMessageBox::ActionRole);
  box.addButton(QMessageBox::Cancel);
  auto* forAll = new QCheckBox(QObject::tr("Do this for &all"), &box);
  box.setCheckBox(forAll);
  box.setDefaultButton(skip);
  box.exec();
  TConflictAnswer answer;
  answer.ForAll = forAll->isChecked();
  if (box.clickedButton() == overwrite)
    answer.Choice = TConflictChoice::Overwrite;
  else if (box.clickedButton() == skip)
    answer.Choice = TConflictChoice::Skip;
  else if (box.clickedButton() == rename)
    answer.Choice = TConflictChoice::Rename;
  else
    answer.Choice = TConflictChoice::Cancel;
  return answer;
}

void ShowErrors(QWidget* parent, const std::vector<std::string>& errors) {
  QStringList lines;
  for (size_t i = 0; i < errors.size() && i < 20; ++i) lines << PathText(errors[i]);
  if (errors.size() > 20) lines << QObject::tr("... and %1 more").arg(errors.size() - 20);
  TMessageBox::Show(parent, QObject::tr("File Operation"),
                    QObject::tr("Some files could not be handled:\n\n%1").arg(lines.join('\n')),
                    mbOK, TMsgIcon::Warning);
}

}  // namespace

explorer::TOperationResult RunFileOperation(QWidget* parent, TFileOperationKind kind,
                                            const QStringList& sources, const QString& target) {
  std::vector<std::string> paths;
  for (const QString& source : sources) paths.push_back(PathBytes(source));
  explorer::TFileOperation operation;
  QProgressDialog progress(parent);
  progress.setWindowTitle(kind == TFileOperationKind::Copy   ? QObject::tr("Copy")
                          : kind == TFileOperationKind::Move ? QObject::tr("Move")
                                                             : QObject::tr("Delete"));
  progress.setMinimumDuration(400);
  progress.setRange(0, 1000);
  progress.setValue(0);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  QObject::connect(&progress, &QProgressDialog::canceled, [&] { operation.Cancel(); });

  QPointer<QProgressDialog> dialog(&progress);
  QElapsedTimer sinceUpdate;
  sinceUpdate.start();
  operation.OnProgress = [&](const explorer::TProgress& p) {
    if (sinceUpdate.elapsed() < 50) return;
    sinceUpdate.restart();
    const int value = p.BytesTotal ? static_cast<int>(p.BytesDone * 1000 / p.BytesTotal) : 0;
    const QString text = PathText(p.Current);
    QMetaObject::invokeMethod(&progress, [dialog, value, text] {
      if (!dialog) return;
      dialog->setLabelText(text);
      dialog->setValue(value);
    });
  };
  operation.OnConflict = [&](const std::string& name, bool isDir) {
    TConflictAnswer answer;
    QMetaObject::invokeMethod(
        &progress, [&] { answer = AskConflict(&progress, PathText(name), isDir); },
        Qt::BlockingQueuedConnection);
    return answer;
  };

  explorer::TOperationResult result;
  const std::string targetFolder = PathBytes(target);
  QEventLoop loop;
  QThread* worker = QThread::create([&] {
    switch (kind) {
      case TFileOperationKind::Copy:
        result = operation.Copy(paths, targetFolder);
        break;
      case TFileOperationKind::Move:
        result = operation.Move(paths, targetFolder);
        break;
      case TFileOperationKind::Delete:
        result = operation.Delete(paths);
        break;
    }
  });
  QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
  worker->start();
  loop.exec();
  worker->wait();
  delete worker;
  progress.close();
  if (!result.Errors.empty()) ShowErrors(parent, result.Errors);
  return result;
}

}  // namespace tervil
