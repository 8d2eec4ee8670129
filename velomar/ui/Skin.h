// The theme reader: detects the screen's resolution class and orientation, loads the theme's
// "skin.xml" once and answers queries for the elements of buttons and bars under the selected
// resolution and orientation, for the theme folder and for the small records themed elements are
// made of. One instance, made on first use on the UI thread; a theme that cannot be found or read
// shows an error box and ends the program.
//
// Theme folder: <program folder>\themes\<setting "theme">\ then "square\", "qvga\" or "vga\" by
// the resolution class. In "skin.xml":
//   <velomar><resolution id="qvga"><orientation id="portrait">
//     <button id="wifi">...</button> <bar id="battery">...</bar> ...
#pragma once

#include <string>

#include "platform/base/types.h"
#include "velomar/ui/ThemeRecords.h"

struct IXMLDOMDocument;
struct IXMLDOMElement;
class CBarConfigXML;

class CSkin {
 public:
  // Resolution classes.
  static constexpr int kSquare = 0;
  static constexpr int kQvga = 1;
  static constexpr int kVga = 2;

  // The instance; the first call detects the screen and loads the skin.
  static CSkin* GetInstance();
  virtual ~CSkin();
  CSkin(const CSkin&) = delete;
  CSkin& operator=(const CSkin&) = delete;

  // Chooses and loads "skin.xml": a missing file shows "ERROR LOCATING SKIN", one that cannot be
  // read "ERROR READING SKIN", each with the path; then the program ends, unless the theme is not
  // the default one and the user takes the default theme instead (the setting then names it).
  virtual void Load();
  // Resolution class and orientation from the screen: 240 x 320 either way is QVGA; a square
  // screen is square; a side over 320 is VGA; any other screen is QVGA.
  virtual void DetectResolution();
  // The element `button` (or the orientation element itself) under the selected orientation;
  // the caller releases it. Null when absent.
  virtual IXMLDOMElement* GetButtonNode(const std::u16string& id);
  virtual IXMLDOMElement* GetOrientationNode();
  // Hands the element `bar` of that id (null when absent) to the bar's ReadConfig.
  virtual void GetBarNode(CBarConfigXML* bar, const std::u16string& id);
  // The theme folder for the resolution class, ending with a backslash (the setting is read
  // afresh on every call).
  virtual void GetThemeFolder(std::u16string& folder);
  std::u16string GetThemeFolder() {
    std::u16string folder;
    GetThemeFolder(folder);
    return folder;
  }

  // The readers fill only the fields whose attribute or child is present, and release the
  // element they are given (which may be null).
  virtual void ReadPosition(ThemePosition& position, IXMLDOMElement* element);
  virtual void ReadFont(CFontDescription& font, IXMLDOMElement* element);
  virtual void ReadTextState(CTextState& state, IXMLDOMElement* element);
  virtual void ReadTextHolder(CTextHolder& holder, IXMLDOMElement* element);
  virtual void ReadLabel(CButtonText& label, IXMLDOMElement* element);
  virtual void ReadRgb(ThemeRgb& rgb, IXMLDOMElement* element);

  // The theme folder images are loaded from: the instance's when there is one, else the one for
  // the screen's resolution class (found without loading the skin).
  static std::u16string CurrentThemeFolder();
  // Resolution class and orientation of the current screen.
  static void DetectScreen(int& resolution, int& orientation);

  int GetResolutionClass() const { return m_resolution; }
  int GetOrientation() const { return m_orientation; }
  // The path of the skin file for the resolution class.
  std::u16string GetSkinPath();

 protected:
  CSkin() = default;

 private:
  // Asks (with `text` and `path`) whether to use the default theme in place of one that cannot be
  // loaded; on yes the setting names it and it is loaded. False when the theme is the default one,
  // the default theme has no skin file for this screen, or the answer is no (`asked` tells whether
  // the question was shown).
  bool OfferDefaultTheme(const std::u16string& text, const std::u16string& path, bool& asked);
  // "/velomar/resolution[@id='..']/orientation[@id='..']".
  std::u16string OrientationQuery() const;
  static std::u16string ThemeFolderFor(int resolution);

  int m_resolution = kQvga;
  int m_orientation = 0;
  IXMLDOMDocument* m_document = nullptr;
};

namespace velomar::seam {
// What ends the program when the skin cannot be found or read. By default the process ends at
// once with exit code 0; a test records the call instead and the skin stays without a document.
using SkinEndProgramHandler = void (*)();
void SetSkinEndProgram(SkinEndProgramHandler handler);
// Forgets the instance, so that the next GetInstance detects and loads again (tests).
void ResetSkin();
}  // namespace velomar::seam
