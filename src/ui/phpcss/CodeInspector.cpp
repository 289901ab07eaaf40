// The PHP code inspector: the tree, its in-place refresh, the description and navigation.

#include "ui/phpcss/CodeInspector.h"

#include <QHeaderView>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSet>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/phpcss/PhpInspectorText.h"

namespace tervil {
namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The image files by TPhpNodeImage, and the state marks by TPhpNodeState.
const char* const kImageFiles[] = {"php-private.svg",   "php-protected.svg",      "php-public.svg",
                                   "php-interface.svg", "php-abstract-class.svg", "php-static.svg",
                                   "php-class.svg",     "php-function.svg"};
const char* const kStateFiles[] = {nullptr, "php-state-final.svg", "php-state-abstract.svg"};

void ExpandAll(QTreeWidgetItem* node) {
  node->setExpanded(true);
  for (int i = 0; i < node->childCount(); ++i) ExpandAll(node->child(i));
}

int KindOf(const QTreeWidgetItem* node) {
  return node->data(0, TCodeInspector::NodeKindRole).toInt();
}

}  // namespace

TCodeInspector::TCodeInspector(const QString& iconDir, QWidget* parent)
    : QWidget(parent),
      treeView_(new QTreeWidget(this)),
      memo_(new QPlainTextEdit(this)),
      ResourceStrings1(CodeInspectorMessages()),
      analyser_(std::make_unique<TPHPAnalyser>()),
      iconDir_(iconDir) {
  setWindowTitle(tr("PHP Code Inspector"));
  treeView_->setObjectName("TreeView");
  treeView_->setHeaderHidden(true);
  treeView_->setColumnCount(1);
  treeView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  treeView_->setSortingEnabled(false);
  treeView_->setExpandsOnDoubleClick(false);
  // Long captions widen the column and bring a horizontal scroll bar rather than being cut.
  treeView_->header()->setStretchLastSection(false);
  treeView_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  memo_->setObjectName("Memo");
  memo_->setReadOnly(true);
  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(treeView_);
  splitter->addWidget(memo_);
  splitter->setStretchFactor(0, 4);
  splitter->setStretchFactor(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);

  connect(treeView_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { ShowDescription(item); });
  connect(treeView_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { ShowDescription(item); });
  connect(treeView_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { NodeDoubleClicked(item); });
}

TCodeInspector::~TCodeInspector() = default;

QString TCodeInspector::Message(const char* key) const {
  return Q(ResourceStrings1.Lookup(key));
}

const TPHPStruct* TCodeInspector::ElementOf(const QTreeWidgetItem* item) {
  if (!item) return nullptr;
  return reinterpret_cast<const TPHPStruct*>(item->data(0, ElementRole).value<quintptr>());
}

void TCodeInspector::RefreshFromText(std::string_view text) {
  auto fresh = std::make_unique<TPHPAnalyser>();
  fresh->Analyse(text);
  Apply(std::move(fresh));
}

void TCodeInspector::RequestRefresh(std::string text, QObject* document,
                                    std::function<bool()> unchanged) {
  if (!worker_) worker_ = std::make_unique<TPhpAnalysisWorker>();
  requestedDocument_ = document;
  unchanged_ = std::move(unchanged);
  pendingRequest_ = worker_->Start(std::move(text), [this](std::unique_ptr<TPHPAnalyser> result,
                                                           std::uint64_t request) {
    // On the worker's thread, which ends before the window does: the window thread takes
    // the result over.
    std::shared_ptr<TPHPAnalyser> shared(std::move(result));
    QMetaObject::invokeMethod(
        this, [this, shared, request] { ResultArrived(*shared, request); }, Qt::QueuedConnection);
  });
}

void TCodeInspector::ResultArrived(TPHPAnalyser& result, std::uint64_t request) {
  if (request != pendingRequest_) return;  // a newer request came meanwhile
  pendingRequest_ = 0;
  if (unchanged_ && !unchanged_()) {
    emit AnalysisOutdated(requestedDocument_);
    return;
  }
  auto fresh = std::make_unique<TPHPAnalyser>(std::move(result));
  treeDocument_ = requestedDocument_;
  Apply(std::move(fresh));
  emit Refreshed();
}

