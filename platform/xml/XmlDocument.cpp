// The XML document over libxml2, its transformation over libxslt.
//
// Node objects are thin wrappers around libxml2 nodes. libxml2 frees a
// whole tree with its document, but a node created and not (or no longer)
// in the tree is nobody's: the document object keeps a list of the nodes it
// created and of the trees it replaced, and frees what is left of them when
// it goes. Every node object holds a reference to its document object, so
// no wrapper outlives the libxml2 node it wraps.

#include "platform/xml/XmlDom.h"

#include <libxml/HTMLtree.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <atomic>
#include <filesystem>
#include <cstdarg>
#include <cstdio>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/fs/WindowsPath.h"
#include "platform/text/TextConvert.h"
#include "platform/com/RefCounted.h"

namespace {

thread_local std::string t_lastError;

void CollectError(void*, const char* message, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, message);
  std::vsnprintf(buffer, sizeof buffer, message, args);
  va_end(args);
  if (t_lastError.size() < 4096) t_lastError += buffer;
}

// Routes the messages libxml2 and libxslt print on standard error into
// t_lastError for the duration of one operation.
class ErrorCapture {
 public:
  ErrorCapture() {
    t_lastError.clear();
    xmlSetGenericErrorFunc(nullptr, CollectError);
    xsltSetGenericErrorFunc(nullptr, CollectError);
  }
  ~ErrorCapture() {
    xmlSetGenericErrorFunc(nullptr, nullptr);
    xsltSetGenericErrorFunc(nullptr, nullptr);
    while (!t_lastError.empty() && (t_lastError.back() == '\n' || t_lastError.back() == ' ')) {
      t_lastError.pop_back();
    }
  }
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;
};

std::string ToUtf8(BSTR text) { return text::Utf16ToUtf8(std::u16string_view(text ? text : u"", SysStringLen(text))); }

const xmlChar* X(const std::string& s) { return reinterpret_cast<const xmlChar*>(s.c_str()); }

HRESULT ReturnText(std::string_view utf8, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  const std::u16string text = text::Utf8ToUtf16(utf8);
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out != nullptr || text.empty() ? S_OK : E_OUTOFMEMORY;
}

class DocumentObject;

// What every node object is underneath; reached through kCoreIID, which
// answers without a reference.
struct NodeCore {
  static constexpr IID kCoreIID = MakeGuid("{5E0C61A2-0F1B-4C39-9E56-7A2B7F0C1D01}");
  xmlNodePtr node = nullptr;
  DocumentObject* owner = nullptr;
};

NodeCore* CoreOf(IUnknown* unknown) {
  void* core = nullptr;
  if (unknown == nullptr || FAILED(unknown->QueryInterface(NodeCore::kCoreIID, &core))) return nullptr;
  return static_cast<NodeCore*>(core);
}

HRESULT WrapNode(DocumentObject* owner, xmlNodePtr node, IXMLDOMNode** out);

// The members every node kind shares, over Interface (one of the node
// interfaces). Derived classes answer for their own interface identifiers.
template <typename Interface>
class NodeImpl : public com::CRefCounted<Interface>, public NodeCore {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == NodeCore::kCoreIID) {
      *object = static_cast<NodeCore*>(this);
      return S_OK;
    }
    if (iid == IUnknown::kIID || iid == IXMLDOMNode::kIID || iid == Interface::kIID || Answers(iid)) {
      *object = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }

  HRESULT get_nodeName(BSTR* name) override;
  HRESULT get_text(BSTR* text) override;
  HRESULT put_text(BSTR text) override;
  HRESULT appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNewChild) override;
  HRESULT get_attributes(IXMLDOMNamedNodeMap** map) override;
  HRESULT get_firstChild(IXMLDOMNode** child) override;
  HRESULT get_nextSibling(IXMLDOMNode** sibling) override;
  HRESULT get_xml(BSTR* xml) override;
  HRESULT transformNode(IXMLDOMNode* stylesheet, BSTR* xmlString) override;

 protected:
  NodeImpl(DocumentObject* owner, xmlNodePtr node);
  virtual ~NodeImpl();
  virtual bool Answers(REFIID) const { return false; }

 private:
};

