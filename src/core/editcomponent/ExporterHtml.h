#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/editcomponent/Exporter.h"

namespace tervil {

// Writes HTML 5 declaring UTF-8: a stand-alone document with the title, or a <pre> fragment.
// Text is escaped; styles are inline, so a fragment carries its colours with it.
class TExporterHTML : public TExporter {
 public:
  std::string DefaultFilter() const override {
    return "HTML Documents (*.htm;*.html)|*.htm;*.html";
  }

 protected:
  void BeginDocument() override;
  void WriteRun(std::string_view text, const TStyle& style) override;
  void WriteLineBreak() override { Out() += '\n'; }
  void EndDocument() override;

 private:
  void AppendEscaped(std::string_view text);

  TStyle plain_;
  std::vector<std::pair<TStyle, std::string>> spans_;  // opening tag of each style met
};

}  // namespace tervil
