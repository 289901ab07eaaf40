#include "ui/options/OptionsForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "core/common/TextFile.h"
#include "core/config/SettingsStore.h"
#include "ui/app/MessageBox.h"
#include "ui/editcomponent/TextEditor.h"
#include "ui/options/ColorBox.h"

namespace tervil {

namespace {

// The sample shown in the preview for each highlighter; General has none and keeps the text.
const char* SampleFile(const std::string& language) {
  static const std::pair<const char*, const char*> kSamples[] = {
      {"PHP", "php.tvd"},       {"HTML", "html.tvd"},       {"Cascading Style Sheet", "css.tvd"},
      {"JavaScript", "js.tvd"}, {"XML", "xml.tvd"},         {"SQL", "sql.tvd"},
      {"Perl", "perl.tvd"},     {"Java", "java.tvd"},       {"C/C++", "cpp.tvd"},
      {"C#", "cs.tvd"},         {"MS VBScript", "vbs.tvd"}, {"Object Pascal", "pascal.tvd"},
  };
  for (const auto& [name, file] : kSamples)
    if (language == name) return file;
  return nullptr;
}

const char* const kSectionIcons[] = {"preferences-system", "accessories-text-editor",
                                     "preferences-desktop-color", "applications-other",
                                     "document-properties"};

QStringList Sorted(const std::vector<std::string>& names) {
  QStringList list;
  for (const std::string& name : names) list << QString::fromStdString(name);
  list.sort(Qt::CaseInsensitive);
  return list;
}

}  // namespace

TOptionsForm::TOptionsForm(TOptionsHost host, QWidget* parent)
    : QDialog(parent), host_(std::move(host)), messages_(OptionsDialogMessages()) {
  setObjectName("OptionsForm");
  setWindowTitle(tr("Options"));
  savedColours_.Take([this] {
    std::vector<THighlighter*> list;
    for (const auto& entry : host_.highlighters) list.push_back(entry.second);
    return list;
  }());

  auto* layout = new QVBoxLayout(this);
  auto* body = new QHBoxLayout;
  sections_ = new QListWidget;
  sections_->setObjectName("Sections");
  sections_->setIconSize(QSize(24, 24));
  pages_ = new QStackedWidget;
  const std::vector<QWidget*> pages = {CreateEnvironmentSection(), CreateEditorSection(),
                                       CreateSyntaxSection(), CreateApplicationsSection(),
                                       CreateConfigurationsSection()};
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const std::string key = std::to_string(i);
    sections_->addItem(new QListWidgetItem(QIcon::fromTheme(kSectionIcons[i]), Text(key.c_str())));
    pages_->addWidget(pages[i]);
  }
  sections_->setFixedWidth(sections_->sizeHintForColumn(0) + 2 * sections_->frameWidth() + 8);
  body->addWidget(sections_);
  body->addWidget(pages_, 1);
  layout->addLayout(body, 1);
  CreateBottomRow(layout);
  connect(sections_, &QListWidget::currentRowChanged, pages_, &QStackedWidget::setCurrentIndex);

  // Extensions from the data folder; the highlighter list shows its first entry.
  std::string text;
  if (ReadFileBytes((host_.dataDir + "/extensions.tvd").toStdString(), text, nullptr))
    extensions_ = ParseExtensionList(text);
  ShowSection(0);
  if (highlighter_->count() > 0) ChooseHighlighter(0);
  Fill();

  // Fits a small screen: at most the available area, scroll areas take up the rest.
  resize(900, 660);
  if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
    const QSize room = screen->availableGeometry().size() - QSize(40, 60);
    resize(size().boundedTo(room));
  }
  sections_->setFocus();
}

TOptionsForm::~TOptionsForm() = default;

QString TOptionsForm::Text(const char* key) const {
  return QString::fromStdString(messages_.Lookup(key));
}

void TOptionsForm::Notice(const char* key) {
  TMessageBox::Show(this, windowTitle(), host_.message(key), mbOK, TMsgIcon::Information);
}

void TOptionsForm::ShowSection(int index) {
  sections_->setCurrentRow(index);
  pages_->setCurrentIndex(index);
}

int TOptionsForm::SectionCount() const {
  return pages_->count();
}

// ---------------------------------------------------------------- fill and read

void TOptionsForm::Fill() {
  filling_ = true;
  SetValues(FillOptions(*host_.config));
  FillConfigNames();
  FillExtensions();
  filling_ = false;
}