class ElementObject final : public NodeImpl<IXMLDOMElement> {
 public:
  ElementObject(DocumentObject* owner, xmlNodePtr node) : NodeImpl(owner, node) {}
};
class AttributeObject final : public NodeImpl<IXMLDOMAttribute> {
 public:
  AttributeObject(DocumentObject* owner, xmlNodePtr node) : NodeImpl(owner, node) {}
};
class InstructionObject final : public NodeImpl<IXMLDOMProcessingInstruction> {
 public:
  InstructionObject(DocumentObject* owner, xmlNodePtr node) : NodeImpl(owner, node) {}
};
class PlainNodeObject final : public NodeImpl<IXMLDOMNode> {
 public:
  PlainNodeObject(DocumentObject* owner, xmlNodePtr node) : NodeImpl(owner, node) {}
};

// An empty tree whose text is Unicode: serialized, its attributes keep
// their characters instead of turning them into references.
xmlDocPtr NewDoc() {
  xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
  if (doc != nullptr) doc->encoding = xmlStrdup(BAD_CAST "UTF-8");
  return doc;
}

class DocumentObject final : public com::CRefCounted<IXMLDOMDocument2>, public NodeCore {
 public:
  DocumentObject() {
    m_doc = NewDoc();
    node = reinterpret_cast<xmlNodePtr>(m_doc);
    owner = this;
  }
  ~DocumentObject() {
    // Created nodes outside every tree first (their descendants go with
    // them), found before any is freed; then the trees.
    std::vector<xmlNodePtr> orphans;
    for (xmlNodePtr created : m_created) {
      if (created->parent == nullptr) orphans.push_back(created);
    }
    for (xmlNodePtr orphan : orphans) {
      if (orphan->type == XML_ATTRIBUTE_NODE) {
        xmlFreeProp(reinterpret_cast<xmlAttrPtr>(orphan));
      } else {
        xmlFreeNode(orphan);
      }
    }
    if (m_doc != nullptr) xmlFreeDoc(m_doc);
    for (xmlDocPtr retired : m_retired) xmlFreeDoc(retired);
  }

