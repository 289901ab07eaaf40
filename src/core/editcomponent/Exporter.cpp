#include "core/editcomponent/Exporter.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "core/common/HugePages.h"
#include "core/common/Utf8.h"
#include "core/editcomponent/EditorModel.h"

namespace tervil {

namespace {

// The usual desktop colours of the system colour indices the program uses.
TColor DefaultSystemColor(TColor color) {
  switch (color & 0xFFFFFF) {
    case 5:   // window background
    case 14:  // highlighted text
      return clWhite;
    case 13:  // highlight
      return clNavy;
    case 15:  // button face
      return clSilver;
    default:  // window text and the rest
      return clBlack;
  }
}

}  // namespace

void TExporter::SetFont(std::string name, int points) {
  fontName_ = std::move(name);
  fontSize_ = std::clamp(points, 1, 1000);
}

void TExporter::SetSystemColorResolver(std::function<TColor(TColor)> resolver) {
  resolver_ = std::move(resolver);
}

TColor TExporter::Resolve(TColor color) const {
  if (color == clNone || color == clDefault) return clBlack;
  if (IsSystemColor(color))
    return (resolver_ ? resolver_(color) : DefaultSystemColor(color)) & 0xFFFFFF;
  return color & 0xFFFFFF;
}

TExporter::TStyle TExporter::PlainStyle() const {
  return {Resolve(foreground_), Resolve(background_), 0};
}

TExporter::TStyle TExporter::StyleOf(const THighlighterAttribute* attribute) const {
  TStyle style = PlainStyle();
  if (!attribute) return style;
  if (attribute->foreground != clNone) style.foreground = Resolve(attribute->foreground);
  if (useBackground_ && attribute->background != clNone) {
    style.background = Resolve(attribute->background);
  }
  style.fontStyle = attribute->style;
  return style;
}

void TExporter::ExportRange(const TEditorModel& editor, TBufferPos start, TBufferPos stop) {
  // A whole document's size is known at once; a part is not worth measuring.
  const bool whole = std::abs(stop.Line - start.Line) + 1 >= editor.LineCount();
  Run([&editor](int i) { return editor.Line(i); }, editor.LineCount(), editor.ClampPos(start),
      editor.ClampPos(stop), whole ? static_cast<std::size_t>(editor.TextLength()) : 0);
}

void TExporter::ExportAll(const TEditorModel& editor) {
  const int last = editor.LineCount();
  ExportRange(editor, {1, 1}, {editor.LineLength(last - 1) + 1, last});
}

void TExporter::ExportLines(const std::vector<std::string>& lines) {
  const int count = std::max(1, static_cast<int>(lines.size()));
  const int lastLength = lines.empty() ? 0 : static_cast<int>(utf8::CountChars(lines.back()));
  std::size_t bytes = 0;
  for (const std::string& line : lines) bytes += line.size() + 2;
  Run([&lines](
          int i) { return lines.empty() ? std::string() : lines[static_cast<std::size_t>(i)]; },
      count, {1, 1}, {lastLength + 1, count}, bytes);
}

void TExporter::Run(const TLineSource& line, int lineCount, TBufferPos start, TBufferPos stop,
                    std::size_t inputBytes) {
  result_.clear();
  // Coloured output is a few times its text; growing a big result step by step would copy and
  // touch its memory again at every step.
  if (inputBytes > (1u << 20)) {
    result_.reserve(inputBytes * 4);
    AdviseHugePages(result_.data(), result_.capacity());
  }
  if (stop < start) std::swap(start, stop);
  start.Line = std::clamp(start.Line, 1, lineCount);
  stop.Line = std::clamp(stop.Line, 1, lineCount);
  BeginDocument();
  THighlighterState state = 0;
  for (int i = 0; i < stop.Line; ++i) {
    const std::string text = line(i);
    if (i < start.Line - 1) {
      if (highlighter_) {
        tokens_.clear();
        state = highlighter_->TokenizeLine(text, state, tokens_);
      }
      continue;
    }
    auto byteOf = [&text](int column) {
      return utf8::AdvanceChars(text.data(), text.size(),
                                static_cast<std::size_t>(std::max(column, 1) - 1));
    };
    const std::size_t from = i == start.Line - 1 ? byteOf(start.Column) : 0;
    const std::size_t to = i == stop.Line - 1 ? byteOf(stop.Column) : text.size();
    WriteLine(text, from, std::max(from, to), state);
    if (i < stop.Line - 1) WriteLineBreak();
  }
  EndDocument();
}

void TExporter::WriteLine(std::string_view text, std::size_t from, std::size_t to,
                          THighlighterState& state) {
  if (!highlighter_) {
    if (to > from) WriteRun(text.substr(from, to - from), PlainStyle());
    return;
  }
  tokens_.clear();
  state = highlighter_->TokenizeLine(text, state, tokens_);
  // Runs of equal style are merged; token edges are kept on character boundaries and inside
  // [from, to), whatever the highlighter returned.
  std::size_t pendingStart = from, pendingEnd = from;
  TStyle pendingStyle = PlainStyle();
  auto boundary = [&text](std::size_t b) {
    b = std::min(b, text.size());
    while (b < text.size() && utf8::IsContinuation(static_cast<unsigned char>(text[b]))) ++b;
    return b;
  };
  auto emit = [&](std::size_t a, std::size_t b, const TStyle& style) {
    a = std::max(boundary(a), from);
    b = std::min(boundary(b), to);
    if (b <= a) return;
    if (a == pendingEnd && style == pendingStyle) {
      pendingEnd = b;
      return;
    }
    if (pendingEnd > pendingStart) {
      WriteRun(text.substr(pendingStart, pendingEnd - pendingStart), pendingStyle);
    }
    pendingStart = a;
    pendingEnd = b;
    pendingStyle = style;
  };
  std::size_t pos = 0;
  for (const TToken& token : tokens_) {
    const std::size_t s = std::clamp<std::size_t>(
        static_cast<std::size_t>(std::max(token.start, 0)), pos, text.size());
    const std::size_t e = std::clamp<std::size_t>(
        s + static_cast<std::size_t>(std::max(token.length, 0)), s, text.size());
    if (s > pos) emit(pos, s, PlainStyle());
    emit(s, e, StyleOf(token.attribute));
    pos = std::max(pos, e);
  }
  if (pos < text.size()) emit(pos, text.size(), PlainStyle());
  if (pendingEnd > pendingStart) {
    WriteRun(text.substr(pendingStart, pendingEnd - pendingStart), pendingStyle);
  }
}

void TExporter::SaveToFile(const std::string& path) const {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) file.write(result_.data(), static_cast<std::streamsize>(result_.size()));
  if (file) file.close();
  if (!file) {
    throw std::runtime_error("Cannot write file \"" + path + "\". " + std::strerror(errno));
  }
}

}  // namespace tervil
