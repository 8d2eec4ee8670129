// ole32.dll and oleaut32.dll by name.
#include <gtest/gtest.h>

#include "platform/libraries/libraries.h"
#include "platform/xml/com_base.h"

namespace {

using ce::libraries::ProcAs;

TEST(ComLibrariesTest, StringsAndClassIdsThroughTheLibraries) {
  HMODULE ole = LoadLibraryW(u"ole32.dll");
  HMODULE aut = LoadLibraryW(u"OLEAUT32");
  ASSERT_TRUE(ole && aut);
  for (const char* name : {"CoInitializeEx", "CoUninitialize", "CoCreateInstance"}) {
    EXPECT_NE(GetProcAddress(ole, name), nullptr) << name;
  }
  auto parse = ProcAs<decltype(CLSIDFromString)>(GetProcAddress(ole, u"CLSIDFromString"));
  CLSID id{};
  ASSERT_EQ(parse(u"{00000001-0002-0003-0405-060708090A0B}", &id), S_OK);
  EXPECT_EQ(id.Data1, 1u);
  EXPECT_EQ(id.Data4[7], 0x0B);

  auto alloc = ProcAs<decltype(SysAllocString)>(GetProcAddress(aut, u"SysAllocString"));
  auto length = ProcAs<decltype(SysStringLen)>(GetProcAddress(aut, u"SysStringLen"));
  auto free_string = ProcAs<decltype(SysFreeString)>(GetProcAddress(aut, u"SysFreeString"));
  BSTR text = alloc(u"Velomar");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(length(text), 7u);
  free_string(text);
  EXPECT_NE(GetProcAddress(aut, u"VariantClear"), nullptr);
  FreeLibrary(aut);
  FreeLibrary(ole);
}

}  // namespace