  bool valid() const { return m_doc != nullptr; }
  // Why the last load left the document empty; empty after a good load.
  const std::string& LoadError() const { return m_loadError; }
  xmlDocPtr Doc() const { return m_doc; }
  void Adopt(xmlNodePtr created) { m_created.insert(created); }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == NodeCore::kCoreIID) {
      *object = static_cast<NodeCore*>(this);
      return S_OK;
    }
    if (iid == IUnknown::kIID || iid == IXMLDOMNode::kIID || iid == IXMLDOMDocument::kIID ||
        iid == IXMLDOMDocument2::kIID) {
      *object = static_cast<IXMLDOMDocument2*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }

  // The node members, through a node object of the document itself.
  HRESULT get_nodeName(BSTR* name) override { return ReturnText("#document", name); }
  HRESULT get_text(BSTR* text) override {
    return WithSelf([&](IXMLDOMNode* self) { return self->get_text(text); });
  }
  HRESULT put_text(BSTR) override { return E_FAIL; }  // a document has no text of its own
  HRESULT appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNewChild) override {
    return WithSelf([&](IXMLDOMNode* self) { return self->appendChild(newChild, outNewChild); });
  }
  HRESULT get_attributes(IXMLDOMNamedNodeMap** map) override {
    if (map == nullptr) return E_POINTER;
    *map = nullptr;
    return S_FALSE;
  }
  HRESULT get_firstChild(IXMLDOMNode** child) override {
    return WithSelf([&](IXMLDOMNode* self) { return self->get_firstChild(child); });
  }
  HRESULT get_nextSibling(IXMLDOMNode** sibling) override {
    if (sibling == nullptr) return E_POINTER;
    *sibling = nullptr;
    return S_FALSE;
  }
  HRESULT get_xml(BSTR* xml) override {
    return WithSelf([&](IXMLDOMNode* self) { return self->get_xml(xml); });
  }
  HRESULT transformNode(IXMLDOMNode* stylesheet, BSTR* xmlString) override {
    return WithSelf([&](IXMLDOMNode* self) { return self->transformNode(stylesheet, xmlString); });
  }

  HRESULT createElement(BSTR tagName, IXMLDOMElement** element) override {
    if (element == nullptr) return E_POINTER;
    *element = nullptr;
    const std::string name = ToUtf8(tagName);
    if (xmlValidateName(X(name), 0) != 0) return E_FAIL;
    xmlNodePtr created = xmlNewDocNode(m_doc, nullptr, X(name), nullptr);
    if (created == nullptr) return E_OUTOFMEMORY;
    return Hand<ElementObject>(created, element);
  }
  HRESULT createAttribute(BSTR name, IXMLDOMAttribute** attribute) override {
    if (attribute == nullptr) return E_POINTER;
    *attribute = nullptr;
    const std::string utf8 = ToUtf8(name);
    if (xmlValidateName(X(utf8), 0) != 0) return E_FAIL;
    xmlAttrPtr created = xmlNewDocProp(m_doc, X(utf8), nullptr);
    if (created == nullptr) return E_OUTOFMEMORY;
    return Hand<AttributeObject>(reinterpret_cast<xmlNodePtr>(created), attribute);
  }
  HRESULT createProcessingInstruction(BSTR target, BSTR data,
                                      IXMLDOMProcessingInstruction** instruction) override {
    if (instruction == nullptr) return E_POINTER;
    *instruction = nullptr;
    const std::string name = ToUtf8(target);
    const std::string content = ToUtf8(data);
    if (xmlValidateName(X(name), 0) != 0 || content.find("?>") != std::string::npos) return E_FAIL;
    xmlNodePtr created = xmlNewDocPI(m_doc, X(name), X(content));
    if (created == nullptr) return E_OUTOFMEMORY;
    return Hand<InstructionObject>(created, instruction);
  }
  HRESULT get_documentElement(IXMLDOMElement** element) override {
    if (element == nullptr) return E_POINTER;
    *element = nullptr;
    xmlNodePtr root = xmlDocGetRootElement(m_doc);
    if (root == nullptr) return S_FALSE;
    auto* object = new (std::nothrow) ElementObject(this, root);
    if (object == nullptr) return E_OUTOFMEMORY;
    object->AddRef();
    *element = object;
    return S_OK;
  }
  HRESULT put_async(VARIANT_BOOL isAsync) override {
    m_async = isAsync;
    return S_OK;
  }
  HRESULT load(VARIANT source, VARIANT_BOOL* isSuccessful) override {
    if (isSuccessful != nullptr) *isSuccessful = VARIANT_FALSE;
    if (source.vt != VT_BSTR) return E_INVALIDARG;
    const std::string path = fs_win::MapPath(ToUtf8(source.bstrVal)).string();
    ErrorCapture capture;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
      Replace(nullptr, isSuccessful);
      m_loadError = path + ": no such file";
      return S_FALSE;
    }
    const HRESULT hr = Replace(xmlReadFile(path.c_str(), nullptr, kParseOptions), isSuccessful);
    if (hr == S_FALSE) m_loadError = path + ": " + m_loadError;
    return hr;
  }
  HRESULT loadXML(BSTR xml, VARIANT_BOOL* isSuccessful) override {
    if (isSuccessful != nullptr) *isSuccessful = VARIANT_FALSE;
    const std::string text = ToUtf8(xml);
    ErrorCapture capture;
    return Replace(xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, "UTF-8", kParseOptions),
                   isSuccessful);
  }

 private:
  // No network, no entity substitution from outside, no DTD loading.
  static constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOWARNING;

  template <typename Object, typename Out>
  HRESULT Hand(xmlNodePtr created, Out** out) {
    Adopt(created);
    auto* object = new (std::nothrow) Object(this, created);
    if (object == nullptr) return E_OUTOFMEMORY;
    object->AddRef();
    *out = object;
    return S_OK;
  }

  // A new tree in place of the current one; the old one stays allocated
  // until the document goes, for node objects that may still point into it.
  HRESULT Replace(xmlDocPtr loaded, VARIANT_BOOL* isSuccessful) {
    if (m_doc != nullptr) m_retired.push_back(m_doc);
    m_loadError.clear();
    if (loaded == nullptr) {
      m_loadError = t_lastError.empty() ? "not well-formed XML" : t_lastError;
      while (!m_loadError.empty() && (m_loadError.back() == '\n' || m_loadError.back() == ' ')) m_loadError.pop_back();
      m_doc = NewDoc();
      node = reinterpret_cast<xmlNodePtr>(m_doc);
      return m_doc != nullptr ? S_FALSE : E_OUTOFMEMORY;
    }
    m_doc = loaded;
    node = reinterpret_cast<xmlNodePtr>(m_doc);
    if (isSuccessful != nullptr) *isSuccessful = VARIANT_TRUE;
    return S_OK;
  }

  // The node members a document shares with its nodes, run by a node
  // object of the document node.
  template <typename Call>
  HRESULT WithSelf(Call call) {
    auto* self = new (std::nothrow) PlainNodeObject(this, node);
    if (self == nullptr) return E_OUTOFMEMORY;
    self->AddRef();
    const HRESULT hr = call(static_cast<IXMLDOMNode*>(self));
    self->Release();
    return hr;
  }

  xmlDocPtr m_doc = nullptr;
  std::unordered_set<xmlNodePtr> m_created;
  std::vector<xmlDocPtr> m_retired;
  VARIANT_BOOL m_async = VARIANT_TRUE;
  std::string m_loadError;
};

