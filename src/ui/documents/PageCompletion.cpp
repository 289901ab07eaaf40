#include "ui/documents/PageCompletion.h"

#include <algorithm>

#include "core/editor/TypingRules.h"
#include "core/highlighters/MultiHighlighter.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/javascript/JSHelperForm.h"

namespace tervil {

namespace {

constexpr int kListTimer = 2000;
constexpr int kHintTimer = 20;
constexpr int kDescriptionDelay = 10;
constexpr int kPopupWidth = 380;
constexpr const char* kJavaScript = "JavaScript";

}  // namespace

TPageCompletion::TPageCompletion(TTvlPage& page, TTvlEdit& editor)
    : QObject(nullptr),
      page_(page),
      editor_(editor),
      proposal_(new TCompletionProposal(TCompletionProposal::TKind::List, this)),
      hint_(new TCompletionProposal(TCompletionProposal::TKind::ParamHint, this)),
      hintDesc_(new TCompletionProposal(TCompletionProposal::TKind::Hint, this)),
      jsHelper_(new TJSHelper(&editor)) {
  AddEditorKeyClient(&editor_, this);  // first: the lists are ready before any key is handled

  proposal_->SetOptions(scoUsePrettyText | scoUseBuiltInTimer | scoConsiderWordBreakChars |
                        scoCompleteWithEnter);
  proposal_->SetEditor(&editor_);
  proposal_->SetWidth(kPopupWidth);
  proposal_->SetColumnTexts({"SQLiteDatabase", "xmlrpc_server_register"});
  proposal_->SetShortCut(Qt::Key_F2);
  proposal_->SetTriggerChars(".");
  proposal_->SetTimerInterval(kListTimer);
  proposal_->SetEndOfTokenChars(std::string(kEndOfTokenChars));
  proposal_->OnExecute = [this](auto kind, const std::string&, int, int, bool& canExecute) {
    ProposalExecute(kind, canExecute);
  };
  proposal_->OnChange = [this] { ShowDescriptionHint(); };
  proposal_->OnClose = [this] {
    descTimer_.stop();
    hintDesc_->Cancel();
  };

  hint_->SetOptions(scoTitleIsCentered | scoUseBuiltInTimer | scoEndCharCompletion);
  hint_->SetEditor(&editor_);
  hint_->SetTriggerChars("( ,$");
  hint_->SetTimerInterval(kHintTimer);
  hintDesc_->SetOptions(scoTitleIsCentered | scoUseBuiltInTimer);
  hintDesc_->SetEditor(&editor_);
  hintDesc_->SetTimerInterval(kHintTimer);
  for (TCompletionProposal* hint : {hint_, hintDesc_}) {
    hint->OnExecute = [this](auto kind, const std::string& text, int, int, bool& canExecute) {
      HintExecute(kind, text, canExecute);
    };
  }

  descTimer_.setSingleShot(true);
  descTimer_.setInterval(kDescriptionDelay);
  connect(&descTimer_, &QTimer::timeout, this, [this] { ShowDescriptionHint(); });

  jsHelper_->resize(kPopupWidth, jsHelper_->height());
  jsHelper_->SetEditor(&editor_);
  editor_.CompletionProposal = [this] {
    Prepare();
    proposal_->Activate();
  };
  editor_.JSHelper = [this] {
    Prepare();
    jsHelper_->Activate();
  };
}

TPageCompletion::~TPageCompletion() {
  RemoveEditorKeyClient(&editor_, this);
  autoCorrect_.Attach(nullptr);
  editor_.Model().SetAutoComplete(nullptr);
  editor_.CompletionProposal = nullptr;
  editor_.JSHelper = nullptr;
  delete jsHelper_;
}

void TPageCompletion::Prepare() {
  if (!page_.Lists || page_.Lists == lists_) return;
  lists_ = page_.Lists;
  templates_.SetLines(lists_->AutoCompleteList);
  editor_.Model().SetAutoComplete(&templates_);
  autoCorrect_.SetItems(lists_->AutoCorrectList, '|');
  autoCorrect_.SetOptions(ascoIgnoreCase | ascoMaintainCase);
  autoCorrect_.SetCorrectsAt([this](TBufferPos wordStart) {
    const THighlighterAttribute* attribute = nullptr;
    editor_.GetHighlighterAttriAtRowCol(wordStart, attribute);
    return IsProseText(editor_.Highlighter(), attribute);
  });
  autoCorrect_.Attach(&editor_.Model());
  jsHelper_->SetModel(lists_->JSObjects);
  lastHinted_ = -1;
}

// A JavaScript document, or a script in a page coloured by the multi highlighter.
bool TPageCompletion::InJavaScript() const {
  THighlighter* highlighter = editor_.Highlighter();
  if (!highlighter) return false;
  if (highlighter->LanguageName() == kJavaScript) return true;
  auto* multi = dynamic_cast<TMultiHighlighter*>(highlighter);
  if (!multi) return false;
  const TBufferPos caret = editor_.CaretXY();
  const THighlighterAttribute* attribute = nullptr;
  if (!editor_.GetHighlighterAttriAtRowCol({std::max(1, caret.Column - 1), caret.Line}, attribute))
    return false;
  for (const TMultiScheme& scheme : multi->Schemes()) {
    if (!scheme.highlighter || scheme.highlighter->LanguageName() != kJavaScript) continue;
    const auto attributes = scheme.highlighter->Attributes();
    if (std::find(attributes.begin(), attributes.end(), attribute) != attributes.end()) return true;
  }
  return false;
}

// The function list shows the functions, or after "->" and "::" the parts of the expression.
void TPageCompletion::ProposalExecute(TCompletionProposal::TKind, bool& canExecute) {
  Prepare();
  if (!lists_) {
    canExecute = false;
    return;
  }
  if (InJavaScript()) {  // the "." of a script opens the member popup instead
    canExecute = false;
    if (!jsHelper_->isVisible()) jsHelper_->Activate();
    return;
  }
  const std::vector<std::string> parts = MemberParts(editor_.IdentifierAtCaret(true));
  if (parts.size() < 2) {
    proposal_->SetInsertList(TSharedLines(lists_, &lists_->LookupList));
    proposal_->SetItemList(TSharedLines(lists_, &lists_->FunctionList));
  } else {
    proposal_->SetInsertList(parts);
    proposal_->SetItemList(parts);
  }
  descTimer_.start();
}

void TPageCompletion::HintExecute(TCompletionProposal::TKind kind, const std::string& text,
                                  bool& canExecute) {
  Prepare();
  canExecute = false;
  if (!lists_) return;
  if (kind == TCompletionProposal::TKind::Hint) {
    const int index = lists_->Lookup.Find(text);
    if (index < 0 || static_cast<std::size_t>(index) >= lists_->FullList.size()) return;
    const auto [signature, description] = DescriptionLines(lists_->FullList[index]);
    hintDesc_->SetItems({signature, description});
    canExecute = true;
    return;
  }
  const std::string line = editor_.LineText();
  const std::size_t caret = std::min(ByteOfColumn(line, editor_.CaretX()), line.size());
  const THintScan scan = ScanForFunction(line, caret, lists_->Lookup);
  if (!scan.Found || static_cast<std::size_t>(scan.Index) >= lists_->ParamList.size()) return;
  if (scan.Index != lastHinted_ || !hint_->Active()) {
    hint_->SetItems({lists_->ParamList[scan.Index]});
    lastHinted_ = scan.Index;
  }
  hint_->SetCurrentIndex(scan.Commas);
  canExecute = true;
}

void TPageCompletion::ShowDescriptionHint() {
  descTimer_.stop();
  hintDesc_->Cancel();
  if (!proposal_->Active() || !lists_) return;
  const int row = proposal_->SelectedIndex();
  if (row < 0) return;
  const std::string text = proposal_->ListItems().InsertText(static_cast<std::size_t>(row));
  // The hint's size first, for the placement above the list.
  bool found = false;
  HintExecute(TCompletionProposal::TKind::Hint, text, found);
  if (!found) return;
  const QRect list = proposal_->Window()->geometry();
  const QRect editor(editor_.mapToGlobal(QPoint(0, 0)), editor_.size());
  const TScreenPoint at =
      DescriptionHintPos({list.left(), list.top(), list.width(), list.height()},
                         {editor.left(), editor.top(), editor.width(), editor.height()},
                         hintDesc_->Window()->height());
  hintDesc_->ExecuteAt(at.X, at.Y, text);
}

}  // namespace tervil
