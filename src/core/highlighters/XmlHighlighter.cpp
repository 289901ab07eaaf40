#include "core/highlighters/XmlHighlighter.h"

namespace tervil {

TXmlHighlighter::TXmlHighlighter()
    : TMarkupHighlighter(
          "XML", "XML Document (*.xml,*.xsd,*.xsl,*.xslt,*.dtd)|*.xml;*.xsd;*.xsl;*.xslt;*.dtd") {
  style_.attributeName = AddAttribute("Attribute Name", 0x00336A);
  style_.attributeValue = AddAttribute("Attribute Value", 0x006A00, fsPlain);
  style_.cdata = AddAttribute("CDATA Section", clOlive, fsItalic);
  style_.comment = AddAttribute("Comment", clGray, fsItalic);
  style_.declaration = AddAttribute("DOCTYPE Section", clTeal);
  style_.tagName = AddAttribute("Element Name", clBlue);
  style_.entity = AddAttribute("Entity Reference", clOlive, fsBold);
  style_.processing = AddAttribute("Processing Instruction", clPurple);
  style_.space = AddAttribute("Space");
  style_.symbol = AddAttribute("Symbol", clNavy);
  style_.text = AddAttribute("Text");
  style_.unknownTagName = style_.tagName;
  style_.xml = true;

  SetMarkupDefaults();
}

}  // namespace tervil
