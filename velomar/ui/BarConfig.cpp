#include "velomar/ui/BarConfig.h"

#include "velomar/ui/DomHelpers.h"
#include "velomar/ui/Skin.h"

using velomar::ui::Attribute;
using velomar::ui::IntAttribute;
using velomar::ui::Ref;
using velomar::ui::SelectElement;

CBarConfigXML::~CBarConfigXML() {
  if (m_node) m_node->Release();
}

void CBarConfigXML::ReadConfig(IXMLDOMElement* node, const std::u16string& id) {
  m_id = id;
  if (m_node) m_node->Release();
  m_node = node;
  if (!node) return;
  m_node->AddRef();
  if (auto border = Attribute(node, u"border")) m_border = *border != u"no";
  if (auto autolocate = Attribute(node, u"autolocate")) m_autolocate = *autolocate != u"no";
  if (auto mode = Attribute(node, u"mode")) m_mode = *mode != u"gradient";
  CSkin* skin = CSkin::GetInstance();
  skin->ReadPosition(m_position, SelectElement(node, u"./position"));
  skin->ReadRgb(m_gradientBegin, SelectElement(node, u"./gradient[@id='begin']/rgb"));
  skin->ReadRgb(m_gradientEnd, SelectElement(node, u"./gradient[@id='end']/rgb"));
  skin->ReadFont(m_font, SelectElement(node, u"./font"));
  skin->ReadTextHolder(m_barImage, SelectElement(node, u"./image[@id='bar']"));
  skin->ReadLabel(m_percentage, SelectElement(node, u"./ButtonText[@id='percentage']"));
  {
    Ref<IXMLDOMElement> border(SelectElement(node, u"./border_color"));
    if (auto width = IntAttribute(border.get(), u"width")) m_borderWidth = *width;
  }
  skin->ReadRgb(m_borderRgb, SelectElement(node, u"./border_color/rgb"));
  GetConfigFromXML(node, id);
}

void CBarConfigXML::GetConfigFromXML(IXMLDOMElement*, const std::u16string&) {}

void CBarBatteryConfigXML::GetConfigFromXML(IXMLDOMElement* node, const std::u16string&) {
  CSkin* skin = CSkin::GetInstance();
  skin->ReadTextHolder(m_acImage, SelectElement(node, u"./image[@id='AC']"));
  skin->ReadTextHolder(m_batteryImage, SelectElement(node, u"./image[@id='battery']"));
}

void CBarSignalConfigXML::GetConfigFromXML(IXMLDOMElement* node, const std::u16string&) {
  CSkin::GetInstance()->ReadTextHolder(m_signalImage, SelectElement(node, u"./image[@id='signal']"));
}