void TOptionsForm::SetValues(const TOptionsValues& v) {
  autosave_->setChecked(v.autosave);
  autosaveInterval_->setValue(v.autosaveMinutes);
  autosaveBackup_->setChecked(v.autosaveBackup);
  defaultEncoding_->setCurrentIndex(
      std::max(0, defaultEncoding_->findData(QString::fromStdString(v.defaultEncoding))));
  encodingFilter_->setText(QString::fromStdString(v.encodingFilter));
  supportedExtensions_->setText(QString::fromStdString(v.supportedExtensions));
  reopenFiles_->setCurrentIndex(v.reopenFiles);
  unixEol_->setChecked(v.unixEol);
  autoDetectEol_->setChecked(v.autoDetectEol);
  checkVersion_->setChecked(v.checkVersion);
  multipleInstances_->setChecked(v.multipleInstances);
  showHiddenFiles_->setChecked(v.showHiddenFiles);
  userCodes_ = TUserCodeEditor(v.userCodes);
  FillUserCodes();

  tabWidth_->setValue(v.tabWidth);
  whitespace_->setCurrentIndex(v.whitespace);
  autoIndent_->setChecked(v.autoIndent);
  continueLists_->setChecked(v.continueLists);
  autoClose_->setChecked(v.autoClose);
  tabCloseButton_->setChecked(v.tabCloseButton);
  enhanceHomeKey_->setChecked(v.enhanceHomeKey);
  smartTabs_->setChecked(v.smartTabs);
  variableColor_->SetColor(v.variableColor);
  bracketColor_->SetColor(v.bracketColor);
  activeLineColor_->SetColor(v.activeLineColor);
  rightEdgeColor_->SetColor(v.rightEdgeColor);
  editorBackground_->SetColor(v.editorBackground);
  rightEdge_->setValue(v.rightEdge);
  fontSize_->setValue(v.fontSize);
  fontName_->setCurrentFont(QFont(v.fontName.empty()
                                      ? QFontDatabase::systemFont(QFontDatabase::FixedFont).family()
                                      : QString::fromStdString(v.fontName)));
  shownFontName_ = fontName_->currentFont().family();
  gutter_->setChecked(v.gutter);

  phpPath_->setText(QString::fromStdString(v.phpPath));
  SetApplicationRows(v.applications);
  defaultApplication_->setCurrentIndex(
      std::max(0, defaultApplication_->findText(QString::fromStdString(v.defaultApplication))));
}

TOptionsValues TOptionsForm::Values() const {
  TOptionsValues v;
  v.autosave = autosave_->isChecked();
  v.autosaveMinutes = autosaveInterval_->value();
  v.autosaveBackup = autosaveBackup_->isChecked();
  v.defaultEncoding = defaultEncoding_->currentData().toString().toStdString();
  v.encodingFilter = encodingFilter_->text().toStdString();
  v.supportedExtensions = supportedExtensions_->text().toStdString();
  v.reopenFiles = reopenFiles_->currentIndex();
  v.unixEol = unixEol_->isChecked();
  v.autoDetectEol = autoDetectEol_->isChecked();
  v.checkVersion = checkVersion_->isChecked();
  v.multipleInstances = multipleInstances_->isChecked();
  v.showHiddenFiles = showHiddenFiles_->isChecked();
  v.userCodes = userCodes_.Codes();

  v.tabWidth = tabWidth_->value();
  v.whitespace = whitespace_->currentIndex();
  v.autoIndent = autoIndent_->isChecked();
  v.continueLists = continueLists_->isChecked();
  v.autoClose = autoClose_->isChecked();
  v.tabCloseButton = tabCloseButton_->isChecked();
  v.enhanceHomeKey = enhanceHomeKey_->isChecked();
  v.smartTabs = smartTabs_->isChecked();
  v.variableColor = variableColor_->Color();
  v.bracketColor = bracketColor_->Color();
  v.activeLineColor = activeLineColor_->Color();
  v.rightEdgeColor = rightEdgeColor_->Color();
  v.editorBackground = editorBackground_->Color();
  v.rightEdge = rightEdge_->value();
  v.fontSize = fontSize_->value();
  // The family stays as stored (empty included) until the user chooses another one.
  const QString family = fontName_->currentFont().family();
  v.fontName =
      family == shownFontName_ ? FillOptions(*host_.config).fontName : family.toStdString();
  v.gutter = gutter_->isChecked();

  v.phpPath = phpPath_->text().toStdString();
  v.applications = ApplicationRowsShown();
  v.defaultApplication = defaultApplication_->currentText().toStdString();
  return v;
}