class AttributeMapObject final : public com::CRefCounted<IXMLDOMNamedNodeMap> {
 public:
  AttributeMapObject(DocumentObject* owner, xmlNodePtr element) : m_owner(owner), m_element(element) {
    m_owner->AddRef();
  }
  ~AttributeMapObject() { m_owner->Release(); }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IUnknown::kIID && iid != IXMLDOMNamedNodeMap::kIID) return E_NOINTERFACE;
    *object = static_cast<IXMLDOMNamedNodeMap*>(this);
    AddRef();
    return S_OK;
  }

  HRESULT setNamedItem(IXMLDOMNode* attribute, IXMLDOMNode** outNode) override {
    if (outNode != nullptr) *outNode = nullptr;
    NodeCore* core = CoreOf(attribute);
    if (core == nullptr || core->owner != m_owner || core->node->type != XML_ATTRIBUTE_NODE) {
      return E_INVALIDARG;
    }
    xmlNodePtr added = core->node;
    if (added->parent != nullptr && added->parent != m_element) return E_FAIL;  // another element's
    if (added->parent == nullptr) {
      // One of the same name makes way; it is kept (unlinked) for any node
      // object that still holds it, and freed with the document.
      xmlAttrPtr existing = xmlHasProp(m_element, added->name);
      if (existing != nullptr) {
        xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(existing));
        m_owner->Adopt(reinterpret_cast<xmlNodePtr>(existing));
      }
      if (xmlAddChild(m_element, added) == nullptr) return E_FAIL;
    }
    if (outNode != nullptr) {
      *outNode = attribute;
      attribute->AddRef();
    }
    return S_OK;
  }
  HRESULT getNamedItem(BSTR name, IXMLDOMNode** attribute) override {
    if (attribute == nullptr) return E_POINTER;
    *attribute = nullptr;
    xmlAttrPtr found = xmlHasProp(m_element, X(ToUtf8(name)));
    if (found == nullptr) return S_FALSE;
    return WrapNode(m_owner, reinterpret_cast<xmlNodePtr>(found), attribute);
  }
  HRESULT get_length(LONG* length) override {
    if (length == nullptr) return E_POINTER;
    *length = 0;
    for (xmlAttrPtr a = m_element->properties; a != nullptr; a = a->next) ++*length;
    return S_OK;
  }
  HRESULT get_item(LONG index, IXMLDOMNode** attribute) override {
    if (attribute == nullptr) return E_POINTER;
    *attribute = nullptr;
    xmlAttrPtr a = m_element->properties;
    for (LONG i = 0; a != nullptr && i < index; ++i) a = a->next;
    if (index < 0 || a == nullptr) return S_FALSE;
    return WrapNode(m_owner, reinterpret_cast<xmlNodePtr>(a), attribute);
  }

 private:
  DocumentObject* m_owner;  // counted
  xmlNodePtr m_element;
};

