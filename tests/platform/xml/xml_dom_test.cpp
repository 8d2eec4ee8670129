// The XML document object: XPath queries on a theme, load failures, building and saving.
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/testing/device_test.h"
#include "platform/text/utf.h"
#include "platform/xml/msxml.h"
#include "platform/xml/xml_test_seam.h"

namespace {

// Owns one BSTR for a call.
struct Bstr {
  BSTR s;
  explicit Bstr(const char16_t* text) : s(SysAllocString(text)) {}
  ~Bstr() { SysFreeString(s); }
  operator BSTR() const { return s; }
};

VARIANT PathVariant(const Bstr& path) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = path.s;
  return v;
}

std::string Take(BSTR s) {
  std::string out = ce::text::ToUtf8(std::u16string_view(s ? s : u"", SysStringLen(s)));
  SysFreeString(s);
  return out;
}

std::string Attr(IXMLDOMElement* e, const char16_t* name) {
  VARIANT v;
  if (e->getAttribute(Bstr(name), &v) != S_OK) return "<absent>";
  std::string out = Take(v.bstrVal);
  return out;
}

class XmlDom : public ce::testing::DeviceTest {
 protected:
  void Write(const std::string& ce_name, const std::string& content) {
    std::filesystem::create_directories(device_folder() / "root");
    std::ofstream(device_folder() / "root" / ce_name, std::ios::binary) << content;
  }
  IXMLDOMDocument* NewDoc() {
    IXMLDOMDocument* doc = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, 23, IID_IXMLDOMDocument, reinterpret_cast<void**>(&doc)),
              S_OK);
    doc->put_validateOnParse(VARIANT_FALSE);
    doc->put_resolveExternals(VARIANT_FALSE);
    doc->put_preserveWhiteSpace(VARIANT_FALSE);
    return doc;
  }
  // Loads a CE path; answers the load's result and whether it said loaded.
  HRESULT Load(IXMLDOMDocument* doc, const char16_t* path, VARIANT_BOOL* ok) {
    Bstr p(path);
    return doc->load(PathVariant(p), ok);
  }
  IXMLDOMElement* Select(IXMLDOMNode* from, const char16_t* query) {
    IXMLDOMNode* node = nullptr;
    if (from->selectSingleNode(Bstr(query), &node) != S_OK) return nullptr;
    IXMLDOMElement* e = nullptr;
    node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&e));
    node->Release();
    return e;
  }
};

