// Export to RTF and HTML, page setup, printing and the print preview of the current page.
#include "ui/app/MainForm.h"
#include "ui/printing/PrintActions.h"

namespace tervil {

void TTervilMain::CreatePrintActions() {
  printActions_ = new TPrintActions(*this);
}

}  // namespace tervil
