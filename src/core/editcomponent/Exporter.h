#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/Color.h"
#include "core/editcomponent/EditorTypes.h"
#include "core/editcomponent/Highlighter.h"

namespace tervil {

class TEditorModel;

// Writes a document, coloured by a highlighter, in another format (HTML, RTF). Without a
// highlighter the text is written in the plain colours. The result is kept as text.
class TExporter {
 public:
  virtual ~TExporter() = default;

  // The file dialog filter of the format.
  virtual std::string DefaultFilter() const = 0;

  void SetTitle(std::string title) { title_ = std::move(title); }
  const std::string& Title() const { return title_; }
  void SetHighlighter(THighlighter* highlighter) { highlighter_ = highlighter; }
  THighlighter* Highlighter() const { return highlighter_; }
  // Text and background colours where the highlighter gives none.
  void SetForeground(TColor color) { foreground_ = color; }
  void SetBackground(TColor color) { background_ = color; }
  TColor Foreground() const { return foreground_; }
  TColor Background() const { return background_; }
  void SetFont(std::string name, int points);
  const std::string& FontName() const { return fontName_; }
  int FontSize() const { return fontSize_; }
  // Whether the attributes' own background colours are written.
  void SetUseBackground(bool use) { useBackground_ = use; }
  bool UseBackground() const { return useBackground_; }
  // A fragment for the clipboard instead of a stand-alone document.
  void SetExportAsFragment(bool fragment) { fragment_ = fragment; }
  bool ExportAsFragment() const { return fragment_; }
  void SetTabWidth(int width) { tabWidth_ = width < 1 ? 1 : width; }
  // Maps system colours (top byte 0xFF) to real ones; the default knows the window background
  // (white) and window text (black) and takes black for the others.
  void SetSystemColorResolver(std::function<TColor(TColor)> resolver);

  // Exports the text from `start` to `stop` (buffer positions, `stop` exclusive).
  void ExportRange(const TEditorModel& editor, TBufferPos start, TBufferPos stop);
  void ExportAll(const TEditorModel& editor);
  // Exports whole lines.
  void ExportLines(const std::vector<std::string>& lines);

  const std::string& Result() const { return result_; }
  // Writes the result; throws std::runtime_error with the system's reason on failure.
  void SaveToFile(const std::string& path) const;

 protected:
  // The look of a run of text, with resolved colours.
  struct TStyle {
    TColor foreground = 0;
    TColor background = 0;
    int fontStyle = 0;  // TFontStyleBits
    friend bool operator==(const TStyle&, const TStyle&) = default;
  };

  virtual void BeginDocument() = 0;
  virtual void WriteRun(std::string_view text, const TStyle& style) = 0;
  virtual void WriteLineBreak() = 0;
  virtual void EndDocument() = 0;

  TColor Resolve(TColor color) const;
  TStyle PlainStyle() const;
  std::string& Out() { return result_; }

 private:
  using TLineSource = std::function<std::string(int)>;
  // `inputBytes` estimates the text exported (0 when unknown): the result is reserved ahead.
  void Run(const TLineSource& line, int lineCount, TBufferPos start, TBufferPos stop,
           std::size_t inputBytes);
  void WriteLine(std::string_view line, std::size_t from, std::size_t to, THighlighterState& state);
  TStyle StyleOf(const THighlighterAttribute* attribute) const;

  std::string title_ = "Untitled";
  THighlighter* highlighter_ = nullptr;
  TColor foreground_ = clWindowText;
  TColor background_ = clWindow;
  std::string fontName_ = "Courier New";
  int fontSize_ = 10;
  bool useBackground_ = false;
  bool fragment_ = false;
  int tabWidth_ = 8;
  std::function<TColor(TColor)> resolver_;
  std::vector<TToken> tokens_;
  std::string result_;

 protected:
  int TabWidth() const { return tabWidth_; }
};

}  // namespace tervil
