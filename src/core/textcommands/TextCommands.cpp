#include "core/textcommands/TextCommands.h"

#include <algorithm>
#include <array>

#include "core/common/Utf8.h"

namespace tervil {

namespace {

constexpr std::array<THtmlInsertRow, 30> kHtmlRows = {{
    {"htmlBold", "Bold", "Ctrl+B", "Bold|<b></b>", "format-text-bold"},
    {"htmlUnderline", "Underline", "Ctrl+U", "Underline|<u></u>", "format-text-underline"},
    {"htmlItalic", "Italic", "Ctrl+I", "Italic|<i></i>", "format-text-italic"},
    {"htmlBreakLine", "Break Line", "Ctrl+Return", "Break Line|<br />", "tervil-br"},
    {"htmlHR", "Horizontal Line", "", "Horizontal Line|<hr />", "insert-horizontal-rule"},
    {"htmlTable", "Table", "", "Table|<table></table>", "insert-table"},
    {"htmlRow", "Row", "", "Row|<tr></tr>", "tervil-tr"},
    {"htmlCell", "Cell", "", "Cell|<td></td>", "tervil-td"},
    {"htmlPara", "Paragraph", "Ctrl+P", "Paragraph|<p></p>", "tervil-p"},
    {"htmlDiv", "Div", "Ctrl+D", "Div|<div></div>", "tervil-div"},
    {"htmlBlockquote", "Blockquote", "", "Blockquote|<blockquote></blockquote>",
     "format-text-blockquote"},
    {"htmlPre", "Preformatted", "", "Preformatted|<pre></pre>", "tervil-pre"},
    {"htmlOList", "Ordered List", "", "Ordered List|<ol><li></li></ol>", "format-list-ordered"},
    {"htmlUList", "Unordered List", "", "Unordered List|<ul><li></li></ul>",
     "format-list-unordered"},
    {"htmlLink", "Link", "", "Link|<a href=\"\"></a>", "insert-link"},
    {"htmlImg", "Image", "", "Image|<img></img>", "insert-image"},
    {"htmlComment", "Comment", "", "Comment|Comment", "tervil-comment"},
    {"htmlH", "Header", "", "Header|Header", "tervil-h"},
    {"htmlSpan", "Span", "", "Span|<span></span>", "tervil-span"},
    {"htmlH1", "Header 1", "", "Header 1|<h1></h1>", "tervil-h1"},
    {"htmlH2", "Header 2", "", "Header 2|<h2></h2>", "tervil-h2"},
    {"htmlH3", "Header 3", "", "Header 3|<h3></h3>", "tervil-h3"},
    {"htmlH4", "Header 4", "", "Header 4|<h4></h4>", "tervil-h4"},
    {"htmlH5", "Header 5", "", "Header 5|<h5></h5>", "tervil-h5"},
    {"htmlH6", "Header 6", "", "Header 6|<h6></h6>", "tervil-h6"},
    {"lt", "lt", "Ctrl+,", "Lesser sign|&lt;", "tervil-lt"},
    {"gt", "gt", "Ctrl+.", "Greater sign|&gt;", "tervil-gt"},
    {"nbsp", "nbsp", "", "Non-breakable space|&nbsp;", "tervil-nbsp"},
    {"quot", "quot", "Ctrl+'", "Quot|&quot;", "tervil-quot"},
    {"cdata", "cdata", "", "CDATA|CDATA", "tervil-cdata"},
}};

// Opener and closer of the simple rows (everything but the lists, the link and the image).
struct TTagPair {
  std::string_view opener;
  std::string_view closer;
};

constexpr std::array<TTagPair, 30> kPairs = {{
    {"<b>", "</b>"},
    {"<u>", "</u>"},
    {"<i>", "</i>"},
    {"<br />", ""},
    {"<hr />", ""},
    {"<table>\r", "</table>"},
    {"<tr>", "</tr>"},
    {"<td>", "</td>"},
    {"<p>", "</p>"},
    {"<div>", "</div>"},
    {"<blockquote>", "</blockquote>"},
    {"<pre>", "</pre>"},
    {"", ""},
    {"", ""},
    {"<a>", "</a>"},
    {"<img />", ""},
    {"<!-- ", " -->"},
    {"<h1>", "</h1>"},
    {"<span>", "</span>"},
    {"<h1>", "</h1>"},
    {"<h2>", "</h2>"},
    {"<h3>", "</h3>"},
    {"<h4>", "</h4>"},
    {"<h5>", "</h5>"},
    {"<h6>", "</h6>"},
    {"&lt;", ""},
    {"&gt;", ""},
    {"&nbsp;", ""},
    {"&quot;", ""},
    {"<![CDATA[", "]]>"},
}};

constexpr int kHtmlTagLink = 14;
constexpr int kHtmlTagImg = 15;

constexpr std::array<std::string_view, 34> kServerVariables = {
    "PHP_SELF",
    "GATEWAY_INTERFACE",
    "SERVER_ADDR",
    "SERVER_NAME",
    "SERVER_SOFTWARE",
    "SERVER_PROTOCOL",
    "REQUEST_METHOD",
    "REQUEST_TIME",
    "QUERY_STRING",
    "DOCUMENT_ROOT",
    "HTTP_ACCEPT",
    "HTTP_ACCEPT_CHARSET",
    "HTTP_ACCEPT_ENCODING",
    "HTTP_ACCEPT_LANGUAGE",
    "HTTP_CONNECTION",
    "HTTP_HOST",
    "HTTP_REFERER",
    "HTTP_USER_AGENT",
    "HTTPS",
    "REMOTE_ADDR",
    "REMOTE_HOST",
    "REMOTE_PORT",
    "SCRIPT_FILENAME",
    "SERVER_ADMIN",
    "SERVER_PORT",
    "SERVER_SIGNATURE",
    "PATH_TRANSLATED",
    "SCRIPT_NAME",
    "REQUEST_URI",
    "PHP_AUTH_DIGEST",
    "PHP_AUTH_USER",
    "PHP_AUTH_PW",
    "AUTH_TYPE",
    "HTTP_X_REQUESTED_WITH",
};

bool IsBlankByte(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlankByte(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankByte(text.back())) text.remove_suffix(1);
  return text;
}

// The pieces of a selection split after each line feed (each piece but the last keeps its
// line break).
std::vector<std::string_view> LinePieces(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t lf = text.find('\n'); lf != std::string_view::npos;
       lf = text.find('\n', start)) {
    pieces.push_back(text.substr(start, lf + 1 - start));
    start = lf + 1;
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

std::string AsciiCaseMapped(std::string_view text, char from, char to) {
  std::string out(text);
  const int shift = to - from;
  for (char& c : out)
    if (c >= from && c <= from + 25) c = static_cast<char>(c + shift);
  return out;
}

// Runs a conversion that works character by character on slices ending at line breaks, so a
// user interface can follow the progress of a big text.
template <typename Convert>
std::string ConvertInSlices(std::string_view text, const TProgressCallback& progress,
                            Convert convert) {
  constexpr std::size_t kSlice = 64 * 1024;
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  std::size_t pos = 0;
  int reported = -1;
  while (pos < text.size()) {
    std::size_t end = std::min(text.size(), pos + kSlice);
    const std::size_t lf = text.find('\n', end);
    end = lf == std::string_view::npos ? text.size() : std::min(text.size(), lf + 1);
    out += convert(text.substr(pos, end - pos));
    pos = end;
    const int percent = static_cast<int>(pos * 100 / text.size());
    if (progress && percent != reported) progress(reported = percent);
  }
  return out;
}

}  // namespace

std::span<const THtmlInsertRow> HtmlInsertRows() {
  return kHtmlRows;
}

std::size_t EditorOffsetLength(std::string_view text) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      length += 2;
    } else if (c == '\n') {
      length += 2;
    } else if (!utf8::IsContinuation(static_cast<unsigned char>(c))) {
      ++length;
    }
  }
  return length;
}

