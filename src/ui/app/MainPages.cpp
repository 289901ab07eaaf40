// The main window's pages: making them, the current page, the status bar, tab navigation, the
// split view and the highlighter of each page.
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include "core/documents/DocumentFiles.h"
#include "core/documents/DocumentRules.h"
#include "core/documents/PageLayout.h"
#include "core/highlighters/HighlighterSettings.h"
#include "core/process/RunCommands.h"
#include "core/text/TextProcessor.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/EditorPanel.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"
#include "ui/editor/TvlEdit.h"
#include "ui/explorer/DiskExplorer.h"
#include "ui/recovery/CrashJournal.h"

namespace tervil {

namespace {

enum TStatusPanel {
  kHintPanel = 0,
  kLinePanel = 1,
  kColumnPanel = 2,
  kModifiedPanel = 3,
  kCountPanel = 4,
  kInsertPanel = 5,
  kEncodingPanel = 6,
  kHighlighterPanel = 7,
};

QString Counted(const QString& text, int value) {
  return text + QString::asprintf("%3d", value);
}

}  // namespace

std::vector<TTvlPage*> TTervilMain::EditorPages() const {
  std::vector<TTvlPage*> pages;
  for (TTvlPageControl* control : {PageControl(), SplitPageControl()})
    for (int i = 0; i < control->count(); ++i)
      if (TTvlPage* page = control->PageAt(i)) pages.push_back(page);
  return pages;
}

bool TTervilMain::IsOpenForEditing(const QString& fileName) const {
  for (TTvlPage* page : EditorPages())
    if (!page->ReadOnly() && page->Filename() == fileName) return true;
  return false;
}

TTvlPage* TTervilMain::CreatePage() {
  auto* page = new TTvlPage;
  PageControl()->AddPage(page);
  PageControl()->setCurrentWidget(page);
  return page;
}

TTvlPage* TTervilMain::NewDocument() {
  TTvlPage* page = CreatePage();
  std::string encoding = configuration_->DefaultEncoding;
  TTextProcessor::DetectCharsetAndConvert("", encoding);
  page->Encoding = QString::fromStdString(encoding);
  std::vector<std::string> captions;
  for (TTvlPageControl* control : {PageControl(), SplitPageControl()})
    for (int i = 0; i < control->count(); ++i)
      captions.push_back(control->tabText(i).toStdString());
  page->SetFilename(
      QString::fromStdString(NextUnnamedName(Message("Unnamed").toStdString(), captions)));
  page->Filedate = {};
  page->FileReload = true;
  SetUpPage(page);
  return page;
}

void TTervilMain::SetUpPage(TTvlPage* page) {
  page->SetHighlighter(&highlighters_.Multi());
  page->OnCloseQuery = [this](TTvlPage* closing, bool& canClose) {
    EditorCloseQuery(closing, canClose);
  };
  page->OnEditorStatusChange = [this](TTvlPage* changed, int changes) {
    QPointer<TTvlPage> alive(changed);
    EditorStatusChange(changed);
    if ((changes & scText) && alive) emit PageTextChanged(changed);
  };
  TTvlEdit* editor = page->TvlEdit();
  editor->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(editor, &QWidget::customContextMenuRequested, this,
          [this, page](const QPoint& at) { ShowEditorMenu(page, at); });
  FollowPage(page);
  RememberCopies(editor);

  // The program a page runs with by default.
  page->RunWith =
      QString::fromStdString(TRunPrograms(configuration_->PhpPath, configuration_->Applications)
                                 .DefaultRunWith(configuration_->RunWithDefault));
  if (isVisible()) page->FocusEditor();
  RefreshStatus(page);
  ApplyEditorSettings(page->TvlEdit());
  if (crashJournal_) crashJournal_->Attach(page);
}

void TTervilMain::EditorStatusChange(TTvlPage* page) {
  RefreshStatus(page);
}

void TTervilMain::RefreshStatus(TTvlPage* page) {
  if (!page) return;
  setWindowTitle(Message("AppName") + " [" + QFileInfo(page->Filename()).fileName() + "]");
  const TEditorModel& model = page->Model();
  statusPanels_->SetPanelText(kLinePanel,
                              Message("Line") + QString::asprintf(": %3d", model.CaretY()));
  statusPanels_->SetPanelText(kColumnPanel,
                              Message("Char") + QString::asprintf(": %3d", model.CaretX()));
  statusPanels_->SetPanelText(kInsertPanel, model.InsertMode() ? "INS" : "");
  statusPanels_->SetPanelText(
      kCountPanel, Counted(Message("OpenedCount"), static_cast<int>(EditorPages().size())));
  statusPanels_->SetPanelText(kEncodingPanel, page->Encoding);
  statusPanels_->SetPanelText(kHighlighterPanel, HighlighterCaption(page));
  ShowLineBreakNotice(page);
  CheckOutsideChange(page);
  if (!page->parent()) return;  // the page was closed while it was being checked
  statusPanels_->SetPanelText(kModifiedPanel, page->Model().Modified() ? Message("Modified") : "");
  const bool pageChanged = currentPage_ != page;
  currentPage_ = page;
  if (pageChanged)
    UpdateActions();
  else
    UpdatePageActions();
  emit StatusRefreshed(page);
}

void TTervilMain::PageControlChange(TTvlPageControl* control) {
  if (TTvlPage* page = control->ActivePage()) {
    RefreshStatus(page);
    page->FocusEditor();
    return;
  }
  setWindowTitle(Message("AppName"));
  currentPage_ = nullptr;
  for (int panel :
       {kLinePanel, kColumnPanel, kModifiedPanel, kInsertPanel, kEncodingPanel, kHighlighterPanel})
    statusPanels_->SetPanelText(panel, "");
  statusPanels_->SetPanelText(
      kCountPanel, Counted(Message("OpenedCount"), static_cast<int>(EditorPages().size())));
  UpdateActions();
  emit StatusRefreshed(nullptr);
}

namespace {
// Moves one tab on, wrapping around, and makes its page current (none for "Start").
void StepTab(TTvlPageControl* control, int step) {
  const int count = control->count();
  if (count == 0) return;
  control->setCurrentIndex((control->currentIndex() + step + count) % count);
}

bool HasFocusWithin(QWidget* widget) {
  QWidget* focus = QApplication::focusWidget();
  return focus && (focus == widget || widget->isAncestorOf(focus));
}
}  // namespace

void TTervilMain::NextTab() {
  StepTab(HasFocusWithin(SplitPageControl()) ? SplitPageControl() : PageControl(), 1);
}

void TTervilMain::PreviousTab() {
  StepTab(HasFocusWithin(SplitPageControl()) ? SplitPageControl() : PageControl(), -1);
}

void TTervilMain::SetSplitView(bool on) {
  editorPanel_->SetSplitRatio(ToggleSplitRatio(editorPanel_->SplitRatio(), on));
  UpdateActions();
}

void TTervilMain::ShowOpenedTab(bool lowerControl, int index, const QString& path) {
  TTvlPageControl* control = lowerControl ? SplitPageControl() : PageControl();
  TTvlPage* page = control->PageAt(index);
  if (!page || page->Filename() != path) return;
  control->setCurrentIndex(index);
  const int ratio = editorPanel_->SplitRatio();
  if (!lowerControl && ratio == 0) editorPanel_->SetSplitRatio(50);
  if (lowerControl && ratio == 100) editorPanel_->SetSplitRatio(50);
}

void TTervilMain::StatusBarClick(int panel, const QPoint& globalPos) {
  TTvlPage* page = currentPage_;
  switch (panel) {
    case kLinePanel:
      GoToLine();
      break;
    case kModifiedPanel:
      if (page && page->Model().Modified() &&
          TMessageBox::Show(this, QFileInfo(page->Filename()).fileName(),
                            Message("DoYouWantToSave"), mbYes | mbNo,
                            TMsgIcon::Warning) == TMsgResult::Yes)
        SavePage(page, false);
      break;
    case kEncodingPanel:
      if (page) EncodingMenu()->popup(globalPos);
      break;
    case kHighlighterPanel:
      if (page) highlighterPopup_->popup(globalPos);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------- highlighters

THighlighterList TTervilMain::ListHighlighters() const {
  THighlighterList list;
  highlighters_.ListHighlighters(list, false);
  return list;
}

QString TTervilMain::HighlighterCaption(const TTvlPage* page) const {
  const THighlighter* highlighter = page->Highlighter();
  if (!highlighter) return Message("None");
  if (highlighter == &const_cast<THighlighterSet&>(highlighters_).Multi())
    return Message("MultiHighlighter");
  return QString::fromStdString(highlighter->LanguageName());
}

void TTervilMain::ApplyExtensionHighlighter(TTvlPage* page) {
  static const std::pair<const char*, const char*> kTable[] = {
      {".c", "C/C++"},
      {".cpp", "C/C++"},
      {".h", "C/C++"},
      {".pas", "Object Pascal"},
      {".js", "JavaScript"},
      {".pl", "Perl"},
      {".plx", "Perl"},
      {".cgi", "Perl"},
      {".pm", "Perl"},
      {".txt", "General"},
      {".sql", "SQL"},
      {".java", "Java"},
      {".vbs", "MS VBScript"},
      {".xml", "XML"},
      {".css", "Cascading Style Sheet"},
      {".cs", "C#"},
  };
  const QString name = QFileInfo(page->Filename()).fileName();
  const int dot = name.lastIndexOf('.');
  if (dot < 0) return;
  const std::string ext = name.mid(dot).toStdString();
  for (const auto& [extension, language] : kTable)
    if (ext == extension) page->SetHighlighter(highlighters_.FindByLanguageName(language));
}

void TTervilMain::highlighterActionExecute(QAction* action) {
  TTvlPage* page = currentPage_;
  if (!page) return;
  const std::string caption = action->text().toStdString();
  if (THighlighter* single = highlighters_.FindByLanguageName(caption))
    page->SetHighlighter(single);
  else if (action->text() == Message("MultiHighlighter"))
    page->SetHighlighter(&highlighters_.Multi());
  else
    page->SetHighlighter(nullptr);
  RefreshStatus(page);
  UpdateActions();
}

void TTervilMain::highlighterActionUpdate(QAction* action) {
  TTvlPage* page = currentPage_;
  action->setEnabled(page != nullptr);
  action->setChecked(page && action->text() == HighlighterCaption(page));
}

// ---------------------------------------------------------------- configuration

void TTervilMain::LoadHighlighterAttributes(TSettingsStore& store, const std::string& keyPath) {
  for (const auto& [name, highlighter] : ListHighlighters())
    tervil::LoadHighlighterAttributes(store, keyPath + "\\" + name, *highlighter);
}

void TTervilMain::SaveHighlighterAttributes(TSettingsStore& store, const std::string& keyPath) {
  for (const auto& [name, highlighter] : ListHighlighters())
    tervil::SaveHighlighterAttributes(store, keyPath + "\\" + name, *highlighter);
}

void TTervilMain::ApplyConfiguration() {
  for (TTvlPageControl* control : {PageControl(), SplitPageControl()})
    control->SetTabCloseButton(configuration_->TabCloseButton);
  for (TTvlPage* page : EditorPages()) ApplyEditorSettings(page->TvlEdit());
  for (TTvlPageControl* control : {PageControl(), SplitPageControl()})
    if (TDiskExplorer* explorer = ExplorerOf(control))
      explorer->SetShowHidden(configuration_->ShowHiddenFiles);
  PageControl()->update();
  SplitPageControl()->update();
  FillConfigCombo();
}

}  // namespace tervil

namespace tervil {

void TTervilMain::ApplyEditorSettings(TTvlEdit* editor) {
  const TConfiguration& c = *configuration_;
  editor->SetVariableColor(c.VariableColor);
  editor->SetActiveLineColor(c.ActiveLineColor);
  editor->SetColor(c.EditorBackground);
  editor->SetBracketColor(c.BracketColor);
  editor->SetRightEdgeColor(c.RightEdgeColor);
  editor->SetRightEdge(c.RightEdge);
  // The font family first, so that the size applies to the font shown.
  const QString family = c.FontName.empty()
                             ? QFontDatabase::systemFont(QFontDatabase::FixedFont).family()
                             : QString::fromStdString(c.FontName);
  if (editor->EditorFont().family() != family) {
    QFont font = editor->EditorFont();
    font.setFamily(family);
    editor->SetEditorFont(font);
  }
  editor->SetFontSize(c.FontSize);
  editor->SetGutterVisible(c.Gutter);
  editor->SetAutoIndent(c.AutoIndent);
  editor->SetContinueLists(c.ContinueLists);
  editor->SetAutoClose(c.AutoClose);
  editor->SetTagsEditor(&tags_);
  // The autosave timer follows the configuration whenever a page is set up. Setting the
  // interval starts a running timer's period again: only a changed period may do that.
  const int autosaveInterval = std::max(c.AutosaveInterval, 1000);
  if (autosaveTimer_->interval() != autosaveInterval) autosaveTimer_->setInterval(autosaveInterval);
  if (c.Autosave && !autosaveTimer_->isActive()) autosaveTimer_->start();
  if (!c.Autosave) autosaveTimer_->stop();
  TEditorOptions options = editor->Options() | eoTabsToSpaces;
  options = c.SmartTabs ? (options | eoSmartTabs) : (options & ~TEditorOptions(eoSmartTabs));
  options = c.EnhanceHomeKey ? (options | eoEnhanceHomeKey)
                             : (options & ~TEditorOptions(eoEnhanceHomeKey));
  editor->SetOptions(options);
  editor->SetTabWidth(c.TabWidth);
}

}  // namespace tervil
