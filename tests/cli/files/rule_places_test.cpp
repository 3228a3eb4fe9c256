#include "cli/files/rule_places.h"

#include <gtest/gtest.h>

#include <map>

namespace vantrel::cli {
namespace {

using Variables = std::map<std::string, std::string>;

EnvironmentLookup lookupIn(const Variables& variables) {
  return [variables](const char* name) {
    const auto found = variables.find(name);
    return found == variables.end() ? std::string() : found->second;
  };
}

TEST(RulePlacesTest, XdgFoldersInOrderWithTheirDefaults) {
  struct Case {
    Variables variables;
    std::vector<std::string> places;
  };
  const Case cases[] = {
      {{{"HOME", "/home/u"}},
       {"/home/u/.config/vantrel/fix.dat", "/etc/xdg/vantrel/fix.dat", "/etc/vantrel/fix.dat"}},
      {{{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_CONFIG_DIRS", "/a:/b/c"}},
       {"/cfg/vantrel/fix.dat", "/a/vantrel/fix.dat", "/b/c/vantrel/fix.dat",
        "/etc/vantrel/fix.dat"}},
      // Relative and empty entries are ignored, as the XDG rules say.
      {{{"HOME", "/h"}, {"XDG_CONFIG_HOME", "cfg"}, {"XDG_CONFIG_DIRS", "::rel:/x:"}},
       {"/h/.config/vantrel/fix.dat", "/x/vantrel/fix.dat", "/etc/vantrel/fix.dat"}},
      {{{"XDG_CONFIG_DIRS", "rel"}}, {"/etc/xdg/vantrel/fix.dat", "/etc/vantrel/fix.dat"}},
  };
  for (const Case& c : cases) EXPECT_EQ(xdgRulePlaces(lookupIn(c.variables)), c.places);
}

TEST(RulePlacesTest, WindowsFoldersInOrder) {
  EXPECT_EQ(windowsRulePlaces(lookupIn({{"APPDATA", "C:\\Users\\u\\AppData\\Roaming"},
                                        {"PROGRAMDATA", "C:\\ProgramData"}})),
            (std::vector<std::string>{"C:\\Users\\u\\AppData\\Roaming\\Vantrel\\fix.dat",
                                      "C:\\ProgramData\\Vantrel\\fix.dat"}));
  EXPECT_EQ(windowsRulePlaces(lookupIn({{"PROGRAMDATA", "D:\\PD"}})),
            std::vector<std::string>{"D:\\PD\\Vantrel\\fix.dat"});
}

TEST(RulePlacesTest, TheNamedFileAloneElseBesideTheProgramFirst) {
  const Variables home = {{"HOME", "/h"}, {"XDG_CONFIG_DIRS", "/x"}};
  const std::vector<std::string> system = systemRulePlaces(lookupIn(home));
  std::vector<std::string> expected = {"/opt/v/fix.dat"};
  expected.insert(expected.end(), system.begin(), system.end());
  EXPECT_EQ(rulePlaces("/opt/v/", lookupIn(home)), expected);
  EXPECT_EQ(rulePlaces("", lookupIn(home)), system);

  Variables named = home;
  named["VANTREL_RULES"] = "my rules.dat";
  EXPECT_EQ(rulePlaces("/opt/v/", lookupIn(named)), std::vector<std::string>{"my rules.dat"});
}

}  // namespace
}  // namespace vantrel::cli
