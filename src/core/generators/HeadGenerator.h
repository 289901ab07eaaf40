#pragma once

// The text of the head generator: a document type declaration with the html, head and body
// skeleton, meta tags and a title, from the options the user checked.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tervil {

// The document type declarations offered, in list order.
const std::vector<std::string>& DocTypeDeclarations();

// The character-set names offered: the charset table without its empty first row.
std::vector<std::string> HeadCharsetNames();

// The robots choices, in their fixed order, and the piece each adds to the robots list.
inline constexpr std::array<std::string_view, 5> RobotsCaptions = {"ALL", "INDEX", "FOLLOW",
                                                                   "NOFOLLOW", "NOINDEX"};

// What the user checked and typed. An unchecked option writes nothing whatever its value.
struct THeadOptions {
  bool DocType = false;
  std::string Declaration;  // the chosen declaration, empty when none was chosen
  bool Encoding = false;
  std::string Charset;        // empty when none was chosen
  bool ShortCharset = false;  // write the charset as <meta charset="..." /> (HTML5)
  bool Viewport = false;      // a viewport meta tag for small screens
  bool Email = false;
  std::string EmailText;
  bool NoCache = false;
  bool Keywords = false;
  std::string KeywordsText;
  bool Description = false;
  std::string DescriptionText;
  bool Author = false;
  std::string AuthorText;
  bool Generator = false;
  bool Robots = false;
  std::array<bool, RobotsCaptions.size()> RobotsChecked{};
  bool Title = false;
  std::string TitleText;
};

// The robots list of the checked items, for example "index, nofollow " (the last comma goes, the
// space after it stays); empty when nothing is checked.
std::string RobotsList(const std::array<bool, RobotsCaptions.size()>& checked);

// The generated text; lines end with CR. Typed values are escaped for HTML.
std::string BuildHeadText(const THeadOptions& options);

}  // namespace tervil
