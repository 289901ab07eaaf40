// The five sections of the Options dialog and its bottom row: the controls and their layout.
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/text/Charsets.h"
#include "ui/editcomponent/TextEditor.h"
#include "ui/options/ApplicationDelegate.h"
#include "ui/options/ColorBox.h"
#include "ui/options/OptionsForm.h"

namespace tervil {

namespace {

// A section's controls in a scroll area, so the dialog fits small screens.
QWidget* Scrolled(QWidget* content) {
  auto* area = new QScrollArea;
  area->setWidget(content);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  return area;
}

QSpinBox* NumberBox(const char* name, int low, int high) {
  auto* box = new QSpinBox;
  box->setObjectName(name);
  box->setRange(low, high);
  return box;
}

QCheckBox* CheckBox(const QString& caption, const char* name) {
  auto* box = new QCheckBox(caption);
  box->setObjectName(name);
  return box;
}

// A label with a mnemonic that gives `buddy` the keyboard.
QLabel* Buddy(const QString& caption, QWidget* buddy) {
  auto* label = new QLabel(caption);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

QWidget* TOptionsForm::CreateEnvironmentSection() {
  auto* content = new QWidget;
  auto* layout = new QVBoxLayout(content);
  auto* form = new QFormLayout;
  layout->addLayout(form);

  autosave_ = CheckBox(tr("&Autosave"), "autosave");
  form->addRow(autosave_);
  autosaveInterval_ = NumberBox("autosaveinterval", TOptionsValues::kMinAutosaveMinutes,
                                TOptionsValues::kMaxAutosaveMinutes);
  auto* interval = new QHBoxLayout;
  interval->addWidget(autosaveInterval_);
  interval->addWidget(new QLabel(tr("minutes")));
  interval->addStretch();
  form->addRow(Buddy(tr("Autosave &interval :"), autosaveInterval_), interval);
  autosaveBackup_ = CheckBox(tr("&Keep Original File on Autosave"), "autosavebackup");
  form->addRow(autosaveBackup_);

  defaultEncoding_ = new QComboBox;
  defaultEncoding_->setObjectName("defaultencoding");
  for (const TCharsetInfo& info : CharsetTable) {
    const QString name = QString::fromLatin1(info.name.data(), static_cast<int>(info.name.size()));
    defaultEncoding_->addItem(name.isEmpty() ? tr("System (UTF-8)") : name, name);
  }
  form->addRow(Buddy(tr("Default &Encoding :"), defaultEncoding_), defaultEncoding_);
  encodingFilter_ = new QLineEdit;
  encodingFilter_->setObjectName("encodingfilter");
  form->addRow(Buddy(tr("Apply Encodin&g to:"), encodingFilter_), encodingFilter_);
  supportedExtensions_ = new QLineEdit;
  supportedExtensions_->setObjectName("supportedextensions");
  form->addRow(Buddy(tr("&Supported Files:"), supportedExtensions_), supportedExtensions_);
  reopenFiles_ = new QComboBox;
  reopenFiles_->setObjectName("reopenfiles");
  reopenFiles_->addItems({tr("Yes"), tr("No"), tr("Query")});
  form->addRow(Buddy(tr("&Reopen Recently Opened Files:"), reopenFiles_), reopenFiles_);
  unixEol_ = CheckBox(tr("Use &Unix EOL by default"), "unixeol");
  autoDetectEol_ = CheckBox(tr("Auto&detect EOL"), "autodetecteol");
  checkVersion_ = CheckBox(tr("Automatically &Check for Updates"), "checkver");
  multipleInstances_ = CheckBox(tr("Allow &Multiple Instances"), "multipleinstances");
  showHiddenFiles_ = CheckBox(tr("Show &Hidden Files In File Explorer"), "showhiddenfiles");
  for (QCheckBox* box :
       {unixEol_, autoDetectEol_, checkVersion_, multipleInstances_, showHiddenFiles_})
    form->addRow(box);

  auto* codes = new QGroupBox(tr("User Codes"));
  auto* grid = new QGridLayout(codes);
  userCodeList_ = new QTreeWidget;
  userCodeList_->setObjectName("UserCodes");
  userCodeList_->setRootIsDecorated(false);
  userCodeList_->setHeaderLabels({tr("Caption"), tr("Before"), tr("After")});
  userCodeList_->setMinimumHeight(90);
  userCodeList_->installEventFilter(this);
  grid->addWidget(Buddy(tr("User C&odes:"), userCodeList_), 0, 0, 1, 2);
  grid->addWidget(userCodeList_, 1, 0, 1, 2);
  codeCaption_ = new QLineEdit;
  codeCaption_->setObjectName("CodeCaption");
  codeBefore_ = new QLineEdit;
  codeBefore_->setObjectName("CodeBefore");
  codeAfter_ = new QLineEdit;
  codeAfter_->setObjectName("CodeAfter");
  grid->addWidget(Buddy(tr("Cap&tion:"), codeCaption_), 2, 0);
  grid->addWidget(codeCaption_, 2, 1);
  grid->addWidget(Buddy(tr("&Before:"), codeBefore_), 3, 0);
  grid->addWidget(codeBefore_, 3, 1);
  grid->addWidget(Buddy(tr("A&fter:"), codeAfter_), 4, 0);
  grid->addWidget(codeAfter_, 4, 1);
  codeButton_ = new QPushButton(Text("AddCode"));
  codeButton_->setObjectName("CodeButton");
  codeButton_->setAutoDefault(false);
  grid->addWidget(codeButton_, 5, 1, Qt::AlignRight);
  layout->addWidget(codes, 1);

  connect(userCodeList_, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (filling_) return;
    const QList<QTreeWidgetItem*> chosen = userCodeList_->selectedItems();
    userCodes_.Select(chosen.isEmpty() ? -1 : userCodeList_->indexOfTopLevelItem(chosen.front()));
    ShowUserCodeEditor();
  });
  connect(codeCaption_, &QLineEdit::textEdited, this, [this](const QString& text) {
    userCodes_.SetCaption(text.toStdString());
    ShowUserCodeEditor();
  });
  connect(codeBefore_, &QLineEdit::textEdited, this,
          [this](const QString& text) { userCodes_.SetBefore(text.toStdString()); });
  connect(codeAfter_, &QLineEdit::textEdited, this,
          [this](const QString& text) { userCodes_.SetAfter(text.toStdString()); });
  connect(codeButton_, &QPushButton::clicked, this, [this] {
    userCodes_.Press();
    FillUserCodes();
  });
  return Scrolled(content);
}

QWidget* TOptionsForm::CreateEditorSection() {
  auto* content = new QWidget;
  auto* layout = new QHBoxLayout(content);

  auto* behaviour = new QGroupBox(tr("Behaviour"));
  auto* form = new QFormLayout(behaviour);
  tabWidth_ = NumberBox("tabwidth", TOptionsValues::kMinTabWidth, TOptionsValues::kMaxTabWidth);
  form->addRow(Buddy(tr("Tab Wi&dth"), tabWidth_), tabWidth_);
  whitespace_ = new QComboBox;
  whitespace_->setObjectName("whitespace");
  whitespace_->addItems({tr("No Change"), tr("Tabs To Spaces"), tr("Spaces To Tabs")});
  form->addRow(Buddy(tr("&Whitespace"), whitespace_), whitespace_);
  autoIndent_ = CheckBox(tr("&Indent blocks"), "autoindent");
  continueLists_ = CheckBox(tr("Continue HTML &lists"), "continuelists");
  autoClose_ = CheckBox(tr("End HTML &tags"), "autoclose");
  tabCloseButton_ = CheckBox(tr("Close button &visible on tabs"), "tabclosebutton");
  enhanceHomeKey_ = CheckBox(tr("Smart &Home"), "enhancehomekey");
  smartTabs_ = CheckBox(tr("Smart T&abs"), "smarttabs");
  for (QCheckBox* box :
       {autoIndent_, continueLists_, autoClose_, tabCloseButton_, enhanceHomeKey_, smartTabs_})
    form->addRow(box);
  layout->addWidget(behaviour, 1, Qt::AlignTop);

  auto* display = new QGroupBox(tr("Display"));
  auto* colours = new QFormLayout(display);
  auto colourRow = [&](const QString& caption, const char* name) {
    auto* box = new TColorBox;
    box->setObjectName(name);
    colours->addRow(Buddy(caption, box), box);
    return box;
  };
  variableColor_ = colourRow(tr("Variable Highli&ght:"), "variablecolor");
  bracketColor_ = colourRow(tr("Matching Brac&kets:"), "bracketcolor");
  activeLineColor_ = colourRow(tr("Active Lin&e:"), "activelinecolor");
  rightEdgeColor_ = colourRow(tr("&Right Edge Line:"), "rightedgecolor");
  editorBackground_ = colourRow(tr("Editor Backgro&und:"), "editorbackground");
  rightEdge_ = NumberBox("rightedge", TOptionsValues::kMinRightEdge, TOptionsValues::kMaxRightEdge);
  colours->addRow(Buddy(tr("Right Edge P&osition:"), rightEdge_), rightEdge_);
  fontSize_ = NumberBox("fontsize", TOptionsValues::kMinFontSize, TOptionsValues::kMaxFontSize);
  colours->addRow(Buddy(tr("&Font Size:"), fontSize_), fontSize_);
  fontName_ = new QFontComboBox;
  fontName_->setObjectName("fontname");
  fontName_->setFontFilters(QFontComboBox::MonospacedFonts);
  fontName_->setEditable(false);
  colours->addRow(Buddy(tr("Font Na&me:"), fontName_), fontName_);
  gutter_ = CheckBox(tr("&Show Gutter with Line Numbers"), "gutter");
  colours->addRow(gutter_);
  layout->addWidget(display, 1, Qt::AlignTop);
  return Scrolled(content);
}

QWidget* TOptionsForm::CreateSyntaxSection() {
  auto* content = new QWidget;
  auto* layout = new QGridLayout(content);
  highlighter_ = new QComboBox;
  highlighter_->setObjectName("Highlighter");
  for (const auto& [name, highlighter] : host_.highlighters)
    highlighter_->addItem(QString::fromStdString(name));
  layout->addWidget(Buddy(tr("&Highlighter:"), highlighter_), 0, 0);
  layout->addWidget(highlighter_, 1, 0);
  attribute_ = new QListWidget;
  attribute_->setObjectName("Attribute");
  layout->addWidget(Buddy(tr("A&ttribute:"), attribute_), 2, 0);
  layout->addWidget(attribute_, 3, 0, 3, 1);

  foreground_ = new TColorBox;
  foreground_->setObjectName("Foreground");
  background_ = new TColorBox;
  background_->setObjectName("Background");
  layout->addWidget(Buddy(tr("&Foreground Color:"), foreground_), 0, 1);
  layout->addWidget(foreground_, 1, 1);
  layout->addWidget(Buddy(tr("Bac&kground Color:"), background_), 2, 1);
  layout->addWidget(background_, 3, 1);
  auto* style = new QGroupBox(tr(" Style "));
  auto* styles = new QGridLayout(style);
  bold_ = CheckBox(tr("&Bold"), "Bold");
  italic_ = CheckBox(tr("&Italic"), "Italic");
  underline_ = CheckBox(tr("&Underline"), "Underline");
  strikeOut_ = CheckBox(tr("&Strike Out"), "StrikeOut");
  styles->addWidget(bold_, 0, 0);
  styles->addWidget(italic_, 0, 1);
  styles->addWidget(underline_, 1, 0);
  styles->addWidget(strikeOut_, 1, 1);
  layout->addWidget(style, 4, 1);
  layout->setRowStretch(5, 1);

  preview_ = new TTextEditor;
  preview_->setObjectName("Preview");
  preview_->SetGutterVisible(false);
  preview_->SetReadOnly(true);
  QFont font("Courier New", 10);
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  preview_->SetEditorFont(font);
  preview_->setMinimumHeight(140);
  preview_->setFocusPolicy(Qt::ClickFocus);
  layout->addWidget(preview_, 6, 0, 1, 2);
  layout->setRowStretch(6, 2);

  connect(highlighter_, &QComboBox::currentIndexChanged, this, &TOptionsForm::ChooseHighlighter);
  connect(attribute_, &QListWidget::currentRowChanged, this, &TOptionsForm::ChooseAttribute);
  connect(foreground_, &TColorBox::ColorChanged, this, &TOptionsForm::AttributeEdited);
  connect(background_, &TColorBox::ColorChanged, this, &TOptionsForm::AttributeEdited);
  for (QCheckBox* box : {bold_, italic_, underline_, strikeOut_})
    connect(box, &QCheckBox::toggled, this, &TOptionsForm::AttributeEdited);
  return content;
}

QWidget* TOptionsForm::CreateApplicationsSection() {
  auto* content = new QWidget;
  auto* layout = new QVBoxLayout(content);
  auto* php = new QHBoxLayout;
  phpPath_ = new QLineEdit;
  phpPath_->setObjectName("phppath");
  auto* phpBrowse = new QPushButton(tr("Br&owse"));
  phpBrowse->setAutoDefault(false);
  php->addWidget(Buddy(tr("P&HP Path:"), phpPath_));
  php->addWidget(phpPath_, 1);
  php->addWidget(phpBrowse);
  layout->addLayout(php);

  auto* others = new QGroupBox(tr("Other Applications"));
  auto* grid = new QGridLayout(others);
  applications_ = new QTableWidget(0, 2);
  applications_->setObjectName("Applications");
  applications_->setHorizontalHeaderLabels({tr("Name"), tr("Path and Parameters")});
  applications_->horizontalHeader()->setStretchLastSection(true);
  applications_->verticalHeader()->hide();
  applications_->setSelectionBehavior(QAbstractItemView::SelectRows);
  applications_->setSelectionMode(QAbstractItemView::SingleSelection);
  applications_->setTabKeyNavigation(false);
  auto* delegate = new TApplicationDelegate(applications_);
  applications_->setItemDelegateForColumn(1, delegate);
  connect(delegate, &TApplicationDelegate::BrowseRequested, this, &TOptionsForm::BrowseInto);
  grid->addWidget(Buddy(tr("&Applications:"), applications_), 0, 0, 1, 3);
  grid->addWidget(applications_, 1, 0, 1, 3);
  auto* add = new QPushButton(tr("A&dd"));
  auto* edit = new QPushButton(tr("&Edit"));
  auto* remove = new QPushButton(tr("De&lete"));
  for (QPushButton* button : {add, edit, remove}) button->setAutoDefault(false);
  grid->addWidget(add, 2, 0);
  grid->addWidget(edit, 2, 1);
  grid->addWidget(remove, 2, 2);
  layout->addWidget(others, 1);

  auto* defaults = new QHBoxLayout;
  defaultApplication_ = new QComboBox;
  defaultApplication_->setObjectName("runwithdefault");
  auto* defaultBrowse = new QPushButton(tr("Bro&wse"));
  defaultBrowse->setAutoDefault(false);
  defaults->addWidget(Buddy(tr("Default Appli&cation:"), defaultApplication_));
  defaults->addWidget(defaultApplication_, 1);
  defaults->addWidget(defaultBrowse);
  layout->addLayout(defaults);

  connect(phpBrowse, &QPushButton::clicked, this, [this] { BrowseInto(phpPath_); });
  connect(defaultBrowse, &QPushButton::clicked, this, &TOptionsForm::BrowseDefaultApplication);
  connect(add, &QPushButton::clicked, this, [this] {
    const int row = applications_->rowCount();
    applications_->insertRow(row);
    applications_->setItem(row, 0, new QTableWidgetItem);
    applications_->setItem(row, 1, new QTableWidgetItem);
    applications_->setCurrentCell(row, 0);
    applications_->editItem(applications_->item(row, 0));
  });
  connect(edit, &QPushButton::clicked, this, [this] {
    if (QTableWidgetItem* item = applications_->currentItem()) applications_->editItem(item);
  });
  connect(remove, &QPushButton::clicked, this, [this] {
    const int row = applications_->currentRow();
    if (row < 0) return;
    applications_->removeRow(row);
    RebuildDefaultApplications();
  });
  connect(applications_, &QTableWidget::cellChanged, this, &TOptionsForm::ApplicationNameEdited);
  return content;
}

QWidget* TOptionsForm::CreateConfigurationsSection() {
  auto* content = new QWidget;
  auto* layout = new QHBoxLayout(content);
  auto* configs = new QGroupBox(tr("Configurations"));
  auto* grid = new QGridLayout(configs);
  configList_ = new QListWidget;
  configList_->setObjectName("ConfigList");
  grid->addWidget(Buddy(tr("Confi&gurations:"), configList_), 0, 0, 1, 2);
  grid->addWidget(configList_, 1, 0, 1, 2);
  configName_ = new QLineEdit;
  configName_->setObjectName("ConfigName");
  configName_->setPlaceholderText(tr("Config Name"));
  configName_->setToolTip(tr("Config Name"));
  grid->addWidget(Buddy(tr("Con&fig Name:"), configName_), 2, 0);
  grid->addWidget(configName_, 2, 1);
  auto* create = new QPushButton(tr("Create Ne&w Config"));
  create->setObjectName("CreateConfig");
  auto* remove = new QPushButton(tr("&Delete"));
  remove->setObjectName("DeleteConfig");
  for (QPushButton* button : {create, remove}) button->setAutoDefault(false);
  grid->addWidget(create, 3, 0);
  grid->addWidget(remove, 3, 1);
  layout->addWidget(configs, 1);

  auto* associated = new QGroupBox(tr("Extensions associated with editor"));
  auto* list = new QVBoxLayout(associated);
  extensionList_ = new QListWidget;
  extensionList_->setObjectName("Extensions");
  list->addWidget(Buddy(tr("E&xtensions:"), extensionList_));
  list->addWidget(extensionList_);
  layout->addWidget(associated, 1);

  connect(create, &QPushButton::clicked, this, &TOptionsForm::CreateConfig);
  configName_->installEventFilter(this);  // Enter creates the configuration, not Ok
  connect(remove, &QPushButton::clicked, this, &TOptionsForm::DeleteConfig);
  return content;
}

void TOptionsForm::CreateBottomRow(QVBoxLayout* layout) {
  auto* row = new QHBoxLayout;
  currentConfig_ = new QComboBox;
  currentConfig_->setObjectName("CurrentConfig");
  row->addWidget(Buddy(tr("Current co&nfiguration:"), currentConfig_));
  row->addWidget(currentConfig_);
  row->addStretch();
  auto* ok = new QPushButton(tr("Ok"));
  ok->setObjectName("Ok");
  ok->setDefault(true);
  auto* cancel = new QPushButton(tr("Cancel"));
  cancel->setObjectName("Cancel");
  auto* apply = new QPushButton(tr("A&pply"));
  apply->setObjectName("Apply");
  for (QPushButton* button : {ok, cancel, apply}) row->addWidget(button);
  layout->addLayout(row);

  connect(ok, &QPushButton::clicked, this, &TOptionsForm::accept);
  connect(cancel, &QPushButton::clicked, this, &TOptionsForm::reject);
  connect(apply, &QPushButton::clicked, this, [this] { ApplyChanges(); });
  connect(currentConfig_, &QComboBox::activated, this,
          [this](int index) { SwitchConfiguration(currentConfig_->itemText(index)); });
}

}  // namespace tervil
