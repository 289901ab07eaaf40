// The configuration toolbar: a box of the named configurations that switches between them.
#include <QComboBox>
#include <QIcon>
#include <QToolBar>

#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/docking/DockManager.h"

namespace tervil {

void TTervilMain::CreateConfigToolbar() {
  configToolbar_ = addToolBar(tr("Config Selection"));
  configToolbar_->setObjectName("ConfigToolbar");
  configCombo_ = new QComboBox(configToolbar_);
  configCombo_->setObjectName("ConfigCombo");
  configCombo_->setToolTip(tr("Configuration"));
  configCombo_->setStatusTip(tr("Switch to another configuration"));
  configCombo_->setFocusPolicy(Qt::ClickFocus);
  configCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  configToolbar_->addWidget(configCombo_);
  FillConfigCombo();
  connect(configCombo_, &QComboBox::textActivated, this, &TTervilMain::ChangeConfigComboChange);
}

void TTervilMain::FillConfigCombo() {
  if (!configCombo_ || !configuration_) return;
  fillingConfigCombo_ = true;
  configCombo_->clear();
  for (const std::string& name : configuration_->ConfigNames)
    configCombo_->addItem(QString::fromStdString(name));
  configCombo_->setCurrentText(QString::fromStdString(configuration_->ConfigName));
  fillingConfigCombo_ = false;
}

// The toolbars and tool windows keep their places per configuration: the old configuration's
// are stored, the new one's are restored (which also applies the new configuration).
void TTervilMain::ChangeConfigComboChange(const QString& name) {
  if (fillingConfigCombo_ || name.isEmpty() || name.toStdString() == configuration_->ConfigName)
    return;
  try {
    dockManager_->SaveComponents(*configuration_);
    configuration_->SwitchTo(name.toStdString());
  } catch (const std::exception& e) {
    TMessageBox::Error(this, QString::fromUtf8(e.what()));
    FillConfigCombo();
    return;
  }
  if (!configuration_->RecentList.empty())
    LastOpenedFile = QString::fromStdString(configuration_->RecentList.front().fileName);
  dockManager_->LoadComponents(*configuration_);
  ApplyConfiguration();
  PageControlChange(PageControl());
}

}  // namespace tervil
