#include "settings/MyXml.h"

#include "settings/XmlFileIo.h"
#include "support/ComError.h"
#include "support/MyPath.h"

#include <ole2.h>
#include <shlwapi.h>

namespace {

// DOMDocument60; MinGW's headers do not name it.
const CLSID kClsidDomDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
// IXMLDOMDocument2; MinGW's uuid library lacks it.
const IID kIidDomDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

raii::UniqueBstr MakeBstr(const std::wstring& text) {
    BSTR value = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!value) throw ComError(E_OUTOFMEMORY);
    return raii::UniqueBstr(value);
}

std::wstring FromBstr(const raii::UniqueBstr& text) {
    return text ? std::wstring(text.Get(), ::SysStringLen(text.Get())) : std::wstring();
}

// A VARIANT that owns its content.
class Variant {
public:
    Variant() { ::VariantInit(&m_value); }
    ~Variant() { ::VariantClear(&m_value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    static void Text(Variant& v, const std::wstring& text) {
        ::VariantClear(&v.m_value);
        v.m_value.vt = VT_BSTR;
        v.m_value.bstrVal = MakeBstr(text).Release();
    }
    static void Object(Variant& v, IUnknown* object) {
        ::VariantClear(&v.m_value);
        v.m_value.vt = VT_UNKNOWN;
        v.m_value.punkVal = object;
        if (object) object->AddRef();
    }
    VARIANT& Get() { return m_value; }
    // The content as text; empty for null and empty values.
    std::wstring ToText() {
        if (m_value.vt == VT_EMPTY || m_value.vt == VT_NULL) return std::wstring();
        if (m_value.vt != VT_BSTR) ThrowIfFailed(::VariantChangeType(&m_value, &m_value, 0, VT_BSTR));
        return m_value.bstrVal ? std::wstring(m_value.bstrVal, ::SysStringLen(m_value.bstrVal)) : std::wstring();
    }

private:
    VARIANT m_value;
};

template <typename T>
raii::ComPtr<T> QueryAs(IUnknown* object, REFIID iid) {
    raii::ComPtr<T> result;
    if (object) ThrowIfFailed(object->QueryInterface(iid, result.PutVoid()));
    return result;
}

std::wstring NodeName(IXMLDOMNode* node) {
    raii::UniqueBstr name;
    ThrowIfFailed(node->get_nodeName(name.Put()));
    return FromBstr(name);
}

std::wstring NodeText(IXMLDOMNode* node) {
    raii::UniqueBstr text;
    ThrowIfFailed(node->get_text(text.Put()));
    return FromBstr(text);
}

std::wstring NodeValue(IXMLDOMNode* node) {
    Variant value;
    ThrowIfFailed(node->get_nodeValue(&value.Get()));
    return value.ToText();
}

raii::ComPtr<IXMLDOMNode> ItemAt(IXMLDOMNodeList* list, long index) {
    raii::ComPtr<IXMLDOMNode> node;
    ThrowIfFailed(list->get_item(index, node.Put()));
    return node;
}

long LengthOf(IXMLDOMNodeList* list) {
    long length = 0;
    ThrowIfFailed(list->get_length(&length));
    return length;
}

// The attribute of that name, null when the node has none.
raii::ComPtr<IXMLDOMNode> AttributeOf(IXMLDOMNode* node, const std::wstring& name) {
    raii::ComPtr<IXMLDOMNamedNodeMap> map;
    ThrowIfFailed(node->get_attributes(map.Put()));
    raii::ComPtr<IXMLDOMNode> attribute;
    if (map) ThrowIfFailed(map->getNamedItem(MakeBstr(name).Get(), attribute.Put()));
    return attribute;
}

// The node itself when it belongs to the document, else a deep copy: the merge moves
// elements between two documents, and not every DOM accepts a foreign node.
raii::ComPtr<IXMLDOMNode> OwnedBy(IXMLDOMDocument* document, IXMLDOMNode* node) {
    raii::ComPtr<IXMLDOMDocument> owner;
    ThrowIfFailed(node->get_ownerDocument(owner.Put()));
    auto identity = [](IUnknown* object) {
        raii::ComPtr<IUnknown> unknown;
        if (object) object->QueryInterface(IID_IUnknown, unknown.PutVoid());
        return unknown.Get();
    };
    if (identity(owner.Get()) == identity(document)) return raii::ComPtr<IXMLDOMNode>::Share(node);
    raii::ComPtr<IXMLDOMNode> copy;
    ThrowIfFailed(node->cloneNode(VARIANT_TRUE, copy.Put()));
    return copy;
}

// Keeps loading from reaching beyond the document where the DOM supports it. The byte check
// before loading is what protects: some DOMs accept these properties and ignore them.
void Harden(IXMLDOMDocument* document) {
    document->put_resolveExternals(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    raii::ComPtr<IXMLDOMDocument2> document2;
    if (SUCCEEDED(document->QueryInterface(kIidDomDocument2, document2.PutVoid())) && document2) {
        Variant on;
        on.Get().vt = VT_BOOL;
        on.Get().boolVal = VARIANT_TRUE;
        Variant off;
        off.Get().vt = VT_BOOL;
        off.Get().boolVal = VARIANT_FALSE;
        document2->setProperty(MakeBstr(L"ProhibitDTD").Get(), on.Get());
        document2->setProperty(MakeBstr(L"AllowXsltScript").Get(), off.Get());
        document2->setProperty(MakeBstr(L"AllowDocumentFunction").Get(), off.Get());
    }
}

// Makes XPath the language of selectNodes; false when the DOM does not take it.
bool UseXPath(IXMLDOMDocument* document) {
    raii::ComPtr<IXMLDOMDocument2> document2;
    if (FAILED(document->QueryInterface(kIidDomDocument2, document2.PutVoid())) || !document2) return false;
    Variant language;
    Variant::Text(language, L"XPath");
    return SUCCEEDED(document2->setProperty(MakeBstr(L"SelectionLanguage").Get(), language.Get()));
}

// An element or attribute name that goes into a query as it is: letters, digits, '_', '-'
// and '.', no prefix.
bool IsPlainName(const std::wstring& name) {
    if (name.empty() || (name[0] >= L'0' && name[0] <= L'9') || name[0] == L'-' || name[0] == L'.') return false;
    for (wchar_t c : name) {
        bool plain = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'_' ||
                     c == L'-' || c == L'.';
        if (!plain) return false;
    }
    return true;
}

// The XPath for the elements named tagName whose attribute has exactly that value, in
// document order. Elements are matched by their qualified name, as getElementsByTagName
// matches them; only when the document may hold namespaces does that need name(), which
// costs the DOM several times the plain name test. Empty when the text cannot be put in a
// query: an XPath 1.0 literal has no escape for its quote.
std::wstring AttributeQuery(const std::wstring& tagName, const std::wstring& attributeName, const std::wstring& value,
                            bool mayHaveNamespaces) {
    if (!IsPlainName(tagName) || !IsPlainName(attributeName) || value.find_first_of(L"'\"") != std::wstring::npos) {
        return std::wstring();
    }
    std::wstring elements = mayHaveNamespaces ? L"//*[name()='" + tagName + L"']" : L"//" + tagName;
    return elements + L"/@" + attributeName + L"[.='" + value + L"']/..";
}

// False only when the document text surely declares no namespace: a byte encoding (no NUL)
// without "xmlns" anywhere.
bool MayHaveNamespaces(const std::string& bytes) {
    return bytes.find('\0') != std::string::npos || bytes.find("xmlns") != std::string::npos;
}

bool HasParseError(IXMLDOMDocument* document) {
    raii::ComPtr<IXMLDOMParseError> error;
    long code = 0;
    return SUCCEEDED(document->get_parseError(error.Put())) && error && SUCCEEDED(error->get_errorCode(&code)) &&
           code != 0;
}

}  // namespace

MyXmlReader::~MyXmlReader() {
    m_node.Reset();
    m_list.Reset();
    m_document.Reset();
}

HRESULT MyXmlReader::CreateDocument() {
    m_node.Reset();
    m_list.Reset();
    m_index = 0;
    m_mayHaveNamespaces = true;
    m_document.Reset();
    raii::ComPtr<IUnknown> object;
    HRESULT hr = ::CoCreateInstance(kClsidDomDocument60, nullptr, CLSCTX_ALL, IID_IUnknown, object.PutVoid());
    if (FAILED(hr)) return hr;
    hr = ::OleRun(object.Get());
    if (FAILED(hr)) return hr;
    raii::ComPtr<IXMLDOMDocument> document;
    hr = object->QueryInterface(IID_IXMLDOMDocument, document.PutVoid());
    if (FAILED(hr)) return hr;
    if (!document) return E_POINTER;
    Harden(document.Get());
    m_xpath = UseXPath(document.Get());
    m_document = std::move(document);
    return S_OK;
}

HRESULT MyXmlReader::EnsureDocument() { return m_document ? S_OK : CreateDocument(); }

HRESULT MyXmlReader::Load(const std::wstring& path) {
    HRESULT hr = CreateDocument();
    if (FAILED(hr)) return hr;
    // The file is read once and the DOM parses exactly the bytes that were checked.
    std::string bytes;
    if (!xml_file_io::ReadWholeFile(path, bytes)) return E_INVALIDARG;
    return LoadBytes(bytes);
}

HRESULT MyXmlReader::LoadBytes(const std::string& bytes) {
    HRESULT hr = EnsureDocument();
    if (FAILED(hr)) return hr;
    ThrowIfFailed(m_document->put_async(VARIANT_FALSE));
    if (!xml_file_io::HasSafeProlog(bytes)) return E_INVALIDARG;
    raii::ComPtr<IStream> stream = raii::ComPtr<IStream>::Attach(
        ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    if (!stream) throw ComError(E_OUTOFMEMORY);
    Variant source;
    Variant::Object(source, stream.Get());
    m_mayHaveNamespaces = MayHaveNamespaces(bytes);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT status = m_document->load(source.Get(), &loaded);
    // Some DOMs report a document that does not parse with a failed status as well; only a
    // failure that is not a parse error escapes.
    if (FAILED(status) && !HasParseError(m_document.Get())) throw ComError(status);
    return loaded == VARIANT_TRUE ? S_OK : E_INVALIDARG;
}

MyXmlReader* MyXmlReader::SelectElements(const std::wstring& tagName) {
    try {
        if (!m_document) return nullptr;
        raii::ComPtr<IXMLDOMNodeList> list;
        ThrowIfFailed(m_document->getElementsByTagName(MakeBstr(tagName).Get(), list.Put()));
        if (!list) return nullptr;
        m_node = ItemAt(list.Get(), 0);
        m_list = std::move(list);
        m_index = 0;
        return m_node ? this : nullptr;
    } catch (...) {
        return nullptr;
    }
}

raii::ComPtr<IXMLDOMNodeList> MyXmlReader::QueryByAttribute(const std::wstring& tagName,
                                                            const std::wstring& attributeName,
                                                            const std::wstring& value) {
    std::wstring query = m_xpath ? AttributeQuery(tagName, attributeName, value, m_mayHaveNamespaces) : std::wstring();
    if (query.empty() || !m_document) return nullptr;
    raii::ComPtr<IXMLDOMNodeList> list;
    if (FAILED(m_document->selectNodes(MakeBstr(query).Get(), list.Put()))) return nullptr;
    return list;
}

MyXmlReader* MyXmlReader::SelectElementWithAttribute(const std::wstring& tagName, const std::wstring& attributeName,
                                                     const std::wstring& value) {
    // One query inside the DOM instead of several COM calls per element: at thousands of
    // elements the walk below costs far more than loading the document.
    try {
        raii::ComPtr<IXMLDOMNodeList> list = QueryByAttribute(tagName, attributeName, value);
        if (list) {
            m_node = ItemAt(list.Get(), 0);
            m_list = std::move(list);
            m_index = 0;
            return m_node ? this : nullptr;
        }
    } catch (...) {
        return nullptr;
    }
    if (!SelectElements(tagName)) return nullptr;
    do {
        std::wstring found;
        if (GetAttribute(found, attributeName) == S_OK && found == value) return this;
    } while (MoveNext());
    return nullptr;
}

long MyXmlReader::Count() { return m_list ? LengthOf(m_list.Get()) : 0; }

HRESULT MyXmlReader::GetAttribute(std::wstring& value, const std::wstring& name) {
    if (!m_node) return E_POINTER;
    try {
        raii::ComPtr<IXMLDOMNode> attribute = AttributeOf(m_node.Get(), name);
        if (!attribute) return E_POINTER;
        value = NodeText(attribute.Get());
        return S_OK;
    } catch (const ComError& error) {
        return error.Error();
    }
}

HRESULT MyXmlReader::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (!m_node || !m_document) return E_POINTER;
    try {
        raii::ComPtr<IXMLDOMAttribute> attribute;
        ThrowIfFailed(m_document->createAttribute(MakeBstr(name).Get(), attribute.Put()));
        if (!attribute) return E_POINTER;
        Variant text;
        Variant::Text(text, value);
        ThrowIfFailed(attribute->put_value(text.Get()));
        raii::ComPtr<IXMLDOMNamedNodeMap> map;
        ThrowIfFailed(m_node->get_attributes(map.Put()));
        if (!map) return E_POINTER;
        raii::ComPtr<IXMLDOMNode> attributeNode = QueryAs<IXMLDOMNode>(attribute.Get(), IID_IXMLDOMNode);
        raii::ComPtr<IXMLDOMNode> placed;
        ThrowIfFailed(map->setNamedItem(attributeNode.Get(), placed.Put()));
        return placed ? S_OK : E_INVALIDARG;
    } catch (const ComError& error) {
        return error.Error();
    }
}

raii::ComPtr<IXMLDOMNode> MyXmlReader::FindChild(const std::wstring& name) {
    raii::ComPtr<IXMLDOMNodeList> children;
    ThrowIfFailed(m_node->get_childNodes(children.Put()));
    if (!children) return nullptr;
    long length = LengthOf(children.Get());
    for (long i = 0; i < length; ++i) {
        raii::ComPtr<IXMLDOMNode> child = ItemAt(children.Get(), i);
        if (child && NodeName(child.Get()) == name) return child;
    }
    return nullptr;
}

HRESULT MyXmlReader::GetChildText(std::wstring& text, const std::wstring& name) {
    if (!m_node) return E_POINTER;
    try {
        raii::ComPtr<IXMLDOMNode> child = FindChild(name);
        if (!child) return E_INVALIDARG;
        text = NodeText(child.Get());
        return S_OK;
    } catch (const ComError& error) {
        return error.Error();
    }
}

HRESULT MyXmlReader::SetChildText(const std::wstring& name, const std::wstring& text, int create) {
    if (!m_node) return E_POINTER;
    try {
        raii::ComPtr<IXMLDOMNode> child = FindChild(name);
        if (child) {
            ThrowIfFailed(child->put_text(MakeBstr(text).Get()));
            return S_OK;
        }
    } catch (const ComError& error) {
        return error.Error();
    }
    if (create == 1) return AddChild(name, text.c_str(), nullptr, nullptr);
    return E_INVALIDARG;
}

MyXmlNode* MyXmlReader::MoveNext() {
    try {
        if (!m_list) return nullptr;
        if (m_index >= LengthOf(m_list.Get()) - 1) return nullptr;
        raii::ComPtr<IXMLDOMNode> next = ItemAt(m_list.Get(), m_index + 1);
        if (!next) return nullptr;
        ++m_index;
        m_node = std::move(next);
        return this;
    } catch (...) {
        return nullptr;
    }
}

MyXmlNode* MyXmlReader::MoveToFirstChild() {
    try {
        if (!m_list || !m_node) return nullptr;
        raii::ComPtr<IXMLDOMNodeList> children;
        ThrowIfFailed(m_node->get_childNodes(children.Put()));
        if (!children) return nullptr;
        m_node = ItemAt(children.Get(), 0);
        m_list = std::move(children);
        m_index = 0;
        return this;
    } catch (...) {
        return nullptr;
    }
}

std::wstring MyXmlReader::GetNodeName() {
    try {
        return m_node ? NodeName(m_node.Get()) : std::wstring();
    } catch (...) {
        return std::wstring();
    }
}

HRESULT MyXmlReader::MakeElement(const std::wstring& name, const wchar_t* text, const XmlAttributeList& attributes,
                                 raii::ComPtr<IXMLDOMNode>& element) {
    raii::ComPtr<IXMLDOMElement> created;
    ThrowIfFailed(m_document->createElement(MakeBstr(name).Get(), created.Put()));
    if (!created) return E_POINTER;
    for (const auto& attribute : attributes) {
        Variant value;
        Variant::Text(value, attribute.second);
        HRESULT hr = created->setAttribute(MakeBstr(attribute.first).Get(), value.Get());
        if (FAILED(hr)) return hr;
    }
    if (text) ThrowIfFailed(created->put_text(MakeBstr(text).Get()));
    element = QueryAs<IXMLDOMNode>(created.Get(), IID_IXMLDOMNode);
    return element ? S_OK : E_POINTER;
}

HRESULT MyXmlReader::AppendToCurrent(raii::ComPtr<IXMLDOMNode> element) {
    if (!m_node) return E_POINTER;
    raii::ComPtr<IXMLDOMNode> appended;
    ThrowIfFailed(m_node->appendChild(element.Get(), appended.Put()));
    m_node = appended ? std::move(appended) : std::move(element);
    return S_OK;
}

HRESULT MyXmlReader::AddChildWithAttributes(const std::wstring& name, const wchar_t* text,
                                            const XmlAttributeList& attributes) {
    if (!m_document) return E_INVALIDARG;
    try {
        raii::ComPtr<IXMLDOMNode> element;
        HRESULT hr = MakeElement(name, text, attributes, element);
        if (FAILED(hr)) return hr;
        return AppendToCurrent(std::move(element));
    } catch (const ComError& error) {
        return error.Error();
    }
}

HRESULT MyXmlReader::AddChild(const std::wstring& name, const wchar_t* text, const wchar_t* attributeName,
                              const wchar_t* attributeValue) {
    if (!m_document || (attributeName == nullptr) != (attributeValue == nullptr)) return E_INVALIDARG;
    XmlAttributeList attributes;
    if (attributeName) attributes.emplace_back(attributeName, attributeValue);
    return AddChildWithAttributes(name, text, attributes);
}

namespace {

bool MatchesRemoval(IXMLDOMNode* element, const wchar_t* text, const wchar_t* attributeName,
                    const wchar_t* attributeValue) {
    try {
        if (text && NodeValue(element) != text) return false;
        if (!attributeName) return true;
        raii::ComPtr<IXMLDOMNode> attribute = AttributeOf(element, attributeName);
        if (!attribute) return false;
        return !attributeValue || NodeText(attribute.Get()) == attributeValue;
    } catch (...) {
        return false;
    }
}

}  // namespace

HRESULT MyXmlReader::RemoveElement(const std::wstring& tagName, const wchar_t* text, const wchar_t* attributeName,
                                   const wchar_t* attributeValue) {
    if ((attributeName == nullptr) != (attributeValue == nullptr)) return E_INVALIDARG;
    if (!m_document) return E_FAIL;
    try {
        raii::ComPtr<IXMLDOMNodeList> elements;
        // Without a text to compare, the DOM can find the element itself.
        if (!text && attributeName) elements = QueryByAttribute(tagName, attributeName, attributeValue);
        if (!elements) ThrowIfFailed(m_document->getElementsByTagName(MakeBstr(tagName).Get(), elements.Put()));
        if (!elements) return E_FAIL;
        long length = LengthOf(elements.Get());
        for (long i = 0; i < length; ++i) {
            raii::ComPtr<IXMLDOMNode> element = ItemAt(elements.Get(), i);
            if (!element || !MatchesRemoval(element.Get(), text, attributeName, attributeValue)) continue;
            raii::ComPtr<IXMLDOMNode> parent;
            ThrowIfFailed(element->get_parentNode(parent.Put()));
            if (!parent) return E_FAIL;
            raii::ComPtr<IXMLDOMNode> removed;
            ThrowIfFailed(parent->removeChild(element.Get(), removed.Put()));
            m_node = removed ? std::move(removed) : std::move(element);
            return S_OK;
        }
        return E_FAIL;
    } catch (const ComError& error) {
        return error.Error();
    }
}

bool MyXmlReader::MatchesElement(MyXmlNode* other) {
    try {
        if (!m_node || !other) return false;
        if (NodeName(m_node.Get()) != other->GetNodeName()) return false;
        raii::ComPtr<IXMLDOMNamedNodeMap> map;
        ThrowIfFailed(m_node->get_attributes(map.Put()));
        if (!map) return true;
        long length = 0;
        ThrowIfFailed(map->get_length(&length));
        for (long i = 0; i < length; ++i) {
            raii::ComPtr<IXMLDOMNode> attribute;
            ThrowIfFailed(map->get_item(i, attribute.Put()));
            if (!attribute) return false;
            std::wstring otherValue;
            if (other->GetAttribute(otherValue, NodeName(attribute.Get())) != S_OK) return false;
            if (otherValue != NodeText(attribute.Get())) return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool MyXmlReader::HasSameAttribute(MyXmlNode* other, const std::wstring& attributeName) {
    try {
        if (!other) return false;
        std::wstring mine;
        std::wstring theirs;
        if (GetAttribute(mine, attributeName) != S_OK) return false;
        if (other->GetAttribute(theirs, attributeName) != S_OK) return false;
        return mine == theirs;
    } catch (...) {
        return false;
    }
}

HRESULT MyXmlReader::ReplaceWith(MyXmlNode* other) {
    if (!other) return E_INVALIDARG;
    if (!m_node) return E_POINTER;
    try {
        raii::ComPtr<IXMLDOMNode> replacement = other->GetNode();
        if (!replacement || !m_document) return E_FAIL;
        replacement = OwnedBy(m_document.Get(), replacement.Get());
        m_mayHaveNamespaces = true;  // the node may come from a document with namespaces
        raii::ComPtr<IXMLDOMNode> parent;
        ThrowIfFailed(m_node->get_parentNode(parent.Put()));
        if (!parent) return E_FAIL;
        raii::ComPtr<IXMLDOMNode> old;
        ThrowIfFailed(parent->replaceChild(replacement.Get(), m_node.Get(), old.Put()));
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT MyXmlReader::AppendChild(MyXmlNode* other) {
    if (!other) return E_INVALIDARG;
    if (!m_node) return E_POINTER;
    try {
        raii::ComPtr<IXMLDOMNode> child = other->GetNode();
        if (child && m_document) {
            child = OwnedBy(m_document.Get(), child.Get());
            m_mayHaveNamespaces = true;
            raii::ComPtr<IXMLDOMNode> appended;
            m_node->appendChild(child.Get(), appended.Put());
        }
    } catch (...) {
        // A refused append leaves the document as it was; the result stays 0.
    }
    return S_OK;
}

raii::ComPtr<IXMLDOMNode> MyXmlReader::GetNode() { return m_node; }

// ---------------------------------------------------------------------------------------

HRESULT MyXmlWriter::CreateNew(const std::wstring& rootName, const wchar_t* innerText) {
    HRESULT hr = EnsureDocument();
    if (FAILED(hr)) return hr;
    std::wstring text = L"<" + rootName + L">" + (innerText ? innerText : L"") + L"</" + rootName + L">";
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ThrowIfFailed(Document()->loadXML(MakeBstr(text).Get(), &loaded));
    SetMayHaveNamespaces(text.find(L"xmlns") != std::wstring::npos);
    SetCurrentNode(nullptr);
    return loaded == VARIANT_TRUE ? S_OK : E_FAIL;
}

namespace {

// The pseudo-attributes of a declaration, so that the same declaration matches whether the
// DOM hands it back with single or double quotes or other spacing.
std::wstring NormalizedDeclaration(const std::wstring& data) {
    std::wstring result;
    bool pendingSpace = false;
    for (wchar_t c : data) {
        if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n') {
            pendingSpace = true;
            continue;
        }
        if (pendingSpace && !result.empty() && result.back() != L'=' && c != L'=') result += L' ';
        pendingSpace = false;
        result += (c == L'\'') ? L'"' : c;
    }
    return result;
}

}  // namespace

bool MyXmlWriter::HasDeclaration() {
    if (!Document()) return false;
    raii::ComPtr<IXMLDOMProcessingInstruction> built;
    ThrowIfFailed(Document()->createProcessingInstruction(MakeBstr(GetDeclarationTarget()).Get(),
                                                          MakeBstr(GetDeclarationData()).Get(), built.Put()));
    if (!built) return false;
    std::wstring wanted = NormalizedDeclaration(NodeValue(QueryAs<IXMLDOMNode>(built.Get(), IID_IXMLDOMNode).Get()));
    raii::ComPtr<IXMLDOMNodeList> children;
    ThrowIfFailed(Document()->get_childNodes(children.Put()));
    if (!children) return false;
    long length = LengthOf(children.Get());
    for (long i = 0; i < length; ++i) {
        raii::ComPtr<IXMLDOMNode> child = ItemAt(children.Get(), i);
        if (!child) continue;
        DOMNodeType type = NODE_INVALID;
        ThrowIfFailed(child->get_nodeType(&type));
        if (type == NODE_PROCESSING_INSTRUCTION && NormalizedDeclaration(NodeValue(child.Get())) == wanted) return true;
    }
    return false;
}

HRESULT MyXmlWriter::AddDeclaration() {
    raii::ComPtr<IXMLDOMProcessingInstruction> created;
    ThrowIfFailed(Document()->createProcessingInstruction(MakeBstr(GetDeclarationTarget()).Get(),
                                                          MakeBstr(GetDeclarationData()).Get(), created.Put()));
    if (!created) return E_POINTER;
    raii::ComPtr<IXMLDOMNode> instruction = QueryAs<IXMLDOMNode>(created.Get(), IID_IXMLDOMNode);

    // A document may hold one declaration only: one with other pseudo-attributes (a file
    // written by hand or another program) is replaced rather than joined by a second one.
    raii::ComPtr<IXMLDOMNodeList> children;
    ThrowIfFailed(Document()->get_childNodes(children.Put()));
    long length = children ? LengthOf(children.Get()) : 0;
    for (long i = 0; i < length; ++i) {
        raii::ComPtr<IXMLDOMNode> child = ItemAt(children.Get(), i);
        DOMNodeType type = NODE_INVALID;
        if (child) ThrowIfFailed(child->get_nodeType(&type));
        if (type == NODE_PROCESSING_INSTRUCTION && NodeName(child.Get()) == GetDeclarationTarget()) {
            raii::ComPtr<IXMLDOMNode> old;
            ThrowIfFailed(Document()->replaceChild(instruction.Get(), child.Get(), old.Put()));
            SetCurrentNode(instruction);
            return S_OK;
        }
    }

    raii::ComPtr<IXMLDOMElement> root;
    ThrowIfFailed(Document()->get_documentElement(root.Put()));
    Variant before;
    if (root) Variant::Object(before, root.Get());
    raii::ComPtr<IXMLDOMNode> inserted;
    ThrowIfFailed(Document()->insertBefore(instruction.Get(), before.Get(), inserted.Put()));
    SetCurrentNode(inserted ? inserted : instruction);
    return S_OK;
}

namespace {

// The size to make room for when saving over a file: its present size and a quarter more.
ULONGLONG ExpectedSaveSize(const std::wstring& path) {
    constexpr ULONGLONG kLeast = 64 * 1024;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path_text::ForFileSystem(path).c_str(), GetFileExInfoStandard, &data)) return kLeast;
    ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return size + size / 4 + kLeast;
}

}  // namespace

HRESULT MyXmlWriter::Save(const std::wstring& path) {
    if (!Document()) return E_POINTER;
    if (!HasDeclaration()) {
        HRESULT hr = AddDeclaration();
        if (hr != S_OK) return hr;
    }
    // The DOM writes into memory (in the declared encoding); the file is replaced whole.
    raii::ComPtr<IStream> stream;
    ThrowIfFailed(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
    // A memory stream grows by exactly each write, copying its whole content every time: for a
    // settings file of 10,000 jobs that took most of a save (about 45 of 60 ms under Wine).
    // Room for the file as it is now, and some, is made first; what was written is then the
    // part up to the stream's position, not the stream's size.
    ULARGE_INTEGER room;
    room.QuadPart = ExpectedSaveSize(path);
    ThrowIfFailed(stream->SetSize(room));
    Variant target;
    Variant::Object(target, stream.Get());
    ThrowIfFailed(Document()->save(target.Get()));
    HGLOBAL memory = nullptr;
    ThrowIfFailed(::GetHGlobalFromStream(stream.Get(), &memory));
    LARGE_INTEGER noMove{};
    ULARGE_INTEGER written{};
    ThrowIfFailed(stream->Seek(noMove, STREAM_SEEK_CUR, &written));
    size_t size = static_cast<size_t>(written.QuadPart);
    const void* bytes = ::GlobalLock(memory);
    if (!bytes && size > 0) throw ComError(E_OUTOFMEMORY);
    DWORD error = xml_file_io::ReplaceFileContent(path, bytes, size);
    if (bytes) ::GlobalUnlock(memory);
    return error == 0 ? S_OK : HRESULT_FROM_WIN32(error);
}