void TOptionsForm::FillConfigNames() {
  const QStringList names = Sorted(host_.config->ConfigNames);
  const QString active = QString::fromStdString(host_.config->ConfigName);
  configList_->clear();
  configList_->addItems(names);
  currentConfig_->clear();
  currentConfig_->addItems(names);
  currentConfig_->setCurrentIndex(currentConfig_->findText(active));
}

void TOptionsForm::FillExtensions() {
  std::vector<TExtensionCheck> checks;
  if (host_.association) {
    try {
      checks = ReadExtensionChecks(host_.association(), extensions_);
    } catch (const std::exception&) {
      // An unreadable association list shows every extension unchecked.
    }
  }
  extensionList_->clear();
  for (std::size_t i = 0; i < extensions_.size(); ++i) {
    auto* item = new QListWidgetItem(QString::fromStdString(extensions_[i]), extensionList_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(i < checks.size() && checks[i].checked ? Qt::Checked : Qt::Unchecked);
  }
}

// ---------------------------------------------------------------- user codes

void TOptionsForm::FillUserCodes() {
  const bool wasFilling = filling_;
  filling_ = true;
  userCodeList_->clear();
  for (const TUserCode& code : userCodes_.Codes())
    new QTreeWidgetItem(userCodeList_,
                        {QString::fromStdString(code.caption), QString::fromStdString(code.before),
                         QString::fromStdString(code.after)});
  filling_ = wasFilling;
  ShowUserCodeEditor();
}

void TOptionsForm::ShowUserCodeEditor() {
  const auto set = [](QLineEdit* edit, const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (edit->text() != value) edit->setText(value);
  };
  set(codeCaption_, userCodes_.Caption());
  set(codeBefore_, userCodes_.Before());
  set(codeAfter_, userCodes_.After());
  switch (userCodes_.Button()) {
    case TUserCodeEditor::TButton::Add:
      codeButton_->setText(Text("AddCode"));
      break;
    case TUserCodeEditor::TButton::Update:
      codeButton_->setText(Text("UpdateCode"));
      break;
    case TUserCodeEditor::TButton::Delete:
      codeButton_->setText(Text("DeleteCode"));
      break;
  }
  if (userCodes_.Selected() < 0 && !userCodeList_->selectedItems().isEmpty()) {
    const bool wasFilling = filling_;
    filling_ = true;
    userCodeList_->clearSelection();
    filling_ = wasFilling;
  }
}

bool TOptionsForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == userCodeList_ && key == Qt::Key_Delete) {
      userCodes_.DeleteSelected();
      FillUserCodes();
      return true;
    }
    if (watched == configName_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
      CreateConfig();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- applications

std::vector<TApplicationRow> TOptionsForm::ApplicationRowsShown() const {
  std::vector<TApplicationRow> rows;
  for (int row = 0; row < applications_->rowCount(); ++row) {
    const QTableWidgetItem* name = applications_->item(row, 0);
    const QTableWidgetItem* command = applications_->item(row, 1);
    rows.push_back({name ? name->text().toStdString() : std::string(),
                    command ? command->text().toStdString() : std::string()});
  }
  return rows;
}

void TOptionsForm::SetApplicationRows(const std::vector<TApplicationRow>& rows) {
  const QSignalBlocker block(applications_);
  applications_->setRowCount(0);
  for (const TApplicationRow& row : rows) {
    const int at = applications_->rowCount();
    applications_->insertRow(at);
    applications_->setItem(at, 0, new QTableWidgetItem(QString::fromStdString(row.name)));
    applications_->setItem(at, 1, new QTableWidgetItem(QString::fromStdString(row.command)));
  }
  RebuildDefaultApplications();
}

// Names stay unique: a name another row has already goes back to what it was.
void TOptionsForm::ApplicationNameEdited(int row, int column) {
  if (column != 0) return;
  QTableWidgetItem* item = applications_->item(row, 0);
  if (!item) return;
  const std::string name = item->text().trimmed().toStdString();
  if (!name.empty() && ApplicationNameTaken(ApplicationRowsShown(), row, name)) {
    const QSignalBlocker block(applications_);
    item->setText(item->data(Qt::UserRole).toString());
    TMessageBox::Show(
        this, windowTitle(),
        tr("An application named \"%1\" is in the list already.").arg(QString::fromStdString(name)),
        mbOK, TMsgIcon::Information);
  } else {
    const QSignalBlocker block(applications_);
    item->setData(Qt::UserRole, item->text());
  }
  RebuildDefaultApplications();
}

void TOptionsForm::RebuildDefaultApplications() {
  std::vector<TApplicationRow> rows = ApplicationRowsShown();
  // Remember each row's accepted name, which an edit that duplicates another falls back to.
  for (int row = 0; row < applications_->rowCount(); ++row)
    if (QTableWidgetItem* item = applications_->item(row, 0);
        item && !item->data(Qt::UserRole).isValid()) {
      const QSignalBlocker block(applications_);
      item->setData(Qt::UserRole, item->text());
    }
  const std::vector<std::string> names = DefaultApplicationNames(host_.config->PhpPath, rows);
  const int index = DefaultApplicationIndex(names, defaultApplication_->currentText().toStdString(),
                                            defaultApplication_->currentIndex());
  defaultApplication_->clear();
  for (const std::string& name : names) defaultApplication_->addItem(QString::fromStdString(name));
  defaultApplication_->setCurrentIndex(index);
}

void TOptionsForm::BrowseInto(QLineEdit* edit) {
  const QString start = QString::fromStdString(UnquotedPath(edit->text().toStdString()));
  const QString chosen =
      QFileDialog::getOpenFileName(this, tr("Select File"), start, tr("All Files (*)"));
  if (chosen.isEmpty() || !QFileInfo(chosen).isFile()) return;
  edit->setText(QString::fromStdString(QuotedPath(chosen.toStdString())));
}

// The chosen program becomes an application row of its own, which the list then selects.
void TOptionsForm::BrowseDefaultApplication() {
  const QString chosen =
      QFileDialog::getOpenFileName(this, tr("Select File"), QString(), tr("All Files (*)"));
  if (chosen.isEmpty() || !QFileInfo(chosen).isFile()) return;
  const std::vector<TApplicationRow> rows = ApplicationRowsShown();
  QString name = QFileInfo(chosen).fileName();
  for (int n = 2; ApplicationNameTaken(rows, -1, name.toStdString()); ++n)
    name = QFileInfo(chosen).fileName() + QString(" (%1)").arg(n);
  {
    const QSignalBlocker block(applications_);
    const int at = applications_->rowCount();
    applications_->insertRow(at);
    applications_->setItem(at, 0, new QTableWidgetItem(name));
    applications_->setItem(
        at, 1, new QTableWidgetItem(QString::fromStdString(QuotedPath(chosen.toStdString()))));
  }
  RebuildDefaultApplications();
  defaultApplication_->setCurrentIndex(defaultApplication_->findText(name));
}

// ---------------------------------------------------------------- highlighter colours

THighlighter* TOptionsForm::ShownHighlighter() const {
  const int index = highlighter_->currentIndex();
  if (index < 0 || index >= static_cast<int>(host_.highlighters.size())) return nullptr;
  return host_.highlighters[static_cast<std::size_t>(index)].second;
}

void TOptionsForm::ChooseHighlighter(int index) {
  if (highlighter_->currentIndex() != index) {
    highlighter_->setCurrentIndex(index);  // comes back here through the signal
    return;
  }
  THighlighter* highlighter = ShownHighlighter();
  if (!highlighter) return;
  preview_->SetHighlighter(highlighter);
  if (const char* sample = SampleFile(highlighter->LanguageName())) {
    std::string text;
    if (ReadFileBytes((host_.dataDir + "/../samples/" + sample).toStdString(), text, nullptr)) {
      preview_->SetReadOnly(false);
      preview_->LoadFromBytes(text);
      preview_->SetReadOnly(true);
    }
  }
  attribute_->clear();
  for (const THighlighterAttribute* attribute : highlighter->Attributes())
    attribute_->addItem(QString::fromStdString(attribute->name));
  attribute_->setCurrentRow(0);
}

void TOptionsForm::ChooseAttribute(int index) {
  THighlighter* highlighter = ShownHighlighter();
  if (!highlighter || index < 0) return;
  const auto attributes = highlighter->Attributes();
  if (index >= static_cast<int>(attributes.size())) return;
  const THighlighterAttribute& a = *attributes[static_cast<std::size_t>(index)];
  const bool wasFilling = filling_;
  filling_ = true;
  foreground_->SetColor(a.foreground);
  background_->SetColor(a.background);
  bold_->setChecked(a.style & fsBold);
  italic_->setChecked(a.style & fsItalic);
  underline_->setChecked(a.style & fsUnderline);
  strikeOut_->setChecked(a.style & fsStrikeOut);
  filling_ = wasFilling;
}

// A colour or style box changed: the live attribute follows at once, in every open page.
void TOptionsForm::AttributeEdited() {
  if (filling_) return;
  THighlighter* highlighter = ShownHighlighter();
  const int index = attribute_->currentRow();
  if (!highlighter || index < 0) return;
  const auto attributes = highlighter->Attributes();
  if (index >= static_cast<int>(attributes.size())) return;
  THighlighterAttribute& a = *attributes[static_cast<std::size_t>(index)];
  a.foreground = foreground_->Color();
  a.background = background_->Color();
  a.style = (bold_->isChecked() ? fsBold : 0) | (italic_->isChecked() ? fsItalic : 0) |
            (underline_->isChecked() ? fsUnderline : 0) |
            (strikeOut_->isChecked() ? fsStrikeOut : 0);
  coloursChanged_ = true;
  preview_->Repaint();
  if (host_.repaintPages) host_.repaintPages();
}

void TOptionsForm::RevertUnsaved() {
  if (!coloursChanged_) return;
  savedColours_.Restore();
  coloursChanged_ = false;
  if (host_.repaintPages) host_.repaintPages();
}

// ---------------------------------------------------------------- apply and configurations

bool TOptionsForm::ApplyChanges() {
  TConfiguration& config = *host_.config;
  ApplyOptions(Values(), config);
  if (host_.association) {
    std::vector<TExtensionCheck> checks;
    for (int i = 0; i < extensionList_->count(); ++i) {
      const QListWidgetItem* item = extensionList_->item(i);
      checks.push_back({item->text().toStdString(), item->checkState() == Qt::Checked});
    }
    try {
      TFileAssociation association = host_.association();
      ApplyExtensionChecks(association, checks, host_.programPath);
    } catch (const std::exception& e) {
      TMessageBox::Error(this, QString::fromUtf8(e.what()));
    }
  }
  try {
    config.Save();
  } catch (const TSettingsError& e) {
    TMessageBox::Error(this, QString::fromUtf8(e.what()));
    return false;
  }
  // What was saved is what a later Cancel keeps.
  std::vector<THighlighter*> list;
  for (const auto& entry : host_.highlighters) list.push_back(entry.second);
  savedColours_.Take(list);
  coloursChanged_ = false;
  if (host_.applyConfiguration) host_.applyConfiguration();
  return true;
}

void TOptionsForm::accept() {
  if (ApplyChanges()) QDialog::accept();
}

void TOptionsForm::SwitchConfiguration(const QString& name) {
  TConfiguration& config = *host_.config;
  if (name.isEmpty() || name.toStdString() == config.ConfigName) return;
  if (OptionsDiffer(Values(), config) &&
      TMessageBox::Show(this, windowTitle(), host_.message("ConfigChanged"), mbYes | mbNo,
                        TMsgIcon::Information) == TMsgResult::Yes) {
    if (!ApplyChanges()) {
      FillConfigNames();
      return;
    }
  }
  // Colours not applied are not saved with the configuration left behind.
  RevertUnsaved();
  try {
    config.SwitchTo(name.toStdString());
  } catch (const TSettingsError& e) {
    TMessageBox::Error(this, QString::fromUtf8(e.what()));
  }
  std::vector<THighlighter*> list;
  for (const auto& entry : host_.highlighters) list.push_back(entry.second);
  savedColours_.Take(list);
  if (host_.applyConfiguration) host_.applyConfiguration();
  if (host_.repaintPages) host_.repaintPages();
  Fill();
  ChooseAttribute(attribute_->currentRow());
}

void TOptionsForm::CreateConfig() {
  TConfiguration& config = *host_.config;
  const std::string name = configName_->text().toStdString();
  switch (CheckNewConfigName(name, config.ConfigNames)) {
    case TConfigNameCheck::Bad:
      Notice("BadConfigName");
      return;
    case TConfigNameCheck::Exists:
      Notice("ConfigAlreadyExists");
      return;
    case TConfigNameCheck::Ok:
      break;
  }
  try {
    config.AddConfig(name);
  } catch (const TSettingsError& e) {
    TMessageBox::Error(this, QString::fromUtf8(e.what()));
  }
  Fill();
  configName_->clear();
}

void TOptionsForm::DeleteConfig() {
  TConfiguration& config = *host_.config;
  const QListWidgetItem* item = configList_->currentItem();
  if (!item) return;
  const std::string name = item->text().toStdString();
  if (name == config.ConfigName) {
    Notice("CantDeleteActiveConfig");
    return;
  }
  try {
    config.DeleteConfig(name);
  } catch (const TSettingsError& e) {
    TMessageBox::Error(this, QString::fromUtf8(e.what()));
  }
  Fill();
}

}  // namespace tervil
