// The main window's run commands: Run and Execute, the Project menu, the Run toolbar and the
// console window (TRunActions).
#include <QMenuBar>

#include "ui/app/MainForm.h"
#include "ui/app/MenuLookup.h"
#include "ui/process/RunActions.h"

namespace tervil {

void TTervilMain::CreateRunActions() {
  // The Project menu comes before the Tools menu that other command groups share.
  runActions_ =
      new TRunActions(*this, viewMenu_, MenuNamed(menuBar(), tr("&Tools"), tr("&Window")));
}

void TTervilMain::UpdateRunActions() {
  if (runActions_ && configuration_) runActions_->UpdateActions();
}

// A program still running in the console stops before the temporary copies go.
void TTervilMain::StopConsoleProgram() {
  if (runActions_) runActions_->StopConsole();
}

}  // namespace tervil