void TCodeInspector::ClearDescription() {
  memo_->clear();
}

// Shows the analysis in the tree, updating the nodes in place.
void TCodeInspector::Apply(std::unique_ptr<TPHPAnalyser> fresh) {
  treeView_->setUpdatesEnabled(false);
  // Sized to its contents once at the end: sized after each change, a tree docked in the main
  // window measured every caption again for every node it updated.
  treeView_->header()->setSectionResizeMode(QHeaderView::Interactive);

  // Classes and functions keep the first root node of their kind and name, in display order.
  QHash<QString, QTreeWidgetItem*> classNodes;
  QHash<QString, QTreeWidgetItem*> functionNodes;
  for (int i = 0; i < treeView_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* node = treeView_->topLevelItem(i);
    const TPHPStruct* element = ElementOf(node);
    if (!element) continue;
    auto& nodes = KindOf(node) == nkClass ? classNodes : functionNodes;
    if (!nodes.contains(Q(element->Name))) nodes.insert(Q(element->Name), node);
  }

  for (const auto& cls : fresh->Classes) {
    QTreeWidgetItem* node = classNodes.value(Q(cls->Name));
    const bool added = node == nullptr;
    if (added) node = new QTreeWidgetItem(treeView_);
    SetNode(node, Q(PhpClassCaption(*cls)), cls.get(), nkClass, PhpClassImage(*cls), false, psNone);
    if (!cls->Fields.empty()) {
      UpdateGroup(node, Message("Fields"), cls->Fields, nkField, PhpFieldCaption,
                  [](const TPHPField& field, int& image, bool& overlay, int&) {
                    image = field.Visibility;
                    overlay = field.IsStatic;
                  });
    }
    if (!cls->Methods.empty()) {
      UpdateGroup(node, Message("Methods"), cls->Methods, nkMethod, PhpMethodCaption,
                  [](const TPHPMethod& method, int& image, bool& overlay, int& state) {
                    image = method.Visibility;
                    overlay = method.IsStatic;
                    state = PhpMethodState(method);
                  });
    }
    if (added) ExpandAll(node);
  }

  for (const auto& function : fresh->Functions) {
    QTreeWidgetItem* node = functionNodes.value(Q(function->Name));
    if (!node) node = new QTreeWidgetItem(treeView_);
    SetNode(node, Q(PhpMethodCaption(*function)), function.get(), nkFunction, piFunction, false,
            psNone);
  }

  Sweep(*analyser_);
  treeView_->sortItems(0, Qt::AscendingOrder);
  analyser_ = std::move(fresh);
  treeView_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  treeView_->setUpdatesEnabled(true);
  treeView_->viewport()->update();
  // The description box follows the selected element into the new analysis; it is emptied when
  // that element is gone.
  QTreeWidgetItem* current = treeView_->currentItem();
  if (!current) {
    memo_->clear();
  } else if (ElementOf(current)) {
    ShowDescription(current);
  }
}

// Finds or adds the group node of the caption under the class node, then updates or adds a
// child for each member, matched by name.
template <typename Member, typename Caption, typename Decorate>
void TCodeInspector::UpdateGroup(QTreeWidgetItem* classNode, const QString& caption,
                                 const std::vector<std::unique_ptr<Member>>& members,
                                 TNodeKind kind, Caption captionOf, Decorate decorate) {
  QTreeWidgetItem* group = nullptr;
  for (int i = 0; i < classNode->childCount() && !group; ++i) {
    QTreeWidgetItem* child = classNode->child(i);
    if (KindOf(child) == nkGroup && child->text(0) == caption) group = child;
  }
  if (!group) {
    group = new QTreeWidgetItem(classNode);
    SetNode(group, caption, nullptr, nkGroup, piClass, false, psNone);
  }
  QHash<QString, QTreeWidgetItem*> byName;
  for (int i = 0; i < group->childCount(); ++i) {
    QTreeWidgetItem* child = group->child(i);
    const TPHPStruct* element = ElementOf(child);
    const QString name = element ? Q(element->Name) : child->text(0);
    if (!byName.contains(name)) byName.insert(name, child);
  }
  for (const auto& member : members) {
    QTreeWidgetItem*& node = byName[Q(member->Name)];
    if (!node) node = new QTreeWidgetItem(group);
    int image = piPublic;
    bool overlay = false;
    int state = psNone;
    decorate(*member, image, overlay, state);
    SetNode(node, Q(captionOf(*member)), member.get(), kind, image, overlay, state);
  }
}

