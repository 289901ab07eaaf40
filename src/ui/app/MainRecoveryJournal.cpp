// The main window's crash recovery: the journal of this run, the setting that switches it off,
// and the recovery of pages journalled by a run that ended without saving them.
#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include "core/documents/SafeWrite.h"
#include "core/recovery/RecoveryStore.h"
#include "ui/app/FilePaths.h"
#include "ui/app/MainForm.h"
#include "ui/app/MenuLookup.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/TvlPage.h"
#include "ui/recovery/CrashJournal.h"
#include "ui/recovery/RecoveryDialog.h"

namespace tervil {

namespace {

const std::string kRecoveryKey = kRootKey + "\\Recovery";
constexpr const char* kJournalValue = "Journal";
// Text size in MB above which pages are snapshotted less often.
constexpr const char* kSnapshotCapValue = "SnapshotCapMB";

bool IsRecoverable(const TRecoverablePage& page) {
  return page.contents.state == TJournalContents::State::Ok ||
         page.contents.state == TJournalContents::State::TornTail;
}

}  // namespace

void TTervilMain::CreateRecoveryActions() {
  crashJournal_ = new TCrashJournal(this);
  connect(crashJournal_, &TCrashJournal::WriteFailed, this,
          [this](const QString& message) { statusPanels_->SetPanelText(0, message); });
  if (store_.ValueExists(kRecoveryKey, kSnapshotCapValue)) {
    crashJournal_->SetSnapshotCap(std::size_t{store_.ReadInteger(kRecoveryKey, kSnapshotCapValue)}
                                  << 20);
  }
  const bool enabled = !store_.ValueExists(kRecoveryKey, kJournalValue) ||
                       store_.ReadBool(kRecoveryKey, kJournalValue);

  actCrashJournal =
      new QAction(QIcon::fromTheme("document-revert"), tr("Crash Recovery Journal"), this);
  actCrashJournal->setObjectName("actCrashJournal");
  actCrashJournal->setCheckable(true);
  actCrashJournal->setChecked(enabled);
  actCrashJournal->setToolTip(tr("Crash Recovery Journal"));
  actCrashJournal->setStatusTip(
      tr("Keep unsaved changes in a journal, offered back after a crash"));
  connect(actCrashJournal, &QAction::toggled, this, [this](bool on) {
    crashJournal_->SetEnabled(on);
    store_.WriteBool(kRecoveryKey, kJournalValue, on);
  });
  QMenu* tools = MenuNamed(menuBar(), tr("&Tools"), tr("&Window"));
  tools->addSeparator();
  tools->addAction(actCrashJournal);
  crashJournal_->SetEnabled(enabled);
}

// Journals of runs that ended (killed, crashed, the machine went down) are offered once: a
// second start at the same moment finds them claimed and offers nothing. The start offers them
// before it reopens or opens any file, so that a file's unsaved text goes back into its own page.
void TTervilMain::OfferCrashRecovery() {
  std::vector<TRunFolder> runs = ClaimEndedRuns(RecoveryDirectory());
  if (runs.empty()) return;
  const std::vector<TRecoverablePage> pages = ReadRecoverablePages(runs);
  std::vector<std::string> keep;  // journals of another program version stay where they are
  bool recoverable = false;
  for (const TRecoverablePage& page : pages) {
    if (page.contents.state == TJournalContents::State::UnknownFormat) keep.push_back(page.journal);
    recoverable = recoverable || IsRecoverable(page);
    // A save of the page's file killed midway left its hidden copy beside the file; no save
    // of the ended run holds it any more.
    if (page.contents.identity.named) RemoveStaleTemporaries(page.contents.identity.name, 0);
  }
  int choice = TRecoveryDialog::Discard;
  if (recoverable) {
    TRecoveryDialog dialog(pages, this);
    choice = dialog.exec();
  }
  if (choice == TRecoveryDialog::Later) {
    for (TRunFolder& run : runs) run.Release();
    return;
  }
  if (choice == TRecoveryDialog::Recover) {
    QStringList notes;
    for (const TRecoverablePage& page : pages) {
      if (IsRecoverable(page)) RecoverPage(page, notes);
    }
    // The recovered pages are in this run's journal before the old journals go.
    crashJournal_->Flush();
    if (!notes.isEmpty()) recoveryNotes_ = notes.join("\n\n");
  }
  for (TRunFolder& run : runs) run.Remove(keep);
  if (!keep.empty()) {
    statusPanels_->SetPanelText(0, tr("Crash journals of another program version were kept in %1")
                                       .arg(QString::fromStdString(RecoveryDirectory())));
  }
}

// What the recovery had to say, once the window shows.
void TTervilMain::ReportRecoveryNotes() {
  if (recoveryNotes_.isEmpty()) return;
  const QString notes = recoveryNotes_;
  recoveryNotes_.clear();
  TMessageBox::Show(this, tr("Recover Unsaved Changes"), notes);
}

// The page a file's recovered text went into, if any.
TTvlPage* TTervilMain::RecoveredPageOf(const QString& fileName) const {
  for (TTvlPage* page : EditorPages())
    if (recoveredPages_.contains(page) && page->Filename() == fileName) return page;
  return nullptr;
}

// Opens the recovered text, marked modified, with the page's encoding and line breaks. The
// file itself is never written here. The text goes into the file's own page (the user chose to
// recover it, so a large file is not asked about again); a file that changed on disk since the
// page read it, or that cannot be opened, opens as it is with the recovered text in a new page
// beside it.
void TTervilMain::RecoverPage(const TRecoverablePage& recovered, QStringList& notes) {
  const TJournalIdentity& id = recovered.contents.identity;
  const QString name = PathText(id.name);
  TTvlPage* page = nullptr;
  const bool openAlready = id.named && IsOpenForEditing(name);
  const bool exists = id.named && QFileInfo(name).isFile();
  if (id.named && !openAlready && exists) {
    OpenFile(name, false, false);
    if (!recovered.fileChanged && currentPage_ && currentPage_->Filename() == name &&
        !currentPage_->ReadOnly()) {
      page = currentPage_;
    }
  }
  if (!page) {
    page = NewDocument();
    if (id.named) {
      QString note;
      if (openAlready)
        note =
            tr("\"%1\" is open already. The recovered text opens as the new page \"%2\" "
               "beside it.");
      else if (recovered.fileChanged || !exists)
        note =
            tr("\"%1\" changed on disk since its changes were made. The recovered text "
               "opens as the new page \"%2\" beside it.");
      else
        note =
            tr("\"%1\" could not be opened. The recovered text opens as the new page "
               "\"%2\".");
      notes << note.arg(name, page->Filename());
    }
  }
  if (recovered.contents.state == TJournalContents::State::TornTail) {
    notes << tr("The end of the journal of \"%1\" was lost: its text is recovered up to the "
                "last whole edit.")
                 .arg(name);
  }
  page->Encoding = QString::fromStdString(id.encoding);
  page->LineBreakStyle = id.lineBreakStyle;
  page->LineBreaks.lf = id.lf;
  page->LineBreaks.crlf = id.crlf;
  page->LineBreaks.cr = id.cr;
  page->LineBreaks.firstStyle = id.lineBreakStyle;
  page->Model().SetText(recovered.contents.text);
  recoveredPages_ << page;
  RefreshStatus(page);
}

}  // namespace tervil
