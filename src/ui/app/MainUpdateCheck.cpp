// The check for a newer version at start-up.
#include <QDate>

#include "core/app/CommandLine.h"
#include "ui/app/MainForm.h"
#include "ui/app/StatusPanels.h"
#include "ui/app/UpdateChecker.h"

namespace tervil {

namespace {

QString RootText(const TSettingsStore& store, const char* name) {
  try {
    if (store.ValueExists(kRootKey, name))
      return QString::fromStdString(store.ReadString(kRootKey, name));
  } catch (const std::exception&) {
    // A value of the wrong type counts as none.
  }
  return {};
}

}  // namespace

void TTervilMain::StartUpdateCheck() {
  if (!configuration_->CheckVersion) return;
  const QString server = RootText(store_, kUpdateServerValue);
  if (server.isEmpty()) return;
  if (!updateChecker_) {
    updateChecker_ = new TUpdateChecker(this);
    connect(updateChecker_, &TUpdateChecker::Finished, this,
            [this](bool answered, const QStringList& notice) {
              if (answered) {
                const QDate today = QDate::currentDate();
                std::tm day{};
                day.tm_mday = today.day();
                day.tm_mon = today.month() - 1;
                day.tm_year = today.year() - 1900;
                try {
                  store_.WriteString(kRootKey, kLastUpdateCheckValue, UpdateCheckDate(day));
                  store_.Flush();
                } catch (const std::exception& e) {
                  statusPanels_->SetPanelText(0, QString::fromUtf8(e.what()));
                }
              }
              if (notice.size() == 4) {
                const TUpdateNotice values{notice[0].toStdString(), notice[1].toStdString(),
                                           notice[2].toStdString(), notice[3].toStdString()};
                (new TVersionForm(values, this))->show();
              }
            });
  }
  updateChecker_->Start(server, RootText(store_, kLastUpdateCheckValue), TervilVersion());
}

}  // namespace tervil