HRESULT WrapNode(DocumentObject* owner, xmlNodePtr node, IXMLDOMNode** out) {
  IXMLDOMNode* object = nullptr;
  switch (node->type) {
    case XML_ELEMENT_NODE: object = new (std::nothrow) ElementObject(owner, node); break;
    case XML_ATTRIBUTE_NODE: object = new (std::nothrow) AttributeObject(owner, node); break;
    case XML_PI_NODE: object = new (std::nothrow) InstructionObject(owner, node); break;
    default: object = new (std::nothrow) PlainNodeObject(owner, node); break;
  }
  if (object == nullptr) return E_OUTOFMEMORY;
  object->AddRef();
  *out = object;
  return S_OK;
}

template <typename Interface>
NodeImpl<Interface>::NodeImpl(DocumentObject* documentObject, xmlNodePtr wrapped) {
  node = wrapped;
  owner = documentObject;
  owner->AddRef();
}

template <typename Interface>
NodeImpl<Interface>::~NodeImpl() {
  owner->Release();
}

template <typename Interface>
HRESULT NodeImpl<Interface>::get_nodeName(BSTR* name) {
  switch (node->type) {
    case XML_TEXT_NODE: return ReturnText("#text", name);
    case XML_COMMENT_NODE: return ReturnText("#comment", name);
    case XML_DOCUMENT_NODE: return ReturnText("#document", name);
    default: return ReturnText(node->name ? reinterpret_cast<const char*>(node->name) : "", name);
  }
}

template <typename Interface>
HRESULT NodeImpl<Interface>::get_text(BSTR* text) {
  xmlChar* content = xmlNodeGetContent(node);
  const HRESULT hr = ReturnText(content ? reinterpret_cast<const char*>(content) : "", text);
  xmlFree(content);
  return hr;
}

template <typename Interface>
HRESULT NodeImpl<Interface>::put_text(BSTR text) {
  const std::string utf8 = ToUtf8(text);
  if (node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE) {
    // xmlNodeSetContent reads entity references in what it is given; escaped
    // first, the text arrives as it was ("A & B" stays "A & B").
    xmlChar* escaped = xmlEncodeSpecialChars(node->doc, X(utf8));
    if (escaped == nullptr) return E_OUTOFMEMORY;
    xmlNodeSetContent(node, escaped);
    xmlFree(escaped);
    return S_OK;
  }
  if (node->type == XML_PI_NODE && utf8.find("?>") != std::string::npos) return E_FAIL;
  xmlNodeSetContent(node, X(utf8));
  return S_OK;
}

template <typename Interface>
HRESULT NodeImpl<Interface>::appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNewChild) {
  if (outNewChild != nullptr) *outNewChild = nullptr;
  NodeCore* core = CoreOf(newChild);
  if (core == nullptr || core->owner != owner) return E_INVALIDARG;
  xmlNodePtr child = core->node;
  const bool parentTakesChildren = node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE;
  const bool childMayMove = child->type == XML_ELEMENT_NODE || child->type == XML_PI_NODE ||
                            child->type == XML_COMMENT_NODE;
  if (!parentTakesChildren || !childMayMove || child == node) return E_INVALIDARG;
  for (xmlNodePtr up = node->parent; up != nullptr; up = up->parent) {
    if (up == child) return E_INVALIDARG;  // a node cannot hold its own ancestor
  }
  if (node->type == XML_DOCUMENT_NODE && child->type == XML_ELEMENT_NODE &&
      xmlDocGetRootElement(node->doc) != nullptr) {
    return E_FAIL;  // one root element only
  }
  xmlUnlinkNode(child);
  if (xmlAddChild(node, child) == nullptr) return E_FAIL;
  if (outNewChild != nullptr) {
    *outNewChild = newChild;
    newChild->AddRef();
  }
  return S_OK;
}

