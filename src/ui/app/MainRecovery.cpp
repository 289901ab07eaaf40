// The main window's recovery of saves that were interrupted while they wrote a file in place.
#include <QFileInfo>

#include "core/documents/SafeWrite.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"

namespace tervil {

// An in-place write (a file with several hard links) killed midway leaves its backup behind. A
// file shorter than its backup was cut off: it gets its old content back. Otherwise the user
// chooses between the file as it is and the backup.
void TTervilMain::RecoverInterruptedWrites() {
  for (const TInterruptedWrite& write : FindInterruptedWrites()) {
    const QString target = QString::fromStdString(write.target);
    const QString name = QFileInfo(target).fileName();
    if (write.finished) {
      DiscardInterruptedWrite(write);
      continue;
    }
    if (!write.targetShorter &&
        !TMessageBox::Ask(this, name,
                          tr("Saving \"%1\" was interrupted before it ended. A copy of the file as "
                             "it was before that save exists. Do you want to restore it?")
                              .arg(target))) {
      DiscardInterruptedWrite(write);
      continue;
    }
    std::string error;
    if (!RestoreInterruptedWrite(write, &error)) {
      TMessageBox::Error(
          this, tr("Cannot restore \"%1\". %2").arg(target, QString::fromStdString(error)));
    } else if (write.targetShorter) {
      TMessageBox::Show(this, name,
                        tr("Saving \"%1\" was interrupted before it ended and left the file "
                           "cut short. Its content before that save has been restored.")
                            .arg(target));
    }
  }
}

}  // namespace tervil
