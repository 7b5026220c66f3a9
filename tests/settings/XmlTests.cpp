#include "settings/MyXml.h"
#include "settings/XmlFileIo.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

namespace {

class XmlTest : public ::testing::Test {
protected:
    // Loads a document from text into a writer.
    void Open(MyXmlWriterUtf8& writer, const std::string& text) {
        WriteFileBytes(m_folder / L"doc.xml", text);
        ASSERT_EQ(writer.Load(m_folder / L"doc.xml"), S_OK) << text;
    }
    std::string SaveAndRead(MyXmlWriterUtf8& writer) {
        EXPECT_EQ(writer.Save(m_folder / L"out.xml"), S_OK);
        return ReadFileBytes(m_folder / L"out.xml");
    }
    static int Occurrences(const std::string& text, const std::string& part) {
        int count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
        return count;
    }

    raii::ComApartment m_apartment;
    ScratchFolder m_folder;
};

TEST_F(XmlTest, LoadTellsLoadedFromNotLoadable) {
    MyXmlReader reader;
    EXPECT_EQ(reader.Load(m_folder / L"missing.xml"), E_INVALIDARG);
    WriteFileBytes(m_folder / L"broken.xml", "<Objects><Setting></Objects>");
    EXPECT_EQ(reader.Load(m_folder / L"broken.xml"), E_INVALIDARG);
    WriteFileBytes(m_folder / L"empty.xml", "");
    EXPECT_EQ(reader.Load(m_folder / L"empty.xml"), E_INVALIDARG);
    WriteFileBytes(m_folder / L"good.xml", "<Objects/>");
    EXPECT_EQ(reader.Load(m_folder / L"good.xml"), S_OK);
    EXPECT_EQ(reader.Load(m_folder.Path()), E_INVALIDARG) << "a folder is not a document";
}

TEST_F(XmlTest, CursorWalksElementsInDocumentOrder) {
    MyXmlWriterUtf8 xml;
    Open(xml, "<Objects><Setting ID='a'/><Other><Setting ID='b'/></Other><Setting ID='c'/></Objects>");
    EXPECT_EQ(xml.SelectElements(L"Nowhere"), nullptr);
    EXPECT_EQ(xml.SelectElements(L"setting"), nullptr) << "names compare exactly";
    ASSERT_EQ(xml.SelectElements(L"Setting"), &xml);
    EXPECT_EQ(xml.Count(), 3);
    std::wstring ids, value;
    do {
        ASSERT_EQ(xml.GetAttribute(value, L"ID"), S_OK);
        ids += value;
    } while (xml.MoveNext());
    EXPECT_EQ(ids, L"abc");
    EXPECT_EQ(xml.MoveNext(), nullptr);
    ASSERT_EQ(xml.GetAttribute(value, L"ID"), S_OK);
    EXPECT_EQ(value, L"c") << "a failed move keeps the cursor on the last element";
    EXPECT_EQ(xml.GetAttribute(value, L"Missing"), E_POINTER);
    EXPECT_EQ(xml.GetAttribute(value, L"id"), E_POINTER);
}

TEST_F(XmlTest, MoveToFirstChildTakesTheChildren) {
    MyXmlWriterUtf8 xml;
    EXPECT_EQ(xml.MoveToFirstChild(), nullptr) << "no list yet";
    Open(xml, "<Objects><A/><B/></Objects>");
    ASSERT_NE(xml.SelectElements(L"Objects"), nullptr);
    ASSERT_EQ(xml.MoveToFirstChild(), &xml);
    EXPECT_EQ(xml.GetNodeName(), L"A");
    EXPECT_EQ(xml.Count(), 2);
    ASSERT_NE(xml.MoveNext(), nullptr);
    EXPECT_EQ(xml.GetNodeName(), L"B");
}

TEST_F(XmlTest, ChildTextFindsDirectChildrenOnly) {
    MyXmlWriterUtf8 xml;
    Open(xml, "<Objects><S><P>one<b>two</b></P><Deep><Q>x</Q></Deep><E/></S></Objects>");
    ASSERT_NE(xml.SelectElements(L"S"), nullptr);
    std::wstring text = L"unchanged";
    ASSERT_EQ(xml.GetChildText(text, L"P"), S_OK);
    EXPECT_EQ(text, L"onetwo");
    ASSERT_EQ(xml.GetChildText(text, L"E"), S_OK);
    EXPECT_EQ(text, L"");
    text = L"unchanged";
    EXPECT_EQ(xml.GetChildText(text, L"Q"), E_INVALIDARG) << "grandchildren are not found";
    EXPECT_EQ(xml.GetChildText(text, L"p"), E_INVALIDARG);
    EXPECT_EQ(text, L"unchanged");
}

TEST_F(XmlTest, SetChildTextReplacesOrCreates) {
    MyXmlWriterUtf8 xml;
    Open(xml, "<Objects><S><P>old</P></S></Objects>");
    ASSERT_NE(xml.SelectElements(L"S"), nullptr);
    EXPECT_EQ(xml.SetChildText(L"P", L"new", 0), S_OK);
    EXPECT_EQ(xml.SetChildText(L"Missing", L"x", 0), E_INVALIDARG);
    EXPECT_EQ(xml.SetChildText(L"Missing", L"x", 2), E_INVALIDARG);
    EXPECT_EQ(xml.SetChildText(L"Added", L"a<&>b", 1), S_OK);
    EXPECT_EQ(xml.GetNodeName(), L"Added") << "the cursor stands on the new child";
    std::string saved = SaveAndRead(xml);
    EXPECT_NE(saved.find("<S><P>new</P><Added>a&lt;&amp;&gt;b</Added></S>"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("Missing"), std::string::npos);
}

TEST_F(XmlTest, OperationsWithoutCurrentNode) {
    MyXmlWriterUtf8 xml;
    std::wstring text;
    EXPECT_EQ(xml.GetAttribute(text, L"ID"), E_POINTER);
    EXPECT_EQ(xml.SetAttribute(L"ID", L"x"), E_POINTER);
    EXPECT_EQ(xml.GetChildText(text, L"P"), E_POINTER);
    EXPECT_EQ(xml.SetChildText(L"P", L"x", 1), E_POINTER);
    EXPECT_EQ(xml.AddChild(L"P", nullptr, nullptr, nullptr), E_INVALIDARG) << "no document";
    EXPECT_EQ(xml.RemoveElement(L"P", nullptr, L"ID", L"x"), E_FAIL);
    EXPECT_EQ(xml.GetNodeName(), L"");
    EXPECT_EQ(xml.Count(), 0);
    EXPECT_FALSE(xml.MatchesElement(&xml));
    EXPECT_EQ(xml.ReplaceWith(nullptr), E_INVALIDARG);
    EXPECT_EQ(xml.ReplaceWith(&xml), E_POINTER);
    EXPECT_EQ(xml.AppendChild(nullptr), E_INVALIDARG);
    EXPECT_EQ(xml.AppendChild(&xml), E_POINTER);
    EXPECT_FALSE(xml.GetNode());
    EXPECT_EQ(xml.Save(m_folder / L"x.xml"), E_POINTER);
    EXPECT_FALSE(testing_support::ReadFileBytes(m_folder / L"x.xml").size() > 0);
}

TEST_F(XmlTest, AttributesAreReplacedNotDuplicated) {
    MyXmlWriterUtf8 xml;
    Open(xml, "<Objects><S ID='1'/></Objects>");
    ASSERT_NE(xml.SelectElements(L"S"), nullptr);
    EXPECT_EQ(xml.SetAttribute(L"ID", L"2"), S_OK);
    EXPECT_EQ(xml.SetAttribute(L"New", L"v"), S_OK);
    std::wstring value;
    ASSERT_EQ(xml.GetAttribute(value, L"ID"), S_OK);
    EXPECT_EQ(value, L"2");
    std::string saved = SaveAndRead(xml);
    EXPECT_EQ(Occurrences(saved, "ID="), 1) << saved;
    EXPECT_NE(saved.find("New=\"v\""), std::string::npos) << saved;
}

TEST_F(XmlTest, AddChildRules) {
    MyXmlWriterUtf8 xml;
    Open(xml, "<Objects/>");
    ASSERT_NE(xml.SelectElements(L"Objects"), nullptr);
    EXPECT_EQ(xml.AddChild(L"S", nullptr, L"ID", nullptr), E_INVALIDARG);
    EXPECT_EQ(xml.AddChild(L"S", nullptr, nullptr, L"x"), E_INVALIDARG);
    EXPECT_EQ(xml.GetNodeName(), L"Objects");
    EXPECT_EQ(xml.AddChild(L"S", nullptr, L"ID", L"{1}"), S_OK);
    EXPECT_EQ(xml.GetNodeName(), L"S");
    EXPECT_EQ(xml.AddChild(L"P", L"text", nullptr, nullptr), S_OK);
    ASSERT_NE(xml.SelectElements(L"Objects"), nullptr);
    EXPECT_EQ(xml.AddChildWithAttributes(L"T", nullptr, {{L"a", L"1"}, {L"b", L"2"}}), S_OK);
    std::string saved = SaveAndRead(xml);
    EXPECT_NE(saved.find("<Objects><S ID=\"{1}\"><P>text</P></S><T a=\"1\" b=\"2\"/></Objects>"), std::string::npos)
        << saved;
}

TEST_F(XmlTest, SelectElementWithAttributeFindsTheFirstExactMatch) {
    // Values with quotes cannot go into the DOM's query and are found by walking the elements;
    // both ways must give the same answers.
    // Under a default namespace the elements keep their plain names, as for
    // getElementsByTagName.
    const std::string body = "><S ID='a' N='1'/><Other><S ID='b' N='2'/></Other><S ID='b' N='3'/>"
                             "<S ID=\"it's\" N='4'/><S ID='say &quot;hi&quot;' N='5'/><S ID='it&apos;s' N='6'/>"
                             "<T ID='c' N='7'/><S id='c' N='8'/><S ID='c' N='9'/></Objects>";
    struct Case {
        const wchar_t* tag;
        const wchar_t* attribute;
        const wchar_t* value;
        const wchar_t* found;  // N of the element found; null for none
    } cases[] = {
        {L"S", L"ID", L"a", L"1"},         {L"S", L"ID", L"b", L"2"},      {L"S", L"ID", L"B", nullptr},
        {L"S", L"ID", L"", nullptr},        {L"S", L"ID", L"it's", L"4"},   {L"S", L"ID", L"say \"hi\"", L"5"},
        {L"S", L"ID", L"it", nullptr},      {L"S", L"ID", L"c", L"9"},      {L"T", L"ID", L"c", L"7"},
        {L"s", L"ID", L"a", nullptr},       {L"S", L"Id", L"a", nullptr},   {L"S", L"ID", L"a' or '1'='1", nullptr},
        {L"S", L"ID']|//*[@ID", L"a", nullptr},
    };
    for (const char* root : {"<Objects", "<Objects xmlns='urn:x'"}) {
        MyXmlWriterUtf8 xml;
        Open(xml, root + body);
        for (const Case& c : cases) {
            MyXmlReader* selected = xml.SelectElementWithAttribute(c.tag, c.attribute, c.value);
            if (!c.found) {
                EXPECT_EQ(selected, nullptr) << root << " " << c.tag << L" " << c.attribute << L"=" << c.value;
                continue;
            }
            ASSERT_EQ(selected, &xml) << root << " " << c.tag << L" " << c.attribute << L"=" << c.value;
            std::wstring n;
            ASSERT_EQ(xml.GetAttribute(n, L"N"), S_OK);
            EXPECT_EQ(n, c.found) << root << " " << c.tag << L" " << c.attribute << L"=" << c.value;
        }
    }
}

TEST_F(XmlTest, RemoveElementRemovesTheFirstMatchOnly) {
    MyXmlWriterUtf8 xml;
    Open(xml, "<Objects><S ID='a'><P>1</P></S><S ID='b'><P>2</P></S><S ID='b'><P>3</P></S></Objects>");
    EXPECT_EQ(xml.RemoveElement(L"S", nullptr, L"ID", nullptr), E_INVALIDARG);
    EXPECT_EQ(xml.RemoveElement(L"S", nullptr, L"ID", L"c"), E_FAIL);
    EXPECT_EQ(xml.RemoveElement(L"S", nullptr, L"ID", L"B"), E_FAIL);
    EXPECT_EQ(xml.RemoveElement(L"S", nullptr, L"ID", L"b"), S_OK);
    std::wstring text;
    ASSERT_EQ(xml.GetChildText(text, L"P"), S_OK) << "the removed node is current";
    EXPECT_EQ(text, L"2");
    std::string saved = SaveAndRead(xml);
    EXPECT_NE(saved.find("<Objects><S ID=\"a\"><P>1</P></S><S ID=\"b\"><P>3</P></S></Objects>"), std::string::npos)
        << saved;
}

TEST_F(XmlTest, ElementComparisons) {
    MyXmlWriterUtf8 mine;
    Open(mine, "<R><S ID='1' K='x'/><S ID='2'/><T ID='1'/><S/></R>");
    MyXmlReader other;
    WriteFileBytes(m_folder / L"other.xml", "<R><S ID='1' K='x' Extra='e'/><S ID='1' K='y'/></R>");
    ASSERT_EQ(other.Load(m_folder / L"other.xml"), S_OK);
    ASSERT_NE(other.SelectElements(L"S"), nullptr);
    ASSERT_NE(mine.SelectElements(L"S"), nullptr);
    EXPECT_TRUE(mine.MatchesElement(&other)) << "attributes only on the other side do not matter";
    EXPECT_TRUE(mine.HasSameAttribute(&other, L"ID"));
    EXPECT_FALSE(mine.HasSameAttribute(&other, L"Extra"));
    EXPECT_FALSE(mine.MatchesElement(nullptr));
    ASSERT_NE(other.MoveNext(), nullptr);
    EXPECT_FALSE(mine.MatchesElement(&other)) << "K differs";
    ASSERT_NE(mine.MoveNext(), nullptr);
    EXPECT_FALSE(mine.HasSameAttribute(&other, L"ID"));
    ASSERT_NE(mine.MoveNext(), nullptr);  // the attribute-less S
    EXPECT_TRUE(mine.MatchesElement(&other));
    ASSERT_NE(mine.SelectElements(L"T"), nullptr);
    EXPECT_FALSE(mine.MatchesElement(&other)) << "names differ";
}

TEST_F(XmlTest, ReplaceAndAppendAcrossDocuments) {
    MyXmlWriterUtf8 destination;
    Open(destination, "<Objects><S ID='1'><Old/></S></Objects>");
    MyXmlReader source;
    WriteFileBytes(m_folder / L"source.xml", "<Objects><S ID='1'><New>n</New></S><S ID='2'/></Objects>");
    ASSERT_EQ(source.Load(m_folder / L"source.xml"), S_OK);
    ASSERT_NE(source.SelectElements(L"S"), nullptr);
    ASSERT_NE(destination.SelectElements(L"S"), nullptr);
    EXPECT_EQ(destination.ReplaceWith(&source), S_OK);
    EXPECT_EQ(destination.GetNodeName(), L"S") << "the cursor keeps the replaced node";
    ASSERT_NE(source.MoveNext(), nullptr);
    ASSERT_NE(destination.SelectElements(L"Objects"), nullptr);
    EXPECT_EQ(destination.AppendChild(&source), S_OK);
    std::string saved = SaveAndRead(destination);
    EXPECT_NE(saved.find("<Objects><S ID=\"1\"><New>n</New></S><S ID=\"2\"/></Objects>"), std::string::npos) << saved;

    // A node the DOM refuses (a document node under an element) still gives 0.
    ASSERT_NE(destination.SelectElements(L"Objects"), nullptr);
    MyXmlWriterUtf8 whole;
    ASSERT_EQ(whole.CreateNew(L"R", nullptr), S_OK);
    EXPECT_EQ(whole.AddDeclaration(), S_OK);  // the cursor on a processing instruction
    EXPECT_EQ(destination.AppendChild(&whole), S_OK);
}

TEST_F(XmlTest, CreateNewAndSaveWriteOneDeclaration) {
    MyXmlWriterUtf8 xml;
    ASSERT_EQ(xml.CreateNew(L"Objects", nullptr), S_OK);
    EXPECT_FALSE(xml.HasDeclaration());
    std::string first = SaveAndRead(xml);
    EXPECT_EQ(first.rfind("<?xml", 0), 0u) << first;
    EXPECT_NE(first.find("encoding='UTF-8'"), std::string::npos) << first;
    EXPECT_NE(first.find("<Objects/>"), std::string::npos) << first;
    EXPECT_TRUE(xml.HasDeclaration());

    for (int round = 0; round < 3; ++round) {
        MyXmlWriterUtf8 again;
        ASSERT_EQ(again.Load(m_folder / L"out.xml"), S_OK);
        EXPECT_TRUE(again.HasDeclaration());
        ASSERT_NE(again.SelectElements(L"Objects"), nullptr);
        ASSERT_EQ(again.AddChild(L"S", L"\u00e9", nullptr, nullptr), S_OK);
        ASSERT_EQ(again.Save(m_folder / L"out.xml"), S_OK);
        ASSERT_EQ(again.Save(m_folder / L"out.xml"), S_OK);
    }
    std::string saved = ReadFileBytes(m_folder / L"out.xml");
    EXPECT_EQ(Occurrences(saved, "<?xml"), 1) << saved;
    EXPECT_EQ(Occurrences(saved, "<S>\xC3\xA9</S>"), 3) << "UTF-8 text: " << saved;

    EXPECT_EQ(xml.CreateNew(L"Objects", L"<unclosed>"), E_FAIL);
    EXPECT_EQ(xml.CreateNew(L"Objects", L"<S ID='1'/>"), S_OK);
    EXPECT_NE(xml.SelectElements(L"S"), nullptr) << "the content was replaced";
}

TEST_F(XmlTest, ForeignDeclarationIsReplacedNotDoubled) {
    MyXmlWriterUtf8 xml;
    Open(xml, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Objects><S>\xE9</S></Objects>");
    EXPECT_FALSE(xml.HasDeclaration());
    std::string saved = SaveAndRead(xml);
    EXPECT_EQ(Occurrences(saved, "<?xml"), 1) << saved;
    EXPECT_NE(saved.find("UTF-8"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<S>\xC3\xA9</S>"), std::string::npos) << saved;
    MyXmlReader reader;
    EXPECT_EQ(reader.Load(m_folder / L"out.xml"), S_OK);
}

TEST_F(XmlTest, FailedSaveLeavesTheOldFile) {
    MyXmlWriterUtf8 xml;
    ASSERT_EQ(xml.CreateNew(L"Objects", nullptr), S_OK);
    std::wstring target = m_folder / L"locked.xml";
    WriteFileBytes(target, "<Old/>");
    {
        // Held open without delete sharing: the new content cannot take the old file's place.
        raii::UniqueFile holder(::CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_NE(xml.Save(target), S_OK);
    }
    EXPECT_EQ(ReadFileBytes(target), "<Old/>");
    WIN32_FIND_DATAW data;
    raii::UniqueFind find(::FindFirstFileW((m_folder / L"*.new").c_str(), &data));
    EXPECT_FALSE(find) << "no temporary file is left behind";
    EXPECT_NE(xml.Save(m_folder / L"no-such-folder\\x.xml"), S_OK);
}

// ----- documents that must never reach the parser -----

struct PrologCase {
    const char* name;
    std::string bytes;
    bool safe;
};

std::string Utf16(const std::string& ascii, bool bigEndian, bool bom) {
    std::string out;
    if (bom) out += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) {
        if (bigEndian) out += '\0';
        out += c;
        if (!bigEndian) out += '\0';
    }
    return out;
}

TEST(XmlProlog, OnlyDeclarationCommentsAndInstructionsMayPrecedeTheRoot) {
    const std::string dtd = "<!DOCTYPE r [<!ENTITY a 'x'>]><r>&a;</r>";
    const PrologCase cases[] = {
        {"plain", "<Objects/>", true},
        {"declaration", "<?xml version='1.0' encoding='UTF-8'?>\r\n<Objects/>", true},
        {"utf-8 bom", "\xEF\xBB\xBF<?xml version=\"1.0\"?><Objects/>", true},
        {"comments and instructions", "<?xml version='1.0'?><!-- a <!DOCTYPE x> --><?pi x?>\n<Objects/>", true},
        {"latin-1", "<?xml version='1.0' encoding='iso-8859-1'?><r/>", true},
        {"utf-16le bom", Utf16("<?xml version='1.0' encoding='UTF-16'?><r/>", false, true), true},
        {"utf-16be bom", Utf16("<r/>", true, true), true},
        {"utf-16le no bom", Utf16("<?xml version='1.0'?><r/>", false, false), true},
        {"doctype", dtd, false},
        {"doctype after declaration", "<?xml version='1.0'?>\n" + dtd, false},
        {"doctype after comment", "<!-- c -->" + dtd, false},
        {"lower-case doctype", "<!doctype r><r/>", false},
        {"doctype with utf-8 bom", "\xEF\xBB\xBF" + dtd, false},
        {"doctype in utf-16le", Utf16(dtd, false, true), false},
        {"doctype in utf-16be", Utf16("<?xml version='1.0'?>" + dtd, true, true), false},
        {"doctype in utf-16le without bom", Utf16("<?xml version='1.0'?>" + dtd, false, false), false},
        {"utf-16 text declared utf-8", Utf16("<?xml version='1.0' encoding='UTF-8'?><r/>", false, true), false},
        {"utf-7", "<?xml version='1.0' encoding='UTF-7'?>+ADw-!DOCTYPE r+AD4-<r/>", false},
        {"ucs-4", std::string("\0\0\0<\0\0\0r", 8), false},
        {"ebcdic", "\x4C\x6F\xA7\x94", false},
        {"unclosed comment", "<!-- <r/>", false},
        {"declaration not first", " <?xml version='1.0'?><r/>", false},
        {"cdata before root", "<![CDATA[x]]><r/>", false},
        {"text before root", "x<r/>", false},
        {"nul before root", std::string("\0<r/>", 5), false},
        {"utf-16 without bom or declaration", Utf16("<r/>", false, false), false},
        {"empty", "", false},
        {"only a comment", "<!-- -->", false},
    };
    for (const PrologCase& c : cases) EXPECT_EQ(xml_file_io::HasSafeProlog(c.bytes), c.safe) << c.name;
}

TEST_F(XmlTest, EntityAttacksAreRefusedQuickly) {
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n <!ENTITY lol \"lol\">\n";
    laughs += " <!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n";
    for (int level = 2; level <= 9; ++level) {
        laughs += " <!ENTITY lol" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i) laughs += "&lol" + std::to_string(level - 1) + ";";
        laughs += "\">\n";
    }
    laughs += "]>\n<Objects><CommonSetting><ShowRenames>&lol9;</ShowRenames></CommonSetting></Objects>";
    const std::string external =
        "<?xml version=\"1.0\"?><!DOCTYPE Objects [<!ENTITY x SYSTEM \"file:///c:/windows/win.ini\">]>"
        "<Objects><CommonSetting><ShowRenames>&x;</ShowRenames></CommonSetting></Objects>";
    for (const std::string& document : {laughs, external}) {
        WriteFileBytes(m_folder / L"attack.xml", document);
        auto started = std::chrono::steady_clock::now();
        MyXmlReader reader;
        EXPECT_EQ(reader.Load(m_folder / L"attack.xml"), E_INVALIDARG);
        MyXmlWriterUtf8 writer;
        EXPECT_EQ(writer.LoadBytes(document), E_INVALIDARG);
        EXPECT_EQ(writer.SelectElements(L"ShowRenames"), nullptr);
        EXPECT_EQ(ReadFileBytes(m_folder / L"attack.xml"), document);
        // Not a timing assertion on speed, only a guard against expansion: refusing takes no
        // parsing at all, so anything near a second means the entities reached the parser.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    }
}

}  // namespace
