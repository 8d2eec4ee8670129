// The parsed form of a module's resources, for the areas that build windows and menus from them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/types.h"

namespace ce::resources {

// A resource name: a number or a text (kept upper-case, as names match without regard to case).
struct ResName {
  WORD id = 0;
  std::u16string name;
  static ResName From(LPCWSTR name_or_id);
  bool operator<(const ResName& o) const { return id != o.id ? id < o.id : name < o.name; }
  bool operator==(const ResName& o) const { return id == o.id && name == o.name; }
};

struct ControlTemplate {
  std::u16string cls;   // class name ("Button", "SysListView32", ...)
  int id = 0;
  std::u16string text;
  WORD text_ordinal = 0;  // a text given as a resource number (an image of a static); 0: none
  short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  DWORD style = 0, ex_style = 0;
};

struct DialogTemplate {
  DWORD style = 0, ex_style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  std::u16string caption;
  std::u16string font_face;  // empty: the system font
  WORD font_points = 0;
  std::vector<ControlTemplate> controls;
};

struct MenuItemTemplate {
  UINT id = 0;
  std::u16string text;
  UINT flags = 0;  // MF_GRAYED, MF_CHECKED, MF_SEPARATOR, MF_POPUP
  std::vector<MenuItemTemplate> children;  // a popup's items
};

struct SoftKeyTemplate {
  UINT id = 0;           // the command it sends; for a popup key, the id of the button
  std::u16string text;
  int popup = -1;        // index of the popup in the bar's menu it opens; -1: a plain command
};

struct SoftKeyBarTemplate {
  ResName menu;  // the menu its popup keys open
  std::vector<SoftKeyTemplate> keys;
};

struct ResourceSet {
  std::map<ResName, DialogTemplate> dialogs;
  std::map<ResName, std::vector<MenuItemTemplate>> menus;
  std::map<ResName, SoftKeyBarTemplate> softkeys;
  std::map<UINT, std::u16string> strings;
  // File contents by type (RT_BITMAP, RT_ICON, RT_WAVE, RT_RCDATA as their number or name).
  std::map<ResName, std::map<ResName, std::vector<std::uint8_t>>> files;
};

// Parses the resource text. `files` holds the contents of the files it names, by their path
// relative to the res/ folder. An error names the line ("line 12: unknown style 'WS_FOO'").
struct ParseResult {
  std::shared_ptr<ResourceSet> set;
  std::string error;
};
ParseResult ParseResources(std::string_view text, const std::map<std::string, std::vector<std::uint8_t>>& files);

// Several resource texts (the res/*.txt files of one folder, in name order) read as one set. An
// error names the text it is in ("menus.txt: line 3: ..."); a resource of one kind and id defined
// in two texts is an error naming both ("dialog 110 is defined in both a.txt and b.txt").
struct NamedText {
  std::string name;
  std::string_view text;
};
ParseResult ParseResourceTexts(const std::vector<NamedText>& texts,
                               const std::map<std::string, std::vector<std::uint8_t>>& files);

// Makes `set` the resources of the module named `module` (its file name without folder and
// extension: u"Velomar", u"TodayVelomar"); an empty name is the running program. Replaces any
// earlier set of that module.
void AddModuleResources(std::u16string module, std::shared_ptr<ResourceSet> set);
// Parses and adds; answers the parse error (empty when added).
std::string AddModuleResourceText(std::u16string module, std::string_view text,
                                  const std::map<std::string, std::vector<std::uint8_t>>& files = {});
void RemoveModuleResources(const std::u16string& module);

// The resources of a module handle (null: the running program), or of a module by name.
std::shared_ptr<const ResourceSet> ResourcesOf(HMODULE module);
std::shared_ptr<const ResourceSet> ModuleResources(const std::u16string& module);
const DialogTemplate* FindDialog(const ResourceSet& set, LPCWSTR name);

// The binary dialog template, field by field, and back. Decode reads at most `size` bytes and
// answers nothing for a malformed template.
std::vector<std::uint8_t> EncodeDialog(const DialogTemplate& dialog);
std::optional<DialogTemplate> DecodeDialog(const void* data, std::size_t size);
// The size of a template that FindResourceW handed out at `data`, or 0 when it is not one of ours.
std::size_t KnownTemplateSize(const void* data);

// The value of a style name ("WS_CHILD", "BS_AUTOCHECKBOX", ...), if known.
std::optional<DWORD> StyleValue(std::string_view name);

}  // namespace ce::resources