template <typename Interface>
HRESULT NodeImpl<Interface>::get_attributes(IXMLDOMNamedNodeMap** map) {
  if (map == nullptr) return E_POINTER;
  *map = nullptr;
  if (node->type != XML_ELEMENT_NODE) return S_FALSE;
  auto* object = new (std::nothrow) AttributeMapObject(owner, node);
  if (object == nullptr) return E_OUTOFMEMORY;
  object->AddRef();
  *map = object;
  return S_OK;
}

template <typename Interface>
HRESULT NodeImpl<Interface>::get_firstChild(IXMLDOMNode** child) {
  if (child == nullptr) return E_POINTER;
  *child = nullptr;
  if (node->type == XML_ATTRIBUTE_NODE || node->children == nullptr) return S_FALSE;
  return WrapNode(owner, node->children, child);
}

template <typename Interface>
HRESULT NodeImpl<Interface>::get_nextSibling(IXMLDOMNode** sibling) {
  if (sibling == nullptr) return E_POINTER;
  *sibling = nullptr;
  if (node->type == XML_ATTRIBUTE_NODE || node->next == nullptr) return S_FALSE;
  return WrapNode(owner, node->next, sibling);
}

template <typename Interface>
HRESULT NodeImpl<Interface>::get_xml(BSTR* xml) {
  xmlBufferPtr buffer = xmlBufferCreate();
  if (buffer == nullptr) return E_OUTOFMEMORY;
  if (node->type == XML_DOCUMENT_NODE) {
    // The children one after another: the "xml" instruction is the
    // declaration, and no other is added.
    for (xmlNodePtr c = node->children; c != nullptr; c = c->next) {
      xmlNodeDump(buffer, node->doc, c, 0, 0);
      xmlBufferCCat(buffer, "\n");
    }
  } else {
    xmlNodeDump(buffer, node->doc, node, 0, 0);
  }
  const HRESULT hr = ReturnText(std::string_view(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                                                 static_cast<size_t>(xmlBufferLength(buffer))),
                                xml);
  xmlBufferFree(buffer);
  return hr;
}

// Marks the HTML text's character set as the UTF-16 the caller receives:
// the serializer labels it with the encoding it wrote (UTF-8), in the meta
// element it keeps in the head.
void LabelHtmlAsUtf16(std::string* html) {
  const std::string meta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
  const size_t at = html->find(meta);
  if (at == std::string::npos) return;
  const size_t charset = at + meta.size();
  const size_t end = html->find('"', charset);
  if (end == std::string::npos) return;
  html->replace(charset, end - charset, "UTF-16");
}

