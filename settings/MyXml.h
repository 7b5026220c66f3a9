// A cursor over an MSXML 6 DOM document: the object owns one document, a current node list,
// a position in it and the current node. Queries and edits act on the current node.
//
// Status results are HRESULTs (0 for success). Some operations turn DOM failures into their
// status or into "none"; Load, CreateNew, HasDeclaration, AddDeclaration, Save and Count let
// a failing DOM call escape as ComError, which the host interface layer catches.
#pragma once

#include "support/Raii.h"

#include <windows.h>
#include <msxml2.h>

#include <string>
#include <utility>
#include <vector>

using XmlAttributeList = std::vector<std::pair<std::wstring, std::wstring>>;

class MyXmlNode {
public:
    virtual ~MyXmlNode() = default;
    [[nodiscard]] virtual long Count() = 0;
    [[nodiscard]] virtual HRESULT GetAttribute(std::wstring& value, const std::wstring& name) = 0;
    [[nodiscard]] virtual HRESULT SetAttribute(const std::wstring& name, const std::wstring& value) = 0;
    [[nodiscard]] virtual HRESULT GetChildText(std::wstring& text, const std::wstring& name) = 0;
    [[nodiscard]] virtual HRESULT SetChildText(const std::wstring& name, const std::wstring& text, int create) = 0;
    virtual MyXmlNode* MoveNext() = 0;
    virtual MyXmlNode* MoveToFirstChild() = 0;
    virtual std::wstring GetNodeName() = 0;
    // text, attribute name and value: null for none.
    [[nodiscard]] virtual HRESULT AddChildWithAttributes(const std::wstring& name, const wchar_t* text,
                                                         const XmlAttributeList& attributes) = 0;
    [[nodiscard]] virtual HRESULT AddChild(const std::wstring& name, const wchar_t* text,
                                           const wchar_t* attributeName, const wchar_t* attributeValue) = 0;
    [[nodiscard]] virtual HRESULT RemoveElement(const std::wstring& tagName, const wchar_t* text,
                                                const wchar_t* attributeName, const wchar_t* attributeValue) = 0;
    virtual bool MatchesElement(MyXmlNode* other) = 0;
    virtual bool HasSameAttribute(MyXmlNode* other, const std::wstring& attributeName) = 0;
    [[nodiscard]] virtual HRESULT ReplaceWith(MyXmlNode* other) = 0;
    [[nodiscard]] virtual HRESULT AppendChild(MyXmlNode* other) = 0;
    virtual raii::ComPtr<IXMLDOMNode> GetNode() = 0;
};

class MyXmlReader : public MyXmlNode {
public:
    MyXmlReader() = default;
    ~MyXmlReader() override;
    MyXmlReader(const MyXmlReader&) = delete;
    MyXmlReader& operator=(const MyXmlReader&) = delete;

    // 0 when loaded; E_INVALIDARG when the file is missing, unreadable, not well-formed or
    // carries a DTD; the creation status when no DOM document can be made.
    [[nodiscard]] HRESULT Load(const std::wstring& path);
    // Loads a document from text already in memory, with the same checks as Load.
    [[nodiscard]] HRESULT LoadBytes(const std::string& bytes);
    // All elements of that name in document order; the cursor on the first. Null when none.
    MyXmlReader* SelectElements(const std::wstring& tagName);
    // Puts the cursor on the first element of that name, in document order, whose attribute
    // has exactly that value (case-sensitive). Null when there is none.
    MyXmlReader* SelectElementWithAttribute(const std::wstring& tagName, const std::wstring& attributeName,
                                            const std::wstring& value);

    long Count() override;
    HRESULT GetAttribute(std::wstring& value, const std::wstring& name) override;
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value) override;
    HRESULT GetChildText(std::wstring& text, const std::wstring& name) override;
    HRESULT SetChildText(const std::wstring& name, const std::wstring& text, int create) override;
    MyXmlNode* MoveNext() override;
    MyXmlNode* MoveToFirstChild() override;
    std::wstring GetNodeName() override;
    HRESULT AddChildWithAttributes(const std::wstring& name, const wchar_t* text,
                                   const XmlAttributeList& attributes) override;
    HRESULT AddChild(const std::wstring& name, const wchar_t* text, const wchar_t* attributeName,
                     const wchar_t* attributeValue) override;
    HRESULT RemoveElement(const std::wstring& tagName, const wchar_t* text, const wchar_t* attributeName,
                          const wchar_t* attributeValue) override;
    bool MatchesElement(MyXmlNode* other) override;
    bool HasSameAttribute(MyXmlNode* other, const std::wstring& attributeName) override;
    HRESULT ReplaceWith(MyXmlNode* other) override;
    HRESULT AppendChild(MyXmlNode* other) override;
    raii::ComPtr<IXMLDOMNode> GetNode() override;

protected:
    // Makes the DOM document when there is none; 0 or the failed step's status.
    [[nodiscard]] HRESULT EnsureDocument();
    // Creates a fresh document in place of the current one.
    [[nodiscard]] HRESULT CreateDocument();
    const raii::ComPtr<IXMLDOMDocument>& Document() const { return m_document; }
    void SetCurrentNode(raii::ComPtr<IXMLDOMNode> node) { m_node = std::move(node); }
    void SetMayHaveNamespaces(bool may) { m_mayHaveNamespaces = may; }

private:
    // Builds an element with the optional attribute and text; does not attach it.
    HRESULT MakeElement(const std::wstring& name, const wchar_t* text, const XmlAttributeList& attributes,
                        raii::ComPtr<IXMLDOMNode>& element);
    HRESULT AppendToCurrent(raii::ComPtr<IXMLDOMNode> element);
    // The first direct child of the current node with that name; null when none.
    raii::ComPtr<IXMLDOMNode> FindChild(const std::wstring& name);
    // The elements of that name whose attribute has exactly that value, in document order,
    // found by one XPath query inside the DOM. Null when the query cannot express the search
    // (a quote in the value, a name that is not plain, no XPath) or the DOM refuses it: the
    // caller then walks the elements itself.
    raii::ComPtr<IXMLDOMNodeList> QueryByAttribute(const std::wstring& tagName, const std::wstring& attributeName,
                                                   const std::wstring& value);

    raii::ComPtr<IXMLDOMDocument> m_document;
    raii::ComPtr<IXMLDOMNodeList> m_list;
    raii::ComPtr<IXMLDOMNode> m_node;
    long m_index = 0;
    bool m_xpath = false;  // the document's selection language is XPath
    // False while the document surely holds no element in a namespace, so that a plain name
    // test in a query matches exactly the elements getElementsByTagName would.
    bool m_mayHaveNamespaces = true;
};

class MyXmlWriter : public MyXmlReader {
public:
    // Replaces the content by "<root>inner</root>"; 0, E_FAIL when the DOM refuses the text,
    // or the creation status.
    [[nodiscard]] HRESULT CreateNew(const std::wstring& rootName, const wchar_t* innerText);
    bool HasDeclaration();
    [[nodiscard]] HRESULT AddDeclaration();
    // Adds the declaration when missing and replaces the file with the document: written
    // beside it and moved over it in one step. E_POINTER without document, or the status of
    // the failed file operation as an HRESULT.
    [[nodiscard]] HRESULT Save(const std::wstring& path);

    virtual std::wstring GetDeclarationData() = 0;
    virtual std::wstring GetDeclarationTarget() = 0;
};

class MyXmlWriterUtf8 : public MyXmlWriter {
public:
    std::wstring GetDeclarationData() override { return L" version='1.0' encoding='UTF-8'"; }
    std::wstring GetDeclarationTarget() override { return L"xml"; }
};
