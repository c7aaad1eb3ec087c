#include "platform/com/Registrar.h"

#include <cctype>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/registry/Registry.h"
#include "platform/text/TextConvert.h"

namespace com {
namespace {

enum class Flag { kNone, kNoRemove, kForceRemove, kDelete };

struct Value {
  bool present = false;
  DWORD type = REG_SZ;
  std::string text;          // REG_SZ, UTF-8
  DWORD number = 0;          // REG_DWORD
  std::vector<BYTE> bytes;   // REG_BINARY
};

struct Node {
  Flag flag = Flag::kNone;
  bool isNamedValue = false;  // "val NAME = ..."
  std::string name;
  Value value;
  std::vector<Node> children;
};

class Parser {
 public:
  Parser(std::string_view text, std::span<const RegistrarReplacement> replacements)
      : m_text(text), m_replacements(replacements) {}

  bool ParseScript(std::vector<Node>* roots) {
    for (;;) {
      std::string token;
      if (!NextToken(&token)) return m_ok;
      Node root;
      root.name = token;
      if (!Expect('{') || !ParseBlock(&root.children)) return false;
      roots->push_back(std::move(root));
    }
  }

 private:
  void SkipSpace() {
    while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
  }

  // A bare word, a quoted string, or one of { } =. False at the end.
  bool NextToken(std::string* token, bool* quoted = nullptr) {
    SkipSpace();
    if (quoted != nullptr) *quoted = false;
    if (m_pos >= m_text.size()) return false;
    const char c = m_text[m_pos];
    token->clear();
    if (c == '{' || c == '}' || c == '=') {
      // A '{' starting a GUID name is a word, not a block.
      if (c == '{' && m_pos + 1 < m_text.size() && std::isxdigit(static_cast<unsigned char>(m_text[m_pos + 1]))) {
        return ReadWord(token);
      }
      token->push_back(c);
      ++m_pos;
      return true;
    }
    if (c == '\'') {
      ++m_pos;
      for (;;) {
        if (m_pos >= m_text.size()) return Fail();
        if (m_text[m_pos] == '\'') {
          if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\'') {
            token->push_back('\'');
            m_pos += 2;
            continue;
          }
          ++m_pos;
          break;
        }
        token->push_back(m_text[m_pos++]);
      }
      if (quoted != nullptr) *quoted = true;
      *token = Replace(*token);
      return true;
    }
    return ReadWord(token);
  }

  bool ReadWord(std::string* token) {
    while (m_pos < m_text.size()) {
      const char ch = m_text[m_pos];
      if (std::isspace(static_cast<unsigned char>(ch)) || ch == '=' || ch == '\'' ||
          (ch == '{' && !token->empty()) || (ch == '}' && (token->empty() || token->front() != '{'))) {
        break;
      }
      token->push_back(ch);
      ++m_pos;
      if (ch == '}') break;  // end of a GUID name
    }
    *token = Replace(*token);
    return !token->empty() || Fail();
  }

  std::string Replace(const std::string& in) const {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
      if (in[i] == '%') {
        const std::size_t end = in.find('%', i + 1);
        if (end != std::string::npos) {
          const std::string name = in.substr(i + 1, end - i - 1);
          for (const RegistrarReplacement& r : m_replacements) {
            if (name == r.name) {
              out += r.value;
              i = end;
              goto next;
            }
          }
        }
      }
      out.push_back(in[i]);
    next:;
    }
    return out;
  }

  bool Expect(char c) {
    std::string token;
    bool quoted = false;
    if (!NextToken(&token, &quoted) || quoted || token.size() != 1 || token[0] != c) return Fail();
    return true;
  }

  bool Peek(char c) {
    SkipSpace();
    return m_pos < m_text.size() && m_text[m_pos] == c &&
           !(c == '{' && m_pos + 1 < m_text.size() &&
             std::isxdigit(static_cast<unsigned char>(m_text[m_pos + 1])));
  }

  bool ParseValue(Value* value) {
    std::string type, data;
    bool quoted = false;
    if (!NextToken(&type) || !NextToken(&data, &quoted) || !quoted) return Fail();
    value->present = true;
    if (type == "s") {
      value->type = REG_SZ;
      value->text = data;
    } else if (type == "d") {
      value->type = REG_DWORD;
      char* end = nullptr;
      value->number = static_cast<DWORD>(std::strtoul(data.c_str(), &end, 0));
      if (data.empty() || *end != '\0') return Fail();
    } else if (type == "b") {
      value->type = REG_BINARY;
      if (data.size() % 2 != 0) return Fail();
      for (std::size_t i = 0; i < data.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = data.substr(i, 2);
        value->bytes.push_back(static_cast<BYTE>(std::strtoul(pair.c_str(), &end, 16)));
        if (*end != '\0') return Fail();
      }
    } else {
      return Fail();
    }
    return true;
  }

