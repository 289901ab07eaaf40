#include "core/highlighters/HtmlHighlighter.h"

namespace tervil {

namespace {

const TKeywordSet& HtmlTags() {
  static const TKeywordSet tags(
      {"a",          "abbr",     "acronym",  "address",    "applet",   "area",     "article",
       "aside",      "audio",    "b",        "base",       "basefont", "bdi",      "bdo",
       "bgsound",    "big",      "blink",    "blockquote", "body",     "br",       "button",
       "canvas",     "caption",  "center",   "cite",       "code",     "col",      "colgroup",
       "data",       "datalist", "dd",       "del",        "details",  "dfn",      "dialog",
       "dir",        "div",      "dl",       "dt",         "em",       "embed",    "fieldset",
       "figcaption", "figure",   "font",     "footer",     "form",     "frame",    "frameset",
       "h1",         "h2",       "h3",       "h4",         "h5",       "h6",       "head",
       "header",     "hgroup",   "hr",       "html",       "i",        "iframe",   "ilayer",
       "img",        "input",    "ins",      "isindex",    "kbd",      "keygen",   "label",
       "layer",      "legend",   "li",       "link",       "listing",  "main",     "map",
       "mark",       "marquee",  "menu",     "meta",       "meter",    "multicol", "nav",
       "nobr",       "noembed",  "noframes", "nolayer",    "noscript", "object",   "ol",
       "optgroup",   "option",   "output",   "p",          "param",    "picture",  "plaintext",
       "pre",        "progress", "q",        "rp",         "rt",       "ruby",     "s",
       "samp",       "script",   "search",   "section",    "select",   "server",   "slot",
       "small",      "source",   "spacer",   "span",       "strike",   "strong",   "style",
       "sub",        "summary",  "sup",      "svg",        "table",    "tbody",    "td",
       "template",   "textarea", "tfoot",    "th",         "thead",    "time",     "title",
       "tr",         "track",    "tt",       "u",          "ul",       "var",      "video",
       "wbr",        "xmp",      "math"},
      true);
  return tags;
}

}  // namespace

THtmlHighlighter::THtmlHighlighter()
    : TMarkupHighlighter("HTML", "HTML Document (*.htm,*.html)|*.htm;*.html") {
  style_.comment = AddAttribute("Comment", clSilver, fsItalic);
  style_.declaration = AddAttribute("Doctype", clGray);
  style_.processing = style_.declaration;
  style_.cdata = style_.declaration;
  style_.entity = AddAttribute("Entity", clOlive, fsPlain);
  style_.attributeName = AddAttribute("Identifier", 0x002359);
  style_.tagName = AddAttribute("Reserved Word", clNavy, fsBold);
  style_.space = AddAttribute("Space");
  style_.symbol = AddAttribute("Symbol", clNavy, fsPlain);
  style_.text = AddAttribute("Text");
  style_.unknownTagName = AddAttribute("Unknown Word", clNavy, fsItalic);
  style_.attributeValue = AddAttribute("Value", 0x006A00);
  style_.knownTags = &HtmlTags();

  SetMarkupDefaults();
}

}  // namespace tervil
