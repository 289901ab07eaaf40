#include "core/generators/HeadGenerator.h"

#include "core/generators/MarkupText.h"
#include "core/text/Charsets.h"

namespace tervil {

namespace {

constexpr std::string_view kXhtmlNamespace = "http://www.w3.org/1999/xhtml";
constexpr std::array<std::string_view, RobotsCaptions.size()> kRobotsPieces = {
    "all, ", "index, ", "follow, ", "nofollow, ", "noindex, "};

std::string Meta(std::string_view kind, std::string_view key, std::string_view content) {
  return "<meta " + std::string(kind) + "=\"" + std::string(key) + "\" content=\"" +
         EscapeAttribute(content) + "\" />";
}

std::vector<std::string> MetaLines(const THeadOptions& o) {
  std::vector<std::string> lines;
  if (o.Encoding) {
    if (o.ShortCharset)
      lines.push_back("<meta charset=\"" + EscapeAttribute(o.Charset) + "\" />");
    else
      lines.push_back(Meta("http-equiv", "Content-type", "text/html; charset=" + o.Charset));
  }
  if (o.Viewport) lines.push_back(Meta("name", "viewport", "width=device-width, initial-scale=1"));
  if (o.Email) lines.push_back(Meta("http-equiv", "Reply-to", o.EmailText));
  if (o.NoCache) lines.push_back(Meta("http-equiv", "Pragma", "no-cache"));
  if (o.Keywords) lines.push_back(Meta("name", "Keywords", o.KeywordsText));
  if (o.Description) lines.push_back(Meta("name", "Description", o.DescriptionText));
  if (o.Author) lines.push_back(Meta("name", "Author", o.AuthorText));
  if (o.Generator) lines.push_back(Meta("name", "Generator", "Tervil Editor"));
  const std::string robots = RobotsList(o.RobotsChecked);
  if (o.Robots && !robots.empty()) lines.push_back(Meta("name", "Robots", robots));
  if (o.Title) lines.push_back("<title>" + EscapeContent(o.TitleText) + "</title>");
  return lines;
}

}  // namespace

const std::vector<std::string>& DocTypeDeclarations() {
  static const std::vector<std::string> declarations = {
      "<!DOCTYPE html>",
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">",
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">",
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Frameset//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-frameset.dtd\">",
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" "
      "\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">",
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML Basic 1.1//EN\" "
      "\"http://www.w3.org/TR/xhtml-basic/xhtml-basic11.dtd\" >",
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" "
      "\"http://www.w3.org/TR/html4/strict.dtd\">",
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
      "\"http://www.w3.org/TR/html4/loose.dtd\">",
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Frameset//EN\" "
      "\"http://www.w3.org/TR/html4/frameset.dtd\">",
  };
  return declarations;
}

std::vector<std::string> HeadCharsetNames() {
  std::vector<std::string> names;
  for (std::size_t i = 1; i < CharsetTable.size(); ++i) names.emplace_back(CharsetTable[i].name);
  return names;
}

std::string RobotsList(const std::array<bool, RobotsCaptions.size()>& checked) {
  std::string list;
  for (std::size_t i = 0; i < checked.size(); ++i)
    if (checked[i]) list += kRobotsPieces[i];
  const std::size_t comma = list.rfind(',');
  if (comma != std::string::npos) list.erase(comma, 1);
  return list;
}

std::string BuildHeadText(const THeadOptions& o) {
  const std::string indent = o.DocType ? "\t\t" : "";
  std::string out;
  if (o.DocType) {
    out += o.Declaration + "\r";
    if (o.Declaration.find("xhtml") != std::string::npos)
      out += "<html xmlns=\"" + std::string(kXhtmlNamespace) + "\">\r";
    else
      out += "<html>\r";
    out += "\t<head>\r";
  }
  for (const std::string& line : MetaLines(o)) out += indent + line + "\r";
  if (o.DocType) out += "\t</head>\r\t<body>\r\t</body>\r</html>";
  return out;
}

}  // namespace tervil
