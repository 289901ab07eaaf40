#pragma once

#include <QDialog>
#include <vector>

#include "core/recovery/RecoveryStore.h"

class QTreeWidget;

namespace tervil {

// The window offered at start when journals of an ended run exist: the pages that can be
// recovered with the time of their last edit and the size of the change, and the choice of
// recovering them, discarding them, or deciding later (the next start asks again).
class TRecoveryDialog : public QDialog {
  Q_OBJECT
 public:
  enum TChoice { Later = 0, Recover = 1, Discard = 2 };

  TRecoveryDialog(const std::vector<TRecoverablePage>& pages, QWidget* parent = nullptr);

  // The text of a page's row, for the list and for tests.
  static QString ChangeText(const TJournalContents& contents);
  static QString NoteText(const TRecoverablePage& page);

 private:
  QTreeWidget* list_;
};

}  // namespace tervil
