// The main window's documents: opening, saving, closing and reloading pages, and the encoding
// menu.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include "core/common/HugePages.h"
#include "core/common/Paths.h"
#include "core/common/TextFile.h"
#include "core/documents/DocumentFiles.h"
#include "core/documents/DocumentRules.h"
#include "core/text/Charsets.h"
#include "core/text/TextProcessor.h"
#include "ui/app/FileDialogs.h"
#include "ui/app/FilePaths.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"

namespace tervil {

namespace {

// A text from this size on leaves freed memory worth giving back after its open.
constexpr std::size_t kBigTextBytes = 16u << 20;

QString FileNameOnly(const QString& path) {
  return QFileInfo(path).fileName();
}

std::string Std(const QString& text) {
  return text.toStdString();
}
QString Qt(const std::string& text) {
  return QString::fromStdString(text);
}

QStringList QtFilters(const std::vector<TFileFilter>& filters) {
  QStringList list;
  for (const auto& filter : filters) list << Qt(QtNameFilter(filter));
  return list;
}

QStringList CharsetNames() {
  QStringList names;
  for (const auto& row : CharsetTable) names << Qt(std::string(row.name));
  return names;
}

}  // namespace

// Where the file dialogs start: the folder of the last opened file, else the home folder (the
// program's own folder is seldom a place for documents, nor writable).
QString TTervilMain::LastDirectory() const {
  if (LastOpenedFile.isEmpty()) return QString::fromStdString(HomeDirectory());
  return QFileInfo(LastOpenedFile).absolutePath();
}

// How the page's text becomes its file's bytes. Files whose type needs tabs keep their whitespace.
TWriteSettings TTervilMain::WriteSettings(const TTvlPage* page) const {
  TWriteSettings s;
  s.unixEol = configuration_->UnixEol;
  s.autoDetectEol = configuration_->AutoDetectEol;
  const bool keepsTabs = NeedsTabs(Std(page->Filename()));
  s.tabsToSpaces = configuration_->TabsToSpaces && !keepsTabs;
  s.spacesToTabs = configuration_->SpacesToTabs && !keepsTabs;
  s.tabWidth = configuration_->TabWidth;
  return s;
}

std::string TTervilMain::PageTerminator(const TTvlPage* page) const {
  return FileTerminator(page->LineBreaks, page->DecodedByFallback, WriteSettings(page));
}

// ---------------------------------------------------------------- opening

void TTervilMain::OpenCommand() {
  const QStringList files = TFileDialogs::Open(
      this, LastDirectory(), QtFilters(DocumentFileFilters(configuration_->SupportedExtensions)));
  for (const QString& file : files) OpenFile(file, false);
}

void TTervilMain::OpenFile(const QString& fileName, bool forceReadOnly, bool askIfLarge) {
  emit OpenFileRequested(fileName, forceReadOnly);
  const QFileInfo info(fileName);
  if (!FileExists(PathBytes(fileName))) return;
  LastOpenedFile = fileName;
  const QString caption = info.fileName();
  bool readOnly = forceReadOnly;
  if (!forceReadOnly && IsOpenForEditing(fileName)) {
    if (!TMessageBox::Ask(this, caption, Message("AlreadyOpened"))) return;
    readOnly = true;
  }
  if (askIfLarge && GetFileSize(PathBytes(fileName)) > kLargeFileThreshold &&
      !TMessageBox::Ask(this, caption, Message("LargeFile")))
    return;

  // Read before a page exists: a file that cannot be read gets no page bound to its path, so
  // that no save can replace its content with an empty text.
  std::string bytes;
  TFileStamp stamp;
  if (!ReadPageBytes(fileName, bytes, stamp)) return;
  TTvlPage* page = CreatePage();
  page->SetFilename(fileName);
  SetUpPage(page);
  if (readOnly) page->SetReadOnly(true);
  LoadPageFile(page, std::move(bytes), stamp,
               InitialEncoding(PathBytes(fileName), configuration_->EncodingFilter,
                               configuration_->DefaultEncoding),
               true);
  ApplyExtensionHighlighter(page);
  RefreshStatus(page);
}

// Reads a document's file, with the stamp it had before it was read (a change while reading is
// then noticed later); reports a failure.
bool TTervilMain::ReadPageBytes(const QString& fileName, std::string& bytes, TFileStamp& stamp) {
  stamp = GetFileStamp(PathBytes(fileName));
  std::string error;
  if (ReadFileBytes(PathBytes(fileName), bytes, &error)) return true;
  TMessageBox::Error(this, Qt(error));
  return false;
}

// Puts a file's bytes into the page's editor, decoding from `encoding` (or the recent-file
// record's encoding when `useRecord` and there is one), and restores the caret. The bytes are
// decoded where they are (UTF-8 needs no copy) and dropped once the editor holds the text.
void TTervilMain::LoadPageFile(TTvlPage* page, std::string&& bytes, const TFileStamp& stamp,
                               std::string encoding, bool useRecord, bool undoable) {
  const std::string path = PathBytes(page->Filename());
  int index = useRecord ? configuration_->IndexOfRecentFile(path) : -1;
  TRecentFile record;
  if (index >= 0) {
    record = configuration_->RecentList[static_cast<size_t>(index)];
    encoding = record.encoding;
    if (THighlighter* single = highlighters_.FindByLanguageName(record.highlighter))
      page->SetHighlighter(single);
    else if (record.highlighter == highlighters_.Multi().LanguageName())
      page->SetHighlighter(&highlighters_.Multi());
    else
      page->SetHighlighter(nullptr);
  }
  page->FileHash = ContentHash(bytes);
  std::string text = std::move(bytes);
  bool byFallback = false;
  TTextProcessor::DetectCharsetAndConvertInPlace(text, encoding, byFallback);
  page->Encoding = Qt(encoding);
  page->DecodedByFallback = byFallback;
  // The breaks of the decoded text: in UTF-16 or UTF-32 a break is not a single byte.
  page->LineBreaks = page->OriginalLines.Assign(text);
  page->LineBreakStyle = page->LineBreaks.firstStyle;
  if (page->LineBreaks.Mixed())
    page->OriginalBreaks.Assign(text);
  else
    page->OriginalBreaks.Clear();
  TEditorModel& model = page->Model();
  // The decoded bytes become the buffer's text. A big file leaves memory freed on the way (a
  // conversion's source); once the screen is painted, the heap gives it back to the system.
  const bool big = text.size() >= kBigTextBytes;
  if (undoable && !model.ReadOnly()) {
    // A reload replaces the text as one edit: the text before it is one undo step back.
    model.BeginUndoBlock();
    model.SelectAll();
    model.SetSelText(text);
    model.EndUndoBlock();
    text = std::string();
  } else {
    model.LoadFromOwnedBytes(std::move(text));
  }
  if (big) QTimer::singleShot(0, this, [] { ReturnFreedMemory(); });
  model.SetModified(false);
  page->Filedate = stamp;
  page->FileReload = true;
  if (index >= 0) {
    model.SetCaretPos({record.caretX, std::min(record.caretY, model.LineCount())});
    page->SetTopLine(std::min(record.topLine, model.LineCount()));
  }
}

// The status bar says when a file's line breaks were mixed and what a save writes instead.
void TTervilMain::ShowLineBreakNotice(const TTvlPage* page) {
  static const QString kMarker = tr("Mixed line breaks");
  QString notice;
  if (page->LineBreaks.Mixed() && configuration_->AutoDetectEol)
    notice = tr("%1: lines keep their own breaks, new lines get %2")
                 .arg(kMarker, Qt(LineBreakName(PageTerminator(page))));
  else if (page->LineBreaks.Mixed())
    notice = tr("%1: saving writes every line break as %2")
                 .arg(kMarker, Qt(LineBreakName(PageTerminator(page))));
  if (!notice.isEmpty() || statusPanels_->PanelText(0).startsWith(kMarker))
    statusPanels_->SetPanelText(0, notice);
}

// ---------------------------------------------------------------- saving

bool TTervilMain::SavePage(TTvlPage* page, bool askName) {
  if (!HasDirectoryPart(Std(page->Filename())) || askName) return SaveAsDialog(page);
  return SavePageTo(page, page->Filename());
}

bool TTervilMain::SaveAsDialog(TTvlPage* page) {
  const auto filters = DocumentFileFilters(configuration_->SupportedExtensions);
  while (true) {
    TSaveAsRequest request;
    const QFileInfo current(page->Filename());
    request.directory =
        HasDirectoryPart(Std(page->Filename())) ? current.absolutePath() : LastDirectory();
    request.fileName = page->Filename();
    request.title =
        Message("SaveAsPrefix") + " " + current.fileName() + " " + Message("SaveAsSufix");
    request.filters = QtFilters(filters);
    request.selectedFilter = saveFilterIndex_;  // the previous choice, unless the name says more
    const int preselected = PreselectedFilter(filters, Std(current.suffix()));
    if (preselected >= 0) request.selectedFilter = preselected;
    request.encodings = CharsetNames();
    // A UTF-16 or UTF-32 document keeps its form unless another one is chosen.
    if (!request.encodings.contains(page->Encoding)) request.encodings << page->Encoding;
    request.encoding = page->Encoding;
    std::optional<TSaveAsChoice> choice = TFileDialogs::SaveAs(this, request);
    if (!choice) return false;
    saveFilterIndex_ = choice->filterIndex;
    QString chosen = choice->fileName;
    if (QFileInfo(chosen).suffix().isEmpty()) chosen += Qt(ExtensionForFilter(choice->filterIndex));
    page->Encoding = choice->encoding;
    if (PathExists(chosen) &&
        !TMessageBox::Ask(this, FileNameOnly(chosen), Message("AskOverwrite")))
      continue;  // No shows the dialog again
    return SavePageTo(page, chosen);
  }
}

void TTervilMain::RecordSave(TTvlPage* page, const QString& path) {
  TEditorModel& model = page->Model();
  const THighlighter* highlighter = page->Highlighter();
  configuration_->AddRecentFile({model.CaretX(), model.CaretY(), model.TopLine(), PathBytes(path),
                                 Std(page->Encoding),
                                 highlighter ? highlighter->LanguageName() : std::string(), false});
}

// Whether the page's file is not what the page last read or wrote. A stamp that moved only in
// its status change time (a new link, a permission) is checked against the bytes, once.
bool TTervilMain::ChangedOutside(TTvlPage* page, const TFileStamp& now) {
  if (!IsChangedOutside(page->Filedate, now)) return false;
  if (!OnlyStatusChanged(page->Filedate, now) || !page->FileHash) return true;
  std::string bytes;
  if (!ReadFileBytes(PathBytes(page->Filename()), bytes, nullptr) ||
      ContentHash(bytes) != *page->FileHash)
    return true;
  for (TTvlPage* other : EditorPages())
    if (other->Filename() == page->Filename() && other->Filedate == page->Filedate)
      other->Filedate = now;
  return false;
}

// A file another program changed since the page read it is overwritten only after a question.
bool TTervilMain::MayOverwrite(TTvlPage* page, const QString& path) {
  const TFileStamp now = GetFileStamp(PathBytes(path));
  if (!ChangedOutside(page, now)) return true;
  return TMessageBox::Ask(this, FileNameOnly(path),
                          tr("The file has been changed by another program since it was read. "
                             "Do you want to overwrite it with this document?"));
}

bool TTervilMain::SavePageTo(TTvlPage* page, const QString& path) {
  // The program's own save is never taken for an outside change, whatever runs meanwhile.
  ++saving_;
  const bool saved = WritePageTo(page, path);
  --saving_;
  if (saved) {
    RefreshStatus(page);
    emit PageSaved(page);
  }
  return saved;
}

bool TTervilMain::WritePageTo(TTvlPage* page, const QString& path) {
  TEditorModel& model = page->Model();
  RecordSave(page, path);
  const bool sameFile = path == page->Filename();
  page->SetFilename(path);
  const std::string file = PathBytes(path);
  if (sameFile && !MayOverwrite(page, path)) return false;
  const QString encoding = page->Encoding;
  TFileStamp written;
  bool ok = false;
  if (PathExists(path) && IsReadOnlyFile(file)) {
    if (!TMessageBox::Ask(this, FileNameOnly(path), Message("ReadOnly"))) return false;
    std::string error;
    SetReadOnlyFile(file, false, &error);
    ok = WriteDocument(page, path, &written);
    SetReadOnlyFile(file, true, &error);
    // Setting the attribute again moved the file's status change time.
    if (written.Exists()) written = GetFileStamp(file);
  } else {
    ok = WriteDocument(page, path, &written);
  }
  if (!ok) {
    // A failed write that put the old content back changed the file's times, not its content:
    // that is no change of another program.
    if (written.Exists()) {
      for (TTvlPage* other : EditorPages())
        if (other->Filename() == page->Filename()) other->Filedate = written;
    }
    return false;
  }
  // The record names the encoding actually written (a save may have switched to UTF-8).
  if (page->Encoding != encoding) RecordSave(page, path);
  // The new stamp is in place before the page stops being modified: that change reaches the
  // outside-change check.
  page->Filedate = written;
  page->FileReload = true;
  // Other pages of the same file must not take this save for an outside change.
  for (TTvlPage* other : EditorPages()) {
    if (other->Filename() != page->Filename()) continue;
    other->Filedate = written;
    other->FileHash = page->FileHash;
  }
  model.SetModified(false);
  return true;
}

bool TTervilMain::WriteDocument(TTvlPage* page, const QString& path, TFileStamp* written) {
  const std::string terminator = PageTerminator(page);
  const TWriteSettings settings = WriteSettings(page);
  // Take the text with the file's own line ends: no second pass over it. A file with mixed
  // breaks gets every line's own break back where the line is unchanged.
  const bool ownBreaks = settings.autoDetectEol && !page->OriginalBreaks.Empty();
  auto text = [&] {
    return ownBreaks ? page->OriginalBreaks.Apply(page->Model().Text("\n"), terminator)
                     : page->Model().Text(terminator);
  };
  TEncodedDocument encoded =
      EncodeDocumentText(text(), Std(page->Encoding), settings, &page->OriginalLines);
  if (!encoded.unwritable.empty()) {
    QString sample;
    for (size_t i = 0; i < encoded.unwritable.size() && i < 8; ++i)
      sample += QString::fromUcs4(&encoded.unwritable[i].codePoint, 1) + " ";
    const QString question =
        tr("The encoding \"%1\" cannot hold some characters of this document: %2\n"
           "Do you want to save the document as UTF-8 instead? No cancels the save.")
            .arg(page->Encoding, sample.trimmed());
    if (!TMessageBox::Ask(this, FileNameOnly(path), question)) return false;
    page->Encoding = "utf-8";
    encoded = EncodeDocumentText(text(), "utf-8", settings, &page->OriginalLines);
  }
  std::string error;
  if (!SafeWriteFile(PathBytes(path), encoded.bytes, &error, written)) {
    TMessageBox::Show(this, FileNameOnly(path), tr("Cannot save \"%1\". %2").arg(path, Qt(error)),
                      mbOK, TMsgIcon::Error);
    return false;
  }
  page->FileHash = ContentHash(encoded.bytes);
  return true;
}

// ---------------------------------------------------------------- reloading

void TTervilMain::ReloadPage(TTvlPage* page) {
  if (!FileExists(PathBytes(page->Filename()))) return;
  std::string bytes;
  TFileStamp stamp;
  if (!ReadPageBytes(page->Filename(), bytes, stamp)) return;  // the page keeps its text
  TEditorModel& model = page->Model();
  const int topLine = model.TopLine();
  const TBufferPos caret = model.CaretPos();
  LoadPageFile(page, std::move(bytes), stamp, Std(page->Encoding), false, true);
  model.SetCaretPos({caret.Column, std::min(caret.Line, model.LineCount())});
  page->SetTopLine(std::min(topLine, model.LineCount()));
  ApplyExtensionHighlighter(page);
  RefreshStatus(page);
}

void TTervilMain::ReloadCommand() {
  TTvlPage* page = currentPage_;
  if (page && TMessageBox::Ask(this, FileNameOnly(page->Filename()), Message("Reload2")))
    ReloadPage(page);
}

void TTervilMain::CheckOutsideChange(TTvlPage* page) {
  if (saving_ > 0 || !page->FileReload || !page->Filedate.Exists()) return;
  const TFileStamp now = GetFileStamp(PathBytes(page->Filename()));
  if (!ChangedOutside(page, now)) return;
  page->FileReload = false;
  // The question may come up on a keystroke: typing never answers it, and with unsaved edits
  // Enter keeps them.
  const int flags = mbIgnoreTyping | (page->Model().Modified() ? mbDefaultNo : 0);
  if (TMessageBox::Ask(this, FileNameOnly(page->Filename()), Message("Reload"), flags)) {
    ReloadPage(page);
  } else {
    // The user keeps this text: a save may replace the version on disk now without asking
    // again, but not a later one.
    page->Filedate = now;
    page->Model().SetModified(true);
  }
}

// Coming back to the program checks the current page's file for outside changes (after the
// activation, so that a question does not interrupt it).
void TTervilMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::ActivationChange || !isActiveWindow()) return;
  QTimer::singleShot(0, this, [this] {
    if (currentPage_) RefreshStatus(currentPage_);
  });
}