// Sets only what differs: every change of an item makes the tree measure it again.
void TCodeInspector::SetNode(QTreeWidgetItem* node, const QString& caption,
                             const TPHPStruct* element, TNodeKind kind, int image, bool overlay,
                             int state) {
  if (node->text(0) != caption) {
    node->setText(0, caption);
    node->setToolTip(0, caption);  // the whole caption where the column cuts it
  }
  node->setData(0, ElementRole, QVariant::fromValue(reinterpret_cast<quintptr>(element)));
  const auto set = [node](int role, const QVariant& value) {
    if (node->data(0, role) == value) return false;
    node->setData(0, role, value);
    return true;
  };
  set(NodeKindRole, kind);
  bool look = set(ImageRole, image);
  look = set(OverlayRole, overlay) || look;
  look = set(StateRole, state) || look;
  if (look) node->setIcon(0, NodeIcon(image, overlay, state));
}

// Deletes every node that still stands for an element of the previous analysis, with its
// subtree.
void TCodeInspector::Sweep(const TPHPAnalyser& previous) {
  QSet<quintptr> old;
  for (const auto& cls : previous.Classes) {
    for (const auto& field : cls->Fields) old.insert(reinterpret_cast<quintptr>(field.get()));
    for (const auto& method : cls->Methods) old.insert(reinterpret_cast<quintptr>(method.get()));
    old.insert(reinterpret_cast<quintptr>(static_cast<const TPHPStruct*>(cls.get())));
  }
  for (const auto& function : previous.Functions)
    old.insert(reinterpret_cast<quintptr>(static_cast<const TPHPStruct*>(function.get())));
  if (old.isEmpty()) return;
  QList<QTreeWidgetItem*> doomed;
  QList<QTreeWidgetItem*> pending;
  for (int i = 0; i < treeView_->topLevelItemCount(); ++i) pending << treeView_->topLevelItem(i);
  while (!pending.isEmpty()) {
    QTreeWidgetItem* node = pending.takeLast();
    if (old.contains(node->data(0, ElementRole).value<quintptr>())) {
      doomed << node;  // its subtree goes with it
      continue;
    }
    for (int i = 0; i < node->childCount(); ++i) pending << node->child(i);
  }
  qDeleteAll(doomed);
}

void TCodeInspector::ShowDescription(QTreeWidgetItem* item) {
  const TPHPStruct* element = ElementOf(item);
  if (element && HasActivePage && HasActivePage()) memo_->setPlainText(Q(element->Description));
}

void TCodeInspector::NodeDoubleClicked(QTreeWidgetItem* item) {
  const TPHPStruct* element = ElementOf(item);
  if (element && HasActivePage && HasActivePage()) emit NavigateRequested(element->StartPos);
}

// The node image with the static overlay in its upper right corner and the state mark in its
// lower left corner.
QIcon TCodeInspector::NodeIcon(int image, bool overlay, int state) {
  const int key = image * 16 + (overlay ? 8 : 0) + state;
  if (const auto found = icons_.constFind(key); found != icons_.constEnd()) return *found;
  const auto load = [this](const char* file) { return QIcon(iconDir_ + "/" + file); };
  QIcon composed;
  for (const int size : {16, 32}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    load(kImageFiles[image]).paint(&painter, pixmap.rect());
    if (overlay) load(kImageFiles[piStaticOverlay]).paint(&painter, pixmap.rect());
    if (state > psNone) load(kStateFiles[state]).paint(&painter, pixmap.rect());
    painter.end();
    composed.addPixmap(pixmap);
  }
  icons_.insert(key, composed);
  return composed;
}

}  // namespace tervil
