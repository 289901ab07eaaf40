#pragma once

#include <string>
#include <vector>

#include "core/editcomponent/Exporter.h"

namespace tervil {

// Writes RTF 1 with a font and a colour table; characters beyond ASCII are written as \u
// escapes (UTF-16, with "?" for readers that cannot show them). A fragment leaves out the
// document information (the title).
class TExporterRTF : public TExporter {
 public:
  std::string DefaultFilter() const override { return "Rich Text Format Documents (*.rtf)|*.rtf"; }

 protected:
  void BeginDocument() override;
  void WriteRun(std::string_view text, const TStyle& style) override;
  void WriteLineBreak() override { body_ += "\\par\n"; }
  void EndDocument() override;

 private:
  int ColorIndex(TColor color);
  static void AppendEscaped(std::string_view text, std::string& out);

  std::vector<TColor> colors_;
  std::string body_;
};

}  // namespace tervil