const char kSkin[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<velomar>\n"
    "  <resolution id=\"qvga\">\n"
    "    <orientation id=\"landscape\"><button id=\"phone\"><position x=\"1\" y=\"2\" cx=\"3\" cy=\"4\"/></button></orientation>\n"
    "    <orientation id=\"portrait\">\n"
    "      <button id=\"phone\">\n"
    "        <position x=\"10\" y=\"20\"/>\n"
    "        <image id=\"on_pressed\" x=\"5\" r=\"10\" g=\"20\" b=\"30\">  phone_on.png  </image>\n"
    "      </button>\n"
    "      <bar id=\"battery\"/>\n"
    "    </orientation>\n"
    "  </resolution>\n"
    "</velomar>\n";

TEST_F(XmlDom, ThemeQueriesFindTheRightElement) {
  Write("skin.xml", kSkin);
  IXMLDOMDocument* doc = NewDoc();
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(Load(doc, u"\\SKIN.XML", &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);

  IXMLDOMElement* orientation =
      Select(doc, u"/velomar/resolution[@id='qvga']/orientation[@id='portrait']");
  ASSERT_NE(orientation, nullptr);
  IXMLDOMElement* button = Select(doc, u"/velomar/resolution[@id='qvga']/orientation[@id='portrait']/button[@id='phone']");
  ASSERT_NE(button, nullptr);
  IXMLDOMElement* position = Select(button, u"./position");
  ASSERT_NE(position, nullptr);
  EXPECT_EQ(Attr(position, u"x"), "10");
  EXPECT_EQ(Attr(position, u"y"), "20");
  EXPECT_EQ(Attr(position, u"cx"), "<absent>");
  IXMLDOMElement* image = Select(button, u"./image[@id='on_pressed']");
  ASSERT_NE(image, nullptr);
  BSTR text = nullptr;
  ASSERT_EQ(image->get_text(&text), S_OK);
  EXPECT_EQ(Take(text), "phone_on.png");
  EXPECT_EQ(Attr(image, u"b"), "30");

  // Absent elements answer S_FALSE and null; a bad query is an error, not a crash.
  IXMLDOMNode* none = reinterpret_cast<IXMLDOMNode*>(1);
  EXPECT_EQ(orientation->selectSingleNode(Bstr(u"./button[@id='wifi']"), &none), S_FALSE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(doc->selectSingleNode(Bstr(u"/velomar/[["), &none), E_FAIL);
  IXMLDOMNodeList* list = nullptr;
  ASSERT_EQ(doc->selectNodes(Bstr(u"//button"), &list), S_OK);
  LONG n = 0;
  list->get_length(&n);
  EXPECT_EQ(n, 2);
  list->Release();

  // Nodes keep the document alive after the caller releases it.
  doc->Release();
  BSTR name = nullptr;
  ASSERT_EQ(position->get_nodeName(&name), S_OK);
  EXPECT_EQ(Take(name), "position");
  for (IXMLDOMElement* e : {orientation, button, position, image}) e->Release();
}

TEST_F(XmlDom, LoadFailuresLeaveAnEmptyDocument) {
  Write("broken.xml", "<velomar><texts><text id='A'>x</texts>");
  Write("empty.xml", "");
  Write("latin1.xml", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><velomar>Espa\xF1" "a</velomar>");
  struct Case {
    const char16_t* path;
    HRESULT hr;
    const char* text;  // of the document element, when loaded
  } cases[] = {
      {u"\\missing.xml", S_FALSE, nullptr},
      {u"\\no folder\\skin.xml", S_FALSE, nullptr},
      {u"\\broken.xml", S_FALSE, nullptr},
      {u"\\empty.xml", S_FALSE, nullptr},
      {u"\\latin1.xml", S_OK, "Espa\xC3\xB1" "a"},
  };
  for (const Case& c : cases) {
    IXMLDOMDocument* doc = NewDoc();
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(Load(doc, c.path, &ok), c.hr) << ce::text::ToUtf8(c.path);
    IXMLDOMElement* root = nullptr;
    doc->get_documentElement(&root);
    if (c.text) {
      EXPECT_EQ(ok, VARIANT_TRUE);
      ASSERT_NE(root, nullptr);
      BSTR t = nullptr;
      root->get_text(&t);
      EXPECT_EQ(Take(t), c.text);
      root->Release();
    } else {
      EXPECT_EQ(ok, VARIANT_FALSE);
      EXPECT_EQ(root, nullptr);
      IXMLDOMNode* node = nullptr;
      EXPECT_EQ(doc->selectSingleNode(Bstr(u"/velomar/texts/text[@id='A']"), &node), S_FALSE);
    }
    doc->Release();
  }
}

TEST_F(XmlDom, BuildSaveAndReadBack) {
  IXMLDOMDocument* doc = NewDoc();
  IXMLDOMElement* root = nullptr;
  ASSERT_EQ(doc->createElement(Bstr(u"Velomar"), &root), S_OK);
  ASSERT_EQ(doc->appendChild(root, nullptr), S_OK);
  // A place filled while it is still outside the tree, with a child whose wrapper is kept.
  IXMLDOMElement* place = nullptr;
  IXMLDOMElement* cell = nullptr;
  doc->createElement(Bstr(u"place"), &place);
  doc->createElement(Bstr(u"cell"), &cell);
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  Bstr home(u"Home <& \"quoted\">");
  v.bstrVal = home;
  EXPECT_EQ(place->setAttribute(Bstr(u"name"), v), S_OK);
  v.vt = VT_I4;
  v.lVal = -5;
  EXPECT_EQ(place->setAttribute(Bstr(u"id"), v), S_OK);
  ASSERT_EQ(place->appendChild(cell, nullptr), S_OK);
  ASSERT_EQ(root->appendChild(place, nullptr), S_OK);
  v.vt = VT_UI2;
  v.uiVal = 65535;
  EXPECT_EQ(cell->setAttribute(Bstr(u"id"), v), S_OK);  // the kept wrapper now works in the tree
  v.vt = VT_R8;
  EXPECT_EQ(cell->setAttribute(Bstr(u"x"), v), DISP_E_TYPEMISMATCH);
  // A second document element and a cycle are refused.
  IXMLDOMElement* other = nullptr;
  doc->createElement(Bstr(u"other"), &other);
  EXPECT_EQ(doc->appendChild(other, nullptr), E_FAIL);
  EXPECT_EQ(cell->appendChild(root, nullptr), E_FAIL);

  VARIANT_BOOL ok;
  Bstr path(u"\\Velomar.xml");
  ASSERT_EQ(doc->save(PathVariant(path)), S_OK);
  Bstr bad(u"\\no folder\\Velomar.xml");
  EXPECT_EQ(doc->save(PathVariant(bad)), E_FAIL);
  for (IXMLDOMElement* e : {root, place, cell, other}) e->Release();
  doc->Release();

  IXMLDOMDocument* back = NewDoc();
  ASSERT_EQ(Load(back, u"\\velomar.xml", &ok), S_OK);
  IXMLDOMElement* r = nullptr;
  ASSERT_EQ(back->get_documentElement(&r), S_OK);
  IXMLDOMNode* child = nullptr;
  ASSERT_EQ(r->get_firstChild(&child), S_OK);
  IXMLDOMElement* p = nullptr;
  ASSERT_EQ(child->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&p)), S_OK);
  EXPECT_EQ(Attr(p, u"name"), "Home <& \"quoted\">");
  EXPECT_EQ(Attr(p, u"id"), "-5");
  IXMLDOMNode* next = nullptr;
  EXPECT_EQ(child->get_nextSibling(&next), S_FALSE);
  IXMLDOMElement* c = Select(p, u"cell");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(Attr(c, u"id"), "65535");
  for (IUnknown* u : std::initializer_list<IUnknown*>{c, p, child, r, back}) u->Release();
}

TEST_F(XmlDom, ReloadKeepsHeldNodesUsable) {
  Write("a.xml", "<velomar><text id='A'>first</text></velomar>");
  Write("b.xml", "<velomar><text id='B'>second</text></velomar>");
  IXMLDOMDocument* doc = NewDoc();
  VARIANT_BOOL ok;
  ASSERT_EQ(Load(doc, u"\\a.xml", &ok), S_OK);
  IXMLDOMElement* a = Select(doc, u"//text");
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(Load(doc, u"\\b.xml", &ok), S_OK);
  BSTR t = nullptr;
  ASSERT_EQ(a->get_text(&t), S_OK);
  EXPECT_EQ(Take(t), "first");
  IXMLDOMElement* b = Select(doc, u"//text");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(Attr(b, u"id"), "B");
  IXMLDOMNode* parent = nullptr;
  a->get_parentNode(&parent);
  ASSERT_NE(parent, nullptr);  // its old root, now outside the document
  parent->Release();
  a->Release();
  b->Release();
  doc->Release();
}

TEST_F(XmlDom, DeeplyNestedDocumentsDoNotExhaustTheStack) {
  constexpr int kDepth = 200000;
  std::u16string deep;
  for (int i = 0; i < kDepth; ++i) deep += u"<a>";
  deep += u"x";
  for (int i = 0; i < kDepth; ++i) deep += u"</a>";
  IXMLDOMDocument* doc = NewDoc();
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(doc->loadXML(Bstr(deep.c_str()), &ok), S_OK);
  ASSERT_EQ(ok, VARIANT_TRUE);
  IXMLDOMElement* root = nullptr;
  ASSERT_EQ(doc->get_documentElement(&root), S_OK);
  BSTR t = nullptr;
  ASSERT_EQ(root->get_text(&t), S_OK);
  EXPECT_EQ(Take(t), "x");
  // A reload moves the held tree out of the document, node by node.
  ASSERT_EQ(doc->loadXML(Bstr(u"<b/>"), &ok), S_OK);
  ASSERT_EQ(root->get_text(&t), S_OK);
  EXPECT_EQ(Take(t), "x");
  // Replacing the deep content removes it.
  ASSERT_EQ(root->put_text(Bstr(u"flat")), S_OK);
  ASSERT_EQ(root->get_text(&t), S_OK);
  EXPECT_EQ(Take(t), "flat");
  root->Release();
  doc->Release();
}

TEST_F(XmlDom, ComStandIns) {
  EXPECT_EQ(CoInitializeEx(nullptr, 0), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, 0), S_FALSE);
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromString(u"{2933bf90-7B36-11D2-B20E-00C04F983E60}", &clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_DOMDocument));
  for (const char16_t* bad : {u"", u"{2933BF90-7B36-11D2-B20E-00C04F983E6}", u"{2933BF90+7B36-11D2-B20E-00C04F983E60}",
                              u"{2933BF90-7B36-11D2-B20E-00C04F983EXY}"})
    EXPECT_EQ(CLSIDFromString(bad, &clsid), CO_E_CLASSSTRING);
  void* obj = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(IID_IXMLDOMElement, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument, &obj), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(obj, nullptr);
  ce::xml::FailNextDocumentCreation(E_OUTOFMEMORY);
  EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument, &obj), E_OUTOFMEMORY);
  // A text node is no element.
  IXMLDOMDocument* doc = NewDoc();
  IXMLDOMNode* text = nullptr;
  ASSERT_EQ(doc->createTextNode(Bstr(u"t"), &text), S_OK);
  EXPECT_EQ(text->QueryInterface(IID_IXMLDOMElement, &obj), E_NOINTERFACE);
  text->Release();
  doc->Release();
  CoUninitialize();
  CoUninitialize();
}

}  // namespace