template <typename Interface>
HRESULT NodeImpl<Interface>::transformNode(IXMLDOMNode* stylesheet, BSTR* xmlString) {
  if (xmlString == nullptr) return E_POINTER;
  *xmlString = nullptr;
  NodeCore* sheetCore = CoreOf(stylesheet);
  if (sheetCore == nullptr) return E_INVALIDARG;
  ErrorCapture capture;
  xmlDocPtr sheetDoc = sheetCore->node->doc != nullptr ? sheetCore->node->doc
                                                       : reinterpret_cast<xmlDocPtr>(sheetCore->node);
  if (xmlDocGetRootElement(sheetDoc) == nullptr) {
    const std::string& why = sheetCore->owner->LoadError();
    t_lastError = "the style sheet is empty" + (why.empty() ? std::string() : " (" + why + ")");
    return E_FAIL;
  }

  // libxslt takes the style sheet's tree for its own; it gets a copy so that
  // the document object keeps its tree.
  xmlDocPtr sheetCopy = xmlCopyDoc(sheetDoc, 1);
  if (sheetCopy == nullptr) return E_OUTOFMEMORY;
  xsltStylesheetPtr style = xsltParseStylesheetDoc(sheetCopy);
  if (style == nullptr) {
    xmlFreeDoc(sheetCopy);
    if (t_lastError.empty()) t_lastError = "not an XSLT style sheet";
    return E_FAIL;
  }
  if (style->errors != 0) {
    xsltFreeStylesheet(style);
    return E_FAIL;
  }
  // Written as UTF-8 here and handed out as UTF-16, whatever the style
  // sheet asks for.
  xmlFree(style->encoding);
  style->encoding = xmlStrdup(BAD_CAST "UTF-8");

  xmlDocPtr source = node->doc != nullptr ? node->doc : reinterpret_cast<xmlDocPtr>(node);
  xmlDocPtr subtree = nullptr;
  if (node->type != XML_DOCUMENT_NODE) {
    // A node is transformed as the root of a document of its own.
    subtree = xmlNewDoc(BAD_CAST "1.0");
    xmlNodePtr copy = subtree ? xmlDocCopyNode(node, subtree, 1) : nullptr;
    if (copy == nullptr) {
      xmlFreeDoc(subtree);
      xsltFreeStylesheet(style);
      return E_OUTOFMEMORY;
    }
    xmlAddChild(reinterpret_cast<xmlNodePtr>(subtree), copy);
    source = subtree;
  }

  // A style sheet may read files, but neither write them nor reach the network.
  xsltSecurityPrefsPtr security = xsltNewSecurityPrefs();
  xsltTransformContextPtr context = xsltNewTransformContext(style, source);
  HRESULT hr = E_FAIL;
  xmlDocPtr result = nullptr;
  if (security != nullptr && context != nullptr) {
    xsltSetSecurityPrefs(security, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
    xsltSetSecurityPrefs(security, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
    xsltSetSecurityPrefs(security, XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
    xsltSetSecurityPrefs(security, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
    xsltSetCtxtSecurityPrefs(security, context);
    result = xsltApplyStylesheetUser(style, source, nullptr, nullptr, nullptr, context);
    if (result != nullptr && context->state == XSLT_STATE_OK) {
      xmlChar* bytes = nullptr;
      int length = 0;
      if (xsltSaveResultToString(&bytes, &length, result, style) == 0) {
        std::string text(bytes ? reinterpret_cast<const char*>(bytes) : "", bytes ? static_cast<size_t>(length) : 0);
        if (result->type == XML_HTML_DOCUMENT_NODE) LabelHtmlAsUtf16(&text);
        hr = ReturnText(text, xmlString);
      }
      xmlFree(bytes);
    } else if (t_lastError.empty()) {
      t_lastError = "the transformation failed";
    }
  }
  if (result != nullptr) xmlFreeDoc(result);
  if (context != nullptr) xsltFreeTransformContext(context);
  if (security != nullptr) xsltFreeSecurityPrefs(security);
  xsltFreeStylesheet(style);
  if (subtree != nullptr) xmlFreeDoc(subtree);
  return hr;
}

// The class object lives as long as the process: no count is kept.
class DocumentFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IUnknown::kIID && iid != IClassFactory::kIID) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* document = new (std::nothrow) DocumentObject();
    if (document == nullptr) return E_OUTOFMEMORY;
    document->AddRef();
    const HRESULT hr = document->valid() ? document->QueryInterface(iid, object) : E_OUTOFMEMORY;
    document->Release();
    return hr;
  }
  HRESULT LockServer(BOOL) override { return S_OK; }
};

}  // namespace

namespace xml {

HRESULT GetDocumentClassObject(REFIID iid, void** object) {
  static DocumentFactory factory;
  return factory.QueryInterface(iid, object);
}

std::string LastErrorText() { return t_lastError; }

}  // namespace xml
