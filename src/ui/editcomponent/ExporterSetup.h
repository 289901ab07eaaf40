#pragma once

#include <string>

namespace tervil {

class TExporter;
class TTextEditor;

// Gives an exporter what it takes from an editor: the title, the highlighter with its colours
// (system colours as the editor shows them), the editor's font and tab width. Copy as RTF or
// HTML and the export commands share it, so a copy and an exported file look alike.
void SetUpExporter(TExporter& exporter, const TTextEditor& editor, const std::string& title);

}  // namespace tervil
