#include "ui/recovery/RecoveryDialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tervil {

TRecoveryDialog::TRecoveryDialog(const std::vector<TRecoverablePage>& pages, QWidget* parent)
    : QDialog(parent), list_(new QTreeWidget(this)) {
  setObjectName("RecoveryDialog");
  setWindowTitle(tr("Recover Unsaved Changes"));
  setWindowIcon(QIcon::fromTheme("document-revert"));
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(
      tr("Tervil Editor ended without saving these pages. Their changes can be recovered: "
         "recovered pages open marked as modified, and nothing is written to their files until "
         "you save them."),
      this);
  intro->setWordWrap(true);
  layout->addWidget(intro);

  list_->setObjectName("RecoveryList");
  list_->setRootIsDecorated(false);
  list_->setHeaderLabels({tr("Page"), tr("Last edit"), tr("Change"), tr("Note")});
  for (const TRecoverablePage& page : pages) {
    const TJournalContents& c = page.contents;
    const QString name = QString::fromStdString(c.identity.name);
    const QString when =
        c.lastEditMs
            ? QLocale().toString(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(c.lastEditMs)),
                                 QLocale::ShortFormat)
            : QString();
    auto* item = new QTreeWidgetItem(
        list_, {name.isEmpty() ? QFileInfo(QString::fromStdString(page.journal)).fileName() : name,
                when, ChangeText(c), NoteText(page)});
    item->setToolTip(0, name);
  }
  list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(list_);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* recover = buttons->addButton(tr("Recover"), QDialogButtonBox::AcceptRole);
  QPushButton* discard = buttons->addButton(tr("Discard"), QDialogButtonBox::DestructiveRole);
  QPushButton* later = buttons->addButton(tr("Later"), QDialogButtonBox::RejectRole);
  recover->setObjectName("RecoverButton");
  discard->setObjectName("DiscardButton");
  later->setObjectName("LaterButton");
  recover->setIcon(QIcon::fromTheme("document-revert"));
  discard->setIcon(QIcon::fromTheme("edit-delete"));
  later->setIcon(QIcon::fromTheme("appointment-soon"));
  recover->setDefault(true);
  connect(recover, &QPushButton::clicked, this, [this] { done(Recover); });
  connect(discard, &QPushButton::clicked, this, [this] { done(Discard); });
  connect(later, &QPushButton::clicked, this, [this] { done(Later); });
  layout->addWidget(buttons);
  resize(720, 320);
}

QString TRecoveryDialog::ChangeText(const TJournalContents& c) {
  const QLocale locale;
  if (c.edits == 0) {
    return tr("text of %1").arg(locale.formattedDataSize(static_cast<qint64>(c.text.size())));
  }
  return tr("%n edit(s), %1", nullptr, static_cast<int>(c.edits))
      .arg(locale.formattedDataSize(static_cast<qint64>(c.changeBytes)));
}

QString TRecoveryDialog::NoteText(const TRecoverablePage& page) {
  switch (page.contents.state) {
    case TJournalContents::State::UnknownFormat:
      return tr("Written by another version of the program: kept, not recovered");
    case TJournalContents::State::Unreadable:
      return tr("Cannot be read: %1").arg(QString::fromStdString(page.contents.error));
    case TJournalContents::State::TornTail:
      return page.fileChanged ? tr("The end was lost; the file changed on disk since: opens as "
                                   "a new page")
                              : tr("The end was lost; recovered up to the last whole edit");
    case TJournalContents::State::Ok:
      break;
  }
  return page.fileChanged ? tr("The file changed on disk since it was read: opens as a new page")
                          : QString();
}

}  // namespace tervil
