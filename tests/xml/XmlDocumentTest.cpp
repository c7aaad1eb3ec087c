// The XML document the timetable uses, through its class identifier as the
// add-in reaches it: building, text that is text, loading style sheets that
// are missing or broken, and the HTML transformation's character-set label.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/text/TextConvert.h"
#include "platform/xml/XmlDom.h"
#include "tests/support/TestProfile.h"

namespace {

ComPtr<IXMLDOMDocument2> NewDocument() {
  ComPtr<IXMLDOMDocument2> document;
  EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument2::kIID,
                             document.ReleaseAndGetVoidAddress()),
            S_OK);
  return document;
}

ComPtr<IXMLDOMElement> AppendElement(IXMLDOMDocument2* document, IXMLDOMNode* parent, const char16_t* name,
                                     const char16_t* text = nullptr) {
  ComPtr<IXMLDOMElement> element;
  EXPECT_EQ(document->createElement(CComBSTR(name).Get(), element.ReleaseAndGetAddressOf()), S_OK);
  if (text != nullptr) {
    EXPECT_EQ(element->put_text(CComBSTR(text).Get()), S_OK);
  }
  EXPECT_EQ(parent->appendChild(element.Get(), nullptr), S_OK);
  return element;
}

void AddAttribute(IXMLDOMDocument2* document, IXMLDOMElement* element, const char16_t* name, const char16_t* value) {
  ComPtr<IXMLDOMAttribute> attribute;
  ASSERT_EQ(document->createAttribute(CComBSTR(name).Get(), attribute.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_EQ(attribute->put_text(CComBSTR(value).Get()), S_OK);
  ComPtr<IXMLDOMNamedNodeMap> map;
  ASSERT_EQ(element->get_attributes(map.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_EQ(map->setNamedItem(attribute.Get(), nullptr), S_OK);
}

std::u16string Xml(IXMLDOMNode* node) {
  CComBSTR xml;
  EXPECT_EQ(node->get_xml(&xml), S_OK);
  return std::u16string(xml.View());
}

VARIANT_BOOL Load(IXMLDOMDocument2* document, const std::string& path, HRESULT* hr) {
  CComVariant source = CComVariant::Str(path.c_str());
  VARIANT_BOOL ok = VARIANT_TRUE;
  *hr = document->load(source, &ok);
  return ok;
}

constexpr const char* kHtmlSheet = R"(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html"/>
  <xsl:template match="/">
    <html><head><title>t</title></head><body><p><xsl:value-of select="/Root/City"/></p></body></html>
  </xsl:template>
</xsl:stylesheet>)";

class XmlDocumentTest : public ::testing::Test {
 protected:
  void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(m_profile.Dir() / name, std::ios::binary) << text;
  }
  std::string PathOf(const std::string& name) { return (m_profile.Dir() / name).string(); }
  TestProfile m_profile;
};

TEST_F(XmlDocumentTest, TheClassIsServedWithoutARegistryEntry) {
  ComPtr<IXMLDOMDocument2> document = NewDocument();
  ASSERT_TRUE(document);
  ComPtr<IXMLDOMDocument> plain;
  EXPECT_EQ(document.As(&plain), S_OK);
  CComBSTR name;
  EXPECT_EQ(document->get_nodeName(&name), S_OK);
  EXPECT_EQ(name.View(), u"#document");
}

TEST_F(XmlDocumentTest, BuildsInOrderAndKeepsTextAsText) {
  ComPtr<IXMLDOMDocument2> document = NewDocument();
  ComPtr<IXMLDOMProcessingInstruction> declaration;
  ASSERT_EQ(document->createProcessingInstruction(CComBSTR(u"xml").Get(),
                                                  CComBSTR(u"version=\"1.0\" encoding=\"utf-16\"").Get(),
                                                  declaration.ReleaseAndGetAddressOf()),
            S_OK);
  ASSERT_EQ(document->appendChild(declaration.Get(), nullptr), S_OK);
  ComPtr<IXMLDOMElement> root = AppendElement(document.Get(), document.Get(), u"Root");
  // Quotes, ampersands, angle brackets and line breaks a user may type.
  AppendElement(document.Get(), root.Get(), u"City", u"Al \"Quds\" & <Jerusalem>\nعربي");
  ComPtr<IXMLDOMElement> date = AppendElement(document.Get(), root.Get(), u"Date");
  AddAttribute(document.Get(), date.Get(), u"day", u"8");
  AddAttribute(document.Get(), date.Get(), u"month", u"d\"é'c & <x>");
  AddAttribute(document.Get(), date.Get(), u"day", u"9");  // the same name again replaces

  EXPECT_EQ(Xml(document.Get()),
            u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\n"
            u"<Root><City>Al \"Quds\" &amp; &lt;Jerusalem&gt;\nعربي</City>"
            u"<Date month=\"d&quot;é'c &amp; &lt;x&gt;\" day=\"9\"/></Root>\n");

  ComPtr<IXMLDOMNode> first;
  ASSERT_EQ(document->get_firstChild(first.ReleaseAndGetAddressOf()), S_OK);
  CComBSTR target;
  first->get_nodeName(&target);
  EXPECT_EQ(target.View(), u"xml");
  ComPtr<IXMLDOMNode> second;
  ASSERT_EQ(first->get_nextSibling(second.ReleaseAndGetAddressOf()), S_OK);
  CComBSTR text;
  ASSERT_EQ(second->get_text(&text), S_OK);
  EXPECT_EQ(text.View(), u"Al \"Quds\" & <Jerusalem>\nعربي");

  ComPtr<IXMLDOMNamedNodeMap> map;
  ASSERT_EQ(date->get_attributes(map.ReleaseAndGetAddressOf()), S_OK);
  LONG length = 0;
  map->get_length(&length);
  EXPECT_EQ(length, 2);
}

TEST_F(XmlDocumentTest, RefusesWhatWouldBreakTheTree) {
  ComPtr<IXMLDOMDocument2> document = NewDocument();
  ComPtr<IXMLDOMElement> element;
  EXPECT_TRUE(FAILED(document->createElement(CComBSTR(u"no spaces").Get(), element.ReleaseAndGetAddressOf())));
  ComPtr<IXMLDOMElement> root = AppendElement(document.Get(), document.Get(), u"Root");
  ComPtr<IXMLDOMElement> second;
  ASSERT_EQ(document->createElement(CComBSTR(u"Second").Get(), second.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_TRUE(FAILED(document->appendChild(second.Get(), nullptr))) << "one root element only";
  EXPECT_TRUE(FAILED(root->appendChild(root.Get(), nullptr)));
  // Moving the root under Second (which hangs nowhere); then Root cannot take its ancestor.
  EXPECT_EQ(second->appendChild(root.Get(), nullptr), S_OK);
  EXPECT_TRUE(FAILED(root->appendChild(second.Get(), nullptr)));
  ComPtr<IXMLDOMDocument2> other = NewDocument();
  ComPtr<IXMLDOMElement> foreign;
  ASSERT_EQ(other->createElement(CComBSTR(u"Foreign").Get(), foreign.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(second->appendChild(foreign.Get(), nullptr), E_INVALIDARG);
  ComPtr<IXMLDOMProcessingInstruction> pi;
  EXPECT_TRUE(FAILED(document->createProcessingInstruction(CComBSTR(u"x").Get(), CComBSTR(u"a ?> b").Get(),
                                                           pi.ReleaseAndGetAddressOf())));
  // Nodes never appended, and the tree Second holds, go with the document
  // without leaking (the sanitizer build checks).
}

TEST_F(XmlDocumentTest, HtmlOutputIsLabelledUtf16) {
  WriteFile("page.xsl", kHtmlSheet);
  ComPtr<IXMLDOMDocument2> document = NewDocument();
  ComPtr<IXMLDOMElement> root = AppendElement(document.Get(), document.Get(), u"Root");
  AppendElement(document.Get(), root.Get(), u"City", u"مكة & <Mecca>");
  ComPtr<IXMLDOMDocument2> sheet = NewDocument();
  HRESULT hr = E_FAIL;
  EXPECT_EQ(Load(sheet.Get(), PathOf("page.xsl"), &hr), VARIANT_TRUE);
  EXPECT_EQ(hr, S_OK);
  CComBSTR html;
  ASSERT_EQ(document->transformNode(sheet.Get(), &html), S_OK);
  const std::u16string text(html.View());
  EXPECT_NE(text.find(u"content=\"text/html; charset=UTF-16\""), std::u16string::npos) << text::Utf16ToUtf8(text);
  EXPECT_EQ(text.find(u"UTF-8"), std::u16string::npos);
  EXPECT_NE(text.find(u"<p>مكة &amp; &lt;Mecca&gt;</p>"), std::u16string::npos);
  // The style sheet document is left as it was and serves again.
  CComBSTR again;
  ASSERT_EQ(document->transformNode(sheet.Get(), &again), S_OK);
  EXPECT_EQ(again.View(), html.View());
}

TEST_F(XmlDocumentTest, AMissingOrBrokenStyleSheetFailsTheTransformationNotTheLoad) {
  WriteFile("broken.xsl", std::string(kHtmlSheet).substr(0, 200));
  WriteFile("notxslt.xsl", "<Root/>");
  ComPtr<IXMLDOMDocument2> document = NewDocument();
  AppendElement(document.Get(), document.Get(), u"Root");
  for (const char* name : {"missing.xsl", "broken.xsl", "notxslt.xsl"}) {
    SCOPED_TRACE(name);
    ComPtr<IXMLDOMDocument2> sheet = NewDocument();
    HRESULT hr = E_FAIL;
    const VARIANT_BOOL ok = Load(sheet.Get(), PathOf(name), &hr);
    EXPECT_FALSE(FAILED(hr));
    CComBSTR html;
    EXPECT_TRUE(FAILED(document->transformNode(sheet.Get(), &html)));
    EXPECT_FALSE(xml::LastErrorText().empty());
    if (std::string(name) != "notxslt.xsl") {
      EXPECT_EQ(ok, VARIANT_FALSE);
      EXPECT_EQ(hr, S_FALSE);
    }
  }
  // A folder in place of a file (the path of an unknown range) likewise.
  ComPtr<IXMLDOMDocument2> sheet = NewDocument();
  HRESULT hr = E_FAIL;
  EXPECT_EQ(Load(sheet.Get(), m_profile.Dir().string() + "/", &hr), VARIANT_FALSE);
  CComBSTR html;
  EXPECT_TRUE(FAILED(document->transformNode(sheet.Get(), &html)));
}

TEST_F(XmlDocumentTest, AStyleSheetCannotWriteFilesOrReadOutsideEntities) {
  WriteFile("secret.txt", "secret");
  WriteFile("writer.xsl", R"(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:exsl="http://exslt.org/common" extension-element-prefixes="exsl">
  <xsl:template match="/"><exsl:document href=")" + PathOf("written.txt") + R"(">x</exsl:document><out/></xsl:template>
</xsl:stylesheet>)");
  ComPtr<IXMLDOMDocument2> document = NewDocument();
  AppendElement(document.Get(), document.Get(), u"Root");
  ComPtr<IXMLDOMDocument2> sheet = NewDocument();
  HRESULT hr = E_FAIL;
  Load(sheet.Get(), PathOf("writer.xsl"), &hr);
  CComBSTR out;
  EXPECT_TRUE(FAILED(document->transformNode(sheet.Get(), &out)));
  EXPECT_FALSE(std::filesystem::exists(m_profile.Dir() / "written.txt"));

  ComPtr<IXMLDOMDocument2> entity = NewDocument();
  VARIANT_BOOL ok = VARIANT_FALSE;
  const std::string text = "<!DOCTYPE r [<!ENTITY s SYSTEM \"file://" + PathOf("secret.txt") + "\">]><r>&s;</r>";
  entity->loadXML(CComBSTR(text.c_str()).Get(), &ok);
  CComBSTR content;
  entity->get_text(&content);
  EXPECT_EQ(content.View().find(u"secret"), std::u16string_view::npos);
}

}  // namespace