// ---------------------------------------------------------------- closing

void TTervilMain::EditorCloseQuery(TTvlPage* page, bool& canClose) {
  canClose = true;
  if (page->Model().Modified()) {
    switch (TMessageBox::Show(this, FileNameOnly(page->Filename()), Message("ModifiedMessage"),
                              mbYes | mbNo | mbCancel, TMsgIcon::Information)) {
      case TMsgResult::Yes:
        SavePage(page, false);
        canClose = !page->Model().Modified();
        break;
      case TMsgResult::No:
        break;
      default:
        canClose = false;
    }
  }
  if (canClose) {
    if (currentPage_ == page) currentPage_ = nullptr;
    setWindowTitle(Message("AppName"));
  }
}

TTvlPageControl* TTervilMain::ControlOf(TTvlPage* page) const {
  for (TTvlPageControl* control : {PageControl(), SplitPageControl()})
    if (control->indexOf(page) >= 0) return control;
  return nullptr;
}

void TTervilMain::CloseCommand() {
  TTvlPage* page = currentPage_;
  if (!page) return;
  TTvlPageControl* control = ControlOf(page);
  if (!control) return;
  const int index = control->indexOf(page);
  if (page->Close()) {
    control->setCurrentIndex(std::min(index, control->count() - 1));
    control->update();
  }
}