  bool ParseBlock(std::vector<Node>* nodes) {
    for (;;) {
      if (Peek('}')) {
        ++m_pos;
        return true;
      }
      std::string token;
      bool quoted = false;
      if (!NextToken(&token, &quoted)) return Fail();
      Node node;
      if (!quoted) {
        if (token == "NoRemove") node.flag = Flag::kNoRemove;
        else if (token == "ForceRemove") node.flag = Flag::kForceRemove;
        else if (token == "Delete") node.flag = Flag::kDelete;
        if (node.flag != Flag::kNone && !NextToken(&token, &quoted)) return Fail();
      }
      if (!quoted && token == "val") {
        node.isNamedValue = true;
        if (!NextToken(&token)) return Fail();
      }
      if (token == "{" || token == "}" || token == "=") return Fail();
      node.name = token;
      if (Peek('=')) {
        ++m_pos;
        if (!ParseValue(&node.value)) return false;
      } else if (node.isNamedValue) {
        return Fail();
      }
      if (!node.isNamedValue && Peek('{')) {
        ++m_pos;
        if (!ParseBlock(&node.children)) return false;
      }
      nodes->push_back(std::move(node));
    }
  }

  bool Fail() {
    m_ok = false;
    return false;
  }

  std::string_view m_text;
  std::span<const RegistrarReplacement> m_replacements;
  std::size_t m_pos = 0;
  bool m_ok = true;
};

struct KeyCloser {
  void operator()(RegistryKeyHandle* key) const {
    if (key != nullptr) RegCloseKey(key);
  }
};
using KeyPtr = std::unique_ptr<RegistryKeyHandle, KeyCloser>;

bool RootOf(const std::string& name, HKEY* root) {
  const char* rest = nullptr;
  return registry::SplitRoot(name.c_str(), root, &rest) && *rest == '\0';
}

HRESULT SetValue(HKEY key, const std::u16string& name, const Value& value) {
  LONG error = ERROR_SUCCESS;
  if (value.type == REG_SZ) {
    const std::u16string text = text::Utf8ToUtf16(value.text);
    error = RegSetValueEx(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
  } else if (value.type == REG_DWORD) {
    error = RegSetValueEx(key, name.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&value.number), sizeof value.number);
  } else {
    error = RegSetValueEx(key, name.c_str(), 0, REG_BINARY, value.bytes.data(),
                          static_cast<DWORD>(value.bytes.size()));
  }
  return HRESULT_FROM_WIN32(error);
}

HRESULT Register(HKEY parent, const std::vector<Node>& nodes) {
  for (const Node& node : nodes) {
    const std::u16string name = text::Utf8ToUtf16(node.name);
    if (node.isNamedValue) {
      if (const HRESULT hr = SetValue(parent, name, node.value); FAILED(hr)) return hr;
      continue;
    }
    if (node.flag == Flag::kDelete || node.flag == Flag::kForceRemove) {
      const LONG error = RegDeleteTree(parent, name.c_str());
      if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) return HRESULT_FROM_WIN32(error);
      if (node.flag == Flag::kDelete) continue;
    }
    HKEY raw = nullptr;
    const LONG error = RegCreateKeyEx(parent, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, &raw, nullptr);
    if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
    KeyPtr key(raw);
    if (node.value.present) {
      if (const HRESULT hr = SetValue(key.get(), u"", node.value); FAILED(hr)) return hr;
    }
    if (const HRESULT hr = Register(key.get(), node.children); FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT Unregister(HKEY parent, const std::vector<Node>& nodes) {
  for (const Node& node : nodes) {
    const std::u16string name = text::Utf8ToUtf16(node.name);
    if (node.isNamedValue) {
      RegDeleteValue(parent, name.c_str());
      continue;
    }
    if (node.flag != Flag::kNoRemove) {
      const LONG error = RegDeleteTree(parent, name.c_str());
      if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) return HRESULT_FROM_WIN32(error);
      continue;
    }
    HKEY raw = nullptr;
    if (RegOpenKeyEx(parent, name.c_str(), 0, KEY_ALL_ACCESS, &raw) != ERROR_SUCCESS) continue;
    KeyPtr key(raw);
    if (const HRESULT hr = Unregister(key.get(), node.children); FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace

HRESULT RunRegistryScript(std::string_view script,
                          std::span<const RegistrarReplacement> replacements, bool registering) {
  std::vector<Node> roots;
  Parser parser(script, replacements);
  if (!parser.ParseScript(&roots)) return E_INVALIDARG;
  for (const Node& root : roots) {
    HKEY key = nullptr;
    if (!RootOf(root.name, &key)) return E_INVALIDARG;
  }
  for (const Node& root : roots) {
    HKEY key = nullptr;
    RootOf(root.name, &key);
    const HRESULT hr = registering ? Register(key, root.children) : Unregister(key, root.children);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace com
