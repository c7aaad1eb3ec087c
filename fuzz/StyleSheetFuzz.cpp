// Fuzz target: arbitrary bytes as the timetable's style sheet, loaded into
// a document and used to transform a small timetable document, as the
// add-in does with the files of its folder. Besides the sanitizers'
// findings it checks that a style sheet that did not load (the document is
// left empty) always fails the transformation, and that an HTML result is
// labelled UTF-16 and nothing else.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/xml/XmlDom.h"

namespace {

constexpr const char16_t* kDocument =
    u"<Imsakyya><ReadingOrder>LTR</ReadingOrder><Location><City>A &amp; \"B\"</City></Location>"
    u"<Orvane><Date dayofweek=\"Friday\" day=\"8\" month=\"December\" year=\"2026\"><Fajr>5:23 AM</Fajr>"
    u"<Isha/></Date></Orvane></Imsakyya>";

ComPtr<IXMLDOMDocument2> NewDocument() {
  ComPtr<IXMLDOMDocument2> document;
  if (FAILED(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument2::kIID,
                              document.ReleaseAndGetVoidAddress()))) {
    std::abort();
  }
  return document;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Deep recursion is refused by libxslt itself; keep inputs to what a
  // style sheet is.
  if (size > 64 * 1024) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ComPtr<IXMLDOMDocument2> document = NewDocument();
  VARIANT_BOOL ok = VARIANT_FALSE;
  if (document->loadXML(CComBSTR(std::u16string_view(kDocument)).Get(), &ok) != S_OK || ok != VARIANT_TRUE) std::abort();

  ComPtr<IXMLDOMDocument2> sheet = NewDocument();
  const HRESULT loaded = sheet->loadXML(CComBSTR(bytes.c_str()).Get(), &ok);
  if (FAILED(loaded)) std::abort();  // a bad file is no failure of the load itself
  CComBSTR result;
  const HRESULT transformed = document->transformNode(sheet.Get(), &result);
  if (ok == VARIANT_FALSE && SUCCEEDED(transformed)) {
    std::fprintf(stderr, "an empty style sheet transformed\n");
    std::abort();
  }
  if (SUCCEEDED(transformed) && result.View().find(u"charset=UTF-8") != std::u16string_view::npos &&
      result.View().find(u"http-equiv") != std::u16string_view::npos) {
    std::fprintf(stderr, "HTML output labelled UTF-8\n");
    std::abort();
  }
  return 0;
}
