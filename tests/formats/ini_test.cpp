// The INI reader: values found as the profile service finds them.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "formats/ini.h"

namespace velmor::formats {
namespace {

TEST(IniFile, ValuesAsTheProfileServiceReadsThem) {
  struct Case {
    const char* text;
    std::optional<std::string> value;
  };
  for (const Case& c : {
           Case{"[Velmor]\nDatPath=C:\\GAME\\\n", "C:\\GAME\\"},
           Case{"[velmor]\r\n  datpath =  /data/  \r\n", "/data/"},
           Case{"[Velmor]\nDatPath=\"/with space/\"\n", "/with space/"},
           Case{"[Velmor]\nDatPath=\n", ""},
           Case{"; [Velmor]\n[Other]\nDatPath=/no/\n", std::nullopt},
           Case{"[Velmor]\n;DatPath=/commented/\nOther=1\n", std::nullopt},
           Case{"[Velmor]\nDatPath=/first/\nDatPath=/second/\n", "/first/"},
           Case{"", std::nullopt},
       }) {
    EXPECT_EQ(ReadIniValue(c.text, "Velmor", "DatPath"), c.value) << c.text;
  }
}

}  // namespace
}  // namespace velmor::formats
