#include "core/generators/DocumentTypes.h"

namespace tervil {

namespace {

// The skeleton of an HTML5 page, indented as the head generator indents its markup.
constexpr std::string_view kHtml5Skeleton =
    "<!DOCTYPE html>\n"
    "<html>\n"
    "\t<head>\n"
    "\t\t<meta charset=\"utf-8\" />\n"
    "\t\t<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\" />\n"
    "\t\t<title></title>\n"
    "\t</head>\n"
    "\t<body>\n"
    "\t</body>\n"
    "</html>";

}  // namespace

const std::vector<TDocumentType>& DocumentTypes() {
  static const std::vector<TDocumentType> types = {
      {"CSS", "Cascading Style Sheet", ".css", "", false},
      {"HTML", "", ".html", "", false},
      {"HTML5", "", ".html", std::string(kHtml5Skeleton), false},
      {"JavaScript", "JavaScript", ".js", "", false},
      {"Perl", "Perl", ".pl", "#!/usr/bin/perl -w", false},
      {"PHP", "", ".php", "", false},
      {"SQL", "SQL", ".sql", "", false},
      {"TXT", "General", ".txt", "", true},
      {"XML", "XML", ".xml", "<?xml version=\"1.0\"?>", false},
  };
  return types;
}

const TDocumentType* FindDocumentType(std::string_view caption) {
  for (const TDocumentType& type : DocumentTypes())
    if (type.Caption == caption) return &type;
  return nullptr;
}

std::string NewDocumentFileName(std::string_view typed, const TDocumentType& type) {
  std::string name(typed);
  if (name.empty()) return name;
  const std::size_t slash = name.rfind('/');
  const std::size_t dot = name.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  if (!hasExtension) name += type.Extension;
  return name;
}

}  // namespace tervil