void TTervilMain::CloseAllCommand() {
  bool allClosed = true;
  PageControl()->CloseAll(allClosed);
  SplitPageControl()->CloseAll(allClosed);
}

void TTervilMain::CloseAllButThis() {
  TTvlPage* keep = currentPage_;
  TTvlPageControl* control = keep ? ControlOf(keep) : nullptr;
  if (!control) return;
  for (int i = control->count() - 1; i >= 0; --i) {
    TTvlPage* page = control->PageAt(i);
    if (page && page != keep) page->Close();
  }
  control->setCurrentWidget(keep);
  RefreshStatus(keep);
}

// Only modified pages are saved: an untouched page (or a read-only view of a file) must not put
// its older text over what was saved from another page or written by another program.
void TTervilMain::SaveAllCommand() {
  QList<QPointer<TTvlPage>> pages;
  for (TTvlPage* page : EditorPages()) pages << page;
  for (const QPointer<TTvlPage>& page : pages)
    if (page && page->Model().Modified()) SavePage(page, false);
}

void TTervilMain::RenameCommand() {
  TTvlPage* page = currentPage_;
  if (!page || !FileExists(PathBytes(page->Filename()))) return;
  const QFileInfo info(page->Filename());
  bool ok = false;
  const QString entered =
      QInputDialog::getText(this, tr("Rename") + " " + info.fileName(), tr("New name:"),
                            QLineEdit::Normal, info.fileName(), &ok);
  const QString name = QFileInfo(entered).fileName();  // a typed folder is dropped
  if (!ok || name.isEmpty() || !PathExists(page->Filename())) return;
  const QString target = info.absolutePath() + "/" + name;
  if (target == info.absoluteFilePath()) return;
  std::string error;
  // Renaming moves the file's status change time; a page that knew the file keeps knowing it.
  const bool known = !IsChangedOutside(page->Filedate, GetFileStamp(PathBytes(page->Filename())));
  if (!RenameWithoutReplacing(PathBytes(info.absoluteFilePath()), PathBytes(target), &error)) {
    // An existing file of the new name is never replaced.
    TMessageBox::Error(
        this, tr("Cannot rename \"%1\" to \"%2\". %3").arg(info.fileName(), name, Qt(error)));
    return;
  }
  page->SetFilename(target);
  if (known && page->Filedate.Exists()) page->Filedate = GetFileStamp(PathBytes(target));
  RefreshStatus(page);
}

