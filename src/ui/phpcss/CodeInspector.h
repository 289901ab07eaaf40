#pragma once

// The "PHP Code Inspector" tool window: the structure of a PHP document as a tree of classes
// (with their fields and methods in groups) and global functions, the description of the
// selected element below it. Each refresh updates the tree in place, so the nodes of elements
// that still exist keep their expansion state.

#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string_view>

#include "core/app/ResourceStrings.h"
#include "core/phpcss/PhpAnalyser.h"
#include "core/phpcss/PhpAnalysisWorker.h"

class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace tervil {

class TCodeInspector : public QWidget {
  Q_OBJECT
 public:
  // What a node stands for (item data role NodeKindRole).
  enum TNodeKind { nkClass, nkFunction, nkGroup, nkField, nkMethod };
  static constexpr int ElementRole = Qt::UserRole;  // the element (TPHPStruct*), none for groups
  static constexpr int NodeKindRole = Qt::UserRole + 1;
  static constexpr int ImageRole = Qt::UserRole + 2;    // the node image (TPhpNodeImage)
  static constexpr int OverlayRole = Qt::UserRole + 3;  // true: the static overlay
  static constexpr int StateRole = Qt::UserRole + 4;    // the state mark (TPhpNodeState)

  // `iconDir` holds the node images (data/icons beside the program).
  explicit TCodeInspector(const QString& iconDir, QWidget* parent = nullptr);
  ~TCodeInspector() override;

  // Analyses the text and updates the tree.
  void RefreshFromText(std::string_view text);
  // Analyses `text`, the text of `document`, on a worker thread and updates the tree with the
  // result on the window thread; the window is not held up meanwhile. A newer request abandons
  // this one. When the result is there, `unchanged` is asked whether the document still holds
  // that text: if not, the result is dropped and AnalysisOutdated is signalled.
  void RequestRefresh(std::string text, QObject* document, std::function<bool()> unchanged);
  // Whether a requested analysis has not been shown yet.
  bool Analysing() const { return pendingRequest_ != 0; }
  // The document the tree shows (none before the first requested analysis, or when it was
  // closed), and the one it is about to show.
  QObject* TreeDocument() const { return treeDocument_; }
  QObject* RequestedDocument() const { return Analysing() ? requestedDocument_ : treeDocument_; }
  // Empties the description box.
  void ClearDescription();

  QTreeWidget* TreeView() const { return treeView_; }
  QPlainTextEdit* Memo() const { return memo_; }
  const TPHPAnalyser& Analyser() const { return *analyser_; }
  static const TPHPStruct* ElementOf(const QTreeWidgetItem* item);

  // Whether the main window has an active editor page; selection and double-click act only then.
  std::function<bool()> HasActivePage;

 signals:
  // A double click on a node that stands for an element asks to move the caret to its start.
  void NavigateRequested(int startPos);
  // A requested analysis is shown in the tree.
  void Refreshed();
  // The document changed while it was analysed; its result was dropped.
  void AnalysisOutdated(QObject* document);

 private:
  template <typename Member, typename Caption, typename Decorate>
  void UpdateGroup(QTreeWidgetItem* classNode, const QString& caption,
                   const std::vector<std::unique_ptr<Member>>& members, TNodeKind kind,
                   Caption captionOf, Decorate decorate);
  void SetNode(QTreeWidgetItem* node, const QString& caption, const TPHPStruct* element,
               TNodeKind kind, int image, bool overlay, int state);
  void ResultArrived(TPHPAnalyser& result, std::uint64_t request);
  void Apply(std::unique_ptr<TPHPAnalyser> fresh);
  void Sweep(const TPHPAnalyser& previous);
  void ShowDescription(QTreeWidgetItem* item);
  void NodeDoubleClicked(QTreeWidgetItem* item);
  QIcon NodeIcon(int image, bool overlay, int state);
  QString Message(const char* key) const;

  QTreeWidget* treeView_;
  QPlainTextEdit* memo_;
  TResourceStrings ResourceStrings1;
  std::unique_ptr<TPHPAnalyser> analyser_;
  QString iconDir_;
  QHash<int, QIcon> icons_;  // composed images by image, overlay and state
  QPointer<QObject> treeDocument_;
  QPointer<QObject> requestedDocument_;
  std::uint64_t pendingRequest_ = 0;  // the request whose result is awaited, 0 for none
  std::function<bool()> unchanged_;
  // Last member: its thread ends before the rest of the window goes.
  std::unique_ptr<TPhpAnalysisWorker> worker_;
};

}  // namespace tervil
