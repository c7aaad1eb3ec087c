#pragma once
// The XML document object the timetable builds and transforms, with the
// members of Microsoft's XML DOM it uses and their results: a document
// creates elements, attributes and processing instructions, nodes take text
// and children, an element's attribute map takes attributes, a document
// loads a style sheet file and transforms a node with it into UTF-16 text.
// Over libxml2 and libxslt.
//
// The document class is served by the platform itself, as Windows' own XML
// parser is always registered: CoCreateInstance(CLSID_DOMDocument, ...,
// IID_IXMLDOMDocument2) works without any registry entry. Objects are
// apartment-bound: one thread uses a document and its nodes.
//
// A node handed out keeps its document alive. A node created and never
// appended goes with its last reference.

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

inline constexpr CLSID CLSID_DOMDocument = MakeGuid("{F6D90F11-9C73-11D3-B32E-00C04F990BB4}");

struct IXMLDOMNamedNodeMap;

struct IXMLDOMNode : IUnknown {
  static constexpr IID kIID = MakeGuid("{2933BF80-7B36-11D2-B20E-00C04F983E60}");
  // The node's name: an element's or attribute's name, a processing
  // instruction's target, "#document" for a document.
  virtual HRESULT get_nodeName(BSTR* name) = 0;
  // The text of the node and its descendants, concatenated.
  virtual HRESULT get_text(BSTR* text) = 0;
  // Replaces the node's children with one text (taken as it is: markup
  // characters are text, not markup).
  virtual HRESULT put_text(BSTR text) = 0;
  // Appends newChild (which must belong to this node's document and have no
  // parent yet) as the last child; *outNewChild (may be null) is the child.
  virtual HRESULT appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNewChild) = 0;
  // The element's attributes; S_FALSE and null for other nodes.
  virtual HRESULT get_attributes(IXMLDOMNamedNodeMap** map) = 0;
  // The first child, S_FALSE and null when there is none; the next sibling likewise.
  virtual HRESULT get_firstChild(IXMLDOMNode** child) = 0;
  virtual HRESULT get_nextSibling(IXMLDOMNode** sibling) = 0;
  // The node and its descendants as XML text.
  virtual HRESULT get_xml(BSTR* xml) = 0;
  // Transforms this node's document with the style sheet document of
  // `stylesheet` into text. E_FAIL when the style sheet document is empty
  // (a missing or malformed file loaded into it) or is no style sheet, or
  // when the transformation fails. HTML output carries a meta element with
  // "charset=UTF-16", the encoding of the text returned.
  virtual HRESULT transformNode(IXMLDOMNode* stylesheet, BSTR* xmlString) = 0;

 protected:
  ~IXMLDOMNode() = default;
};

struct IXMLDOMElement : IXMLDOMNode {
  static constexpr IID kIID = MakeGuid("{2933BF86-7B36-11D2-B20E-00C04F983E60}");

 protected:
  ~IXMLDOMElement() = default;
};

struct IXMLDOMAttribute : IXMLDOMNode {
  static constexpr IID kIID = MakeGuid("{2933BF85-7B36-11D2-B20E-00C04F983E60}");

 protected:
  ~IXMLDOMAttribute() = default;
};

struct IXMLDOMProcessingInstruction : IXMLDOMNode {
  static constexpr IID kIID = MakeGuid("{2933BF89-7B36-11D2-B20E-00C04F983E60}");

 protected:
  ~IXMLDOMProcessingInstruction() = default;
};

struct IXMLDOMNamedNodeMap : IUnknown {
  static constexpr IID kIID = MakeGuid("{2933BF83-7B36-11D2-B20E-00C04F983E60}");
  // Adds an attribute created by the same document; one of the same name is
  // replaced. *outNode (may be null) is the attribute added.
  virtual HRESULT setNamedItem(IXMLDOMNode* attribute, IXMLDOMNode** outNode) = 0;
  // The attribute of that name; S_FALSE and null when there is none.
  virtual HRESULT getNamedItem(BSTR name, IXMLDOMNode** attribute) = 0;
  virtual HRESULT get_length(LONG* length) = 0;
  // The attribute at index 0.. in order of addition; S_FALSE and null past the end.
  virtual HRESULT get_item(LONG index, IXMLDOMNode** attribute) = 0;

 protected:
  ~IXMLDOMNamedNodeMap() = default;
};

struct IXMLDOMDocument : IXMLDOMNode {
  static constexpr IID kIID = MakeGuid("{2933BF81-7B36-11D2-B20E-00C04F983E60}");
  virtual HRESULT createElement(BSTR tagName, IXMLDOMElement** element) = 0;
  virtual HRESULT createAttribute(BSTR name, IXMLDOMAttribute** attribute) = 0;
  virtual HRESULT createProcessingInstruction(BSTR target, BSTR data,
                                              IXMLDOMProcessingInstruction** instruction) = 0;
  // The root element; S_FALSE and null when there is none.
  virtual HRESULT get_documentElement(IXMLDOMElement** element) = 0;
  // Loading is always synchronous here; the setting is kept for callers.
  virtual HRESULT put_async(VARIANT_BOOL isAsync) = 0;
  // Replaces the document with the file named by the BSTR `source` (a path,
  // or a Windows path mapped as the platform maps them). A file that is
  // missing or is not well-formed XML leaves the document empty and answers
  // S_FALSE with *isSuccessful VARIANT_FALSE: the load itself does not fail.
  // No network access and no external entities.
  virtual HRESULT load(VARIANT source, VARIANT_BOOL* isSuccessful) = 0;
  // As load, from text.
  virtual HRESULT loadXML(BSTR xml, VARIANT_BOOL* isSuccessful) = 0;

 protected:
  ~IXMLDOMDocument() = default;
};

struct IXMLDOMDocument2 : IXMLDOMDocument {
  static constexpr IID kIID = MakeGuid("{2933BF95-7B36-11D2-B20E-00C04F983E60}");

 protected:
  ~IXMLDOMDocument2() = default;
};

namespace xml {

// The class object of CLSID_DOMDocument (an IClassFactory).
HRESULT GetDocumentClassObject(REFIID iid, void** object);

// What went wrong in this thread's last failed load or transformation, as
// libxml2 or libxslt said it ("week.xsl: failed to load external entity"),
// for a program that wants to tell its user why; empty when nothing did.
std::string LastErrorText();

}  // namespace xml
