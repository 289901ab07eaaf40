#include "ui/editcomponent/ExporterSetup.h"

#include "core/editcomponent/Exporter.h"
#include "ui/editcomponent/TextEditor.h"

namespace tervil {

void SetUpExporter(TExporter& exporter, const TTextEditor& editor, const std::string& title) {
  exporter.SetTitle(title);
  exporter.SetHighlighter(editor.Highlighter());
  exporter.SetFont(editor.EditorFont().family().toStdString(), editor.FontSize());
  exporter.SetTabWidth(editor.TabWidth());
  exporter.SetSystemColorResolver([&editor](TColor color) {
    const QColor c = editor.ToQColor(color, Qt::black);
    return MakeColor(c.red(), c.green(), c.blue());
  });
}

}  // namespace tervil
