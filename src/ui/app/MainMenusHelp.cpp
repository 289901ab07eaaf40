// The Help menu (About, the online page) and context help on the word at the caret.
#include <QAction>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "core/app/CommandLine.h"
#include "core/app/ShellCommands.h"
#include "core/app/UpdateCheck.h"
#include "ui/app/MainForm.h"
#include "ui/app/MenuLookup.h"
#include "ui/documents/TvlPage.h"

namespace tervil {

namespace {

// The maker's site: the address the update check asks too (a root value, no default).
QString MakerSite(const TSettingsStore& store) {
  try {
    if (store.ValueExists(kRootKey, kUpdateServerValue))
      return QString::fromStdString(store.ReadString(kRootKey, kUpdateServerValue));
  } catch (const std::exception&) {
    // A value of the wrong type counts as none.
  }
  return {};
}

// The home page as a link: blue, red while the mouse is over it.
class TLinkLabel : public QLabel {
 public:
  TLinkLabel(const QString& address, QWidget* parent) : QLabel(parent), address_(address) {
    setObjectName("HomePageLink");
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    setOpenExternalLinks(false);
    setCursor(Qt::PointingHandCursor);
    Paint(false);
    connect(this, &QLabel::linkActivated, this,
            [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
  }

 protected:
  void enterEvent(QEnterEvent* event) override {
    Paint(true);
    QLabel::enterEvent(event);
  }
  void leaveEvent(QEvent* event) override {
    Paint(false);
    QLabel::leaveEvent(event);
  }

 private:
  void Paint(bool hot) {
    setText(QStringLiteral("<a href=\"%1\" style=\"color:%2\">%1</a>")
                .arg(address_.toHtmlEscaped(), hot ? "red" : "blue"));
  }
  QString address_;
};

}  // namespace

void TTervilMain::CreateHelpActions() {
  actAbout = new QAction(QIcon::fromTheme("help-about"), tr("About"), this);
  actAbout->setObjectName("actAbout");
  actAbout->setStatusTip(tr("Show the program's version"));
  connect(actAbout, &QAction::triggered, this, &TTervilMain::ShowAbout);
  actOnline =
      new QAction(QIcon::fromTheme("internet-web-browser"), tr("Tervil Editor Online"), this);
  actOnline->setObjectName("actOnline");
  actOnline->setStatusTip(tr("Open the program's page on the web"));
  connect(actOnline, &QAction::triggered, this, [this] {
    const QString address = OnlineAddress();
    if (!address.isEmpty()) QDesktopServices::openUrl(QUrl(address));
  });
  actContextHelp = new QAction(QIcon::fromTheme("help-contents"), tr("Help"), this);
  actContextHelp->setObjectName("actContextHelp");
  actContextHelp->setShortcut(QKeySequence(Qt::Key_F1));
  actContextHelp->setStatusTip(tr("Open the PHP manual's page of the word at the caret"));
  connect(actContextHelp, &QAction::triggered, this, &TTervilMain::ContextHelp);
  addAction(actContextHelp);

  helpMenu_ = MenuNamed(menuBar(), tr("&Help"), QString());
  helpMenu_->addActions({actAbout, actOnline});
  connect(helpMenu_, &QMenu::aboutToShow, this, &TTervilMain::UpdateHelpActions);
  UpdateHelpActions();
}

void TTervilMain::UpdateHelpActions() {
  if (actOnline) actOnline->setEnabled(!OnlineAddress().isEmpty());
}

QString TTervilMain::OnlineAddress() const {
  return QString::fromStdString(OnlinePageUrl(MakerSite(store_).toStdString()));
}

void TTervilMain::ShowAbout() {
  QDialog about(this);
  about.setWindowTitle(tr("About"));
  auto* layout = new QVBoxLayout(&about);
  auto* name = new QLabel(Message("AppName"), &about);
  QFont font = name->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.5);
  name->setFont(font);
  layout->addWidget(name);
  auto* version = new QLabel(tr("Version:") + " " + QString::fromLatin1(TervilVersion()), &about);
  version->setObjectName("VersionLabel");
  layout->addWidget(version);
  const QString site = MakerSite(store_);
  if (IsOpenableUpdateUrl(site.toStdString())) layout->addWidget(new TLinkLabel(site, &about));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("Ok"));
  connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
  layout->addWidget(buttons);
  about.exec();
}

// F1: the local PHP manual's page of the word at the caret, opened with the system; nothing
// when there is no page, no word or no manual.
void TTervilMain::ContextHelp() {
  if (!currentPage_) return;
  const QString manual = QDir(dataDir_).filePath("../help/php");
  const std::string page =
      PhpManualPage(QDir::cleanPath(manual).toStdString(), currentPage_->Model().WordAtCaret());
  if (!page.empty()) QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page)));
}

}  // namespace tervil
