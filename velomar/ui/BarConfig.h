// The looks of the main window's battery and signal gauges, read from the theme's `bar`
// elements ("battery", "signal"): what the two have in common in CBarConfigXML, the images of
// each in its subclass.
#pragma once

#include <string>

#include "velomar/ui/ThemeRecords.h"

struct IXMLDOMElement;

// The root of the theme configuration objects.
class CXmlConfigRoot {
 public:
  virtual ~CXmlConfigRoot() = default;
};

class CBarConfigXML : public CXmlConfigRoot {
 public:
  CBarConfigXML() = default;
  ~CBarConfigXML() override;
  CBarConfigXML(const CBarConfigXML&) = delete;
  CBarConfigXML& operator=(const CBarConfigXML&) = delete;

  // Reads the bar element (null: only the id is kept). Absent attributes and children keep
  // their values. The node is kept (the object holds a reference) until the next read.
  virtual void ReadConfig(IXMLDOMElement* node, const std::u16string& id);
  // The subclass's own elements.
  virtual void GetConfigFromXML(IXMLDOMElement* node, const std::u16string& id);

  std::u16string m_id;
  bool m_border = true;
  int m_borderWidth = -1;
  ThemeRgb m_borderRgb;
  ThemePosition m_position;
  // false: gradient fill ("gradient"), true: any other mode.
  bool m_mode = false;
  bool m_autolocate = true;
  ThemeRgb m_gradientBegin;
  ThemeRgb m_gradientEnd;
  CFontDescription m_font;
  CTextHolder m_barImage;
  IXMLDOMElement* m_node = nullptr;
  CButtonText m_percentage;
};

class CBarBatteryConfigXML : public CBarConfigXML {
 public:
  void GetConfigFromXML(IXMLDOMElement* node, const std::u16string& id) override;
  CTextHolder m_acImage;
  CTextHolder m_batteryImage;
};

class CBarSignalConfigXML : public CBarConfigXML {
 public:
  void GetConfigFromXML(IXMLDOMElement* node, const std::u16string& id) override;
  CTextHolder m_signalImage;
};