TTextInsertion WrapSelection(std::string_view opener, std::string_view closer,
                             std::string_view selection, TCaretSide side) {
  TTextInsertion result;
  result.text.reserve(opener.size() + selection.size() + closer.size());
  result.text.append(opener).append(selection).append(closer);
  if (selection.empty() || side == TCaretSide::Start) {
    const std::string_view trimmed = TrimBlanks(opener);
    result.caret = EditorOffsetLength(opener.substr(0, opener.find(trimmed) + trimmed.size()));
  } else {
    result.caret = EditorOffsetLength(opener) + EditorOffsetLength(selection);
  }
  return result;
}

std::string ListMarkup(std::string_view selection, std::string_view outerTag,
                       std::string_view itemTag) {
  const std::string items = TTextProcessor::WrapLinesInTag(selection, itemTag);
  std::string out;
  out.append("<").append(outerTag).append(">");
  out.append(TrimBlanks(items));
  out.append("</").append(outerTag).append(">");
  return out;
}

TTextInsertion HtmlTagInsertion(int tag, std::string_view selection, TCaretSide side) {
  if (tag < 0 || tag >= static_cast<int>(kPairs.size())) return {std::string(selection)};
  if (tag == kHtmlTagOList || tag == kHtmlTagUList)
    return {ListMarkup(selection, tag == kHtmlTagOList ? "ol" : "ul", "li")};
  const bool longSelection = utf8::CountCharsTolerant(selection) >= 4;
  if (tag == kHtmlTagLink && longSelection)
    return WrapSelection("<a href=\"" + std::string(selection) + "\">", "</a>", selection, side);
  if (tag == kHtmlTagImg && longSelection)
    return WrapSelection("<img src=\"", "\" />", selection, side);
  const TTagPair& pair = kPairs[static_cast<std::size_t>(tag)];
  std::string_view closer = pair.closer;
  if (tag == kHtmlTagQuot && !selection.empty()) closer = pair.opener;
  TTextInsertion result = WrapSelection(pair.opener, closer, selection, side);
  if (tag >= kHtmlTagLt && tag <= kHtmlTagQuot) result.caret = TTextInsertion::kAfterText;
  return result;
}

