#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "core/app/ReferenceData.h"
#include "core/editcomponent/AutoComplete.h"
#include "core/editcomponent/AutoCorrect.h"
#include "ui/editcomponent/CompletionProposal.h"

namespace tervil {

class TJSHelper;
class TTvlEdit;
class TTvlPage;

// The typing aids of one page, fed by the completion lists of its page control: the function
// list (F2, Ctrl+Space, or 2 s after a "."), the parameter hint that follows the parameter under
// the caret, the description hint beside the function list, templates (Shift+Ctrl+Space),
// auto-correction of typed words, and the JavaScript member popup (Ctrl+Space in JavaScript).
// The lists are taken up when the page's Lists are first needed and again whenever they change.
class TPageCompletion : public QObject, public TEditorKeyClient {
  Q_OBJECT
 public:
  TPageCompletion(TTvlPage& page, TTvlEdit& editor);
  ~TPageCompletion() override;

  TCompletionProposal& CompletionProposal() { return *proposal_; }
  TCompletionProposal& CompletionHint() { return *hint_; }
  TCompletionProposal& CompletionHintDesc() { return *hintDesc_; }
  TJSHelper& JSHelper() { return *jsHelper_; }
  const TAutoCorrect& AutoCorrect() const { return autoCorrect_; }

  // Takes up the page's lists when they are new.
  void Prepare();

  bool WantsKey(const QKeyEvent&) const override { return false; }
  bool KeyBefore(QKeyEvent&) override {
    Prepare();
    return false;
  }
  void KeyAfter(const QKeyEvent&) override {}
  void EditorLeft() override {}

 private:
  void ProposalExecute(TCompletionProposal::TKind kind, bool& canExecute);
  void HintExecute(TCompletionProposal::TKind kind, const std::string& text, bool& canExecute);
  void ShowDescriptionHint();
  bool InJavaScript() const;

  TTvlPage& page_;
  TTvlEdit& editor_;
  std::shared_ptr<const TCompletionLists> lists_;
  TCompletionProposal* proposal_;
  TCompletionProposal* hint_;
  TCompletionProposal* hintDesc_;
  TJSHelper* jsHelper_;
  QTimer descTimer_;
  TAutoComplete templates_;
  TAutoCorrect autoCorrect_;
  int lastHinted_ = -1;  // the function the parameter hint shows
};

}  // namespace tervil