void TTervilMain::CopyFilename(bool withPath) {
  if (!currentPage_) return;
  const QString path = currentPage_->Filename();
  QApplication::clipboard()->setText(withPath ? path : FileNameOnly(path));
}

// ---------------------------------------------------------------- encoding menu

QMenu* TTervilMain::EncodingMenu() {
  if (!encodingMenu_) {
    encodingMenu_ = new QMenu(tr("Change Encoding"), this);
    connect(encodingMenu_, &QMenu::aboutToShow, this, &TTervilMain::BuildEncodingMenu);
  }
  return encodingMenu_;
}

void TTervilMain::BuildEncodingMenu() {
  encodingMenu_->clear();
  if (TTvlPage* page = currentPage_) {
    for (const auto& row : CharsetTable) {
      const QString name = Qt(std::string(row.name));
      QAction* item = encodingMenu_->addAction(name);
      item->setCheckable(true);
      item->setChecked(name == page->Encoding);
      item->setData(row.codePage);
      connect(item, &QAction::triggered, this, [this, name] { ChangeEncodingClick(name); });
    }
  }
  encodingMenu_->addSeparator();
  QAction* reload = encodingMenu_->addAction(Message("ReloadAfterChange"));
  reload->setCheckable(true);
  reload->setChecked(ReloadAfterChange);
  connect(reload, &QAction::triggered, this, [this] { ReloadAfterChange = !ReloadAfterChange; });
}

void TTervilMain::ChangeEncodingClick(const QString& encoding) {
  TTvlPage* page = currentPage_;
  if (!page) return;
  if (page->Model().Modified() && FileExists(PathBytes(page->Filename())) &&
      !TMessageBox::Ask(this, FileNameOnly(page->Filename()), Message("Reload3")))
    return;
  page->Encoding = encoding;
  if (ReloadAfterChange)
    ReloadPage(page);
  else
    page->Model().SetModified(true);
  RefreshStatus(page);
}

}  // namespace tervil