std::string CommentOutLines(std::string_view selection) {
  std::string out;
  out.reserve(selection.size() + selection.size() / 16 + 3);
  const std::vector<std::string_view> pieces = LinePieces(selection);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const bool lineAfterSelection = i + 1 == pieces.size() && i > 0 && pieces[i].empty();
    if (!lineAfterSelection) out += "// ";
    out += pieces[i];
  }
  return out;
}

std::string RemoveLineComments(std::string_view selection) {
  std::string out;
  out.reserve(selection.size());
  for (std::string_view piece : LinePieces(selection)) {
    if (TrimBlanks(piece.substr(0, 3)) == "//") {
      const std::size_t slashes = piece.find("//");
      out.append(piece.substr(0, slashes));
      piece.remove_prefix(slashes + 2);
      if (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t')) piece.remove_prefix(1);
    }
    out.append(piece);
  }
  return out;
}

std::string AsciiLowerCase(std::string_view text) {
  return AsciiCaseMapped(text, 'A', 'a');
}

std::string AsciiUpperCase(std::string_view text) {
  return AsciiCaseMapped(text, 'a', 'A');
}

std::string ConvertText(TTextConversion conversion, std::string_view text,
                        const TProgressCallback& progress) {
  switch (conversion) {
    case TTextConversion::ToHtml:
      return ConvertInSlices(text, progress, &TTextProcessor::TextToHtml);
    case TTextConversion::EscapeQuotes:
      return ConvertInSlices(text, progress, &TTextProcessor::EscapeQuotes);
    case TTextConversion::LowerCase:
      return ConvertInSlices(text, progress, &AsciiLowerCase);
    case TTextConversion::UpperCase:
      return ConvertInSlices(text, progress, &AsciiUpperCase);
    case TTextConversion::Unformat:
      return TTextProcessor::UnformatTags(text, progress);
    case TTextConversion::TagsLowerCase:
      return TTextProcessor::LowerCaseTags(text);
    case TTextConversion::TagsUpperCase:
      return TTextProcessor::UpperCaseTags(text);
  }
  return std::string(text);
}

std::string BreakTextLines(std::string_view lines, int width) {
  TStringList items;
  std::size_t start = 0;
  for (;;) {
    const std::size_t lf = lines.find('\n', start);
    std::string_view line = lines.substr(start, lf == std::string_view::npos ? lf : lf - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    items.emplace_back(line);
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  TTextProcessor::BreakLines(items, width);
  return JoinLines(items, "\r\n");
}

std::span<const std::string_view> PhpServerVariables() {
  return kServerVariables;
}

std::string PhpServerVariableText(std::string_view name) {
  return "$_SERVER['" + std::string(name) + "']";
}

}  // namespace tervil
