// The modes against one another and against --help: each mode takes exactly
// the options its paragraph names, and no two modes go together.
#include "cli/options/mode_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "cli/options/cli_options.h"
#include "cli/options/option_table.h"
#include "cli/options/usage_text.h"

namespace vantrel::cli {
namespace {

std::vector<const ModeRow*> chosenModes() {
  std::vector<const ModeRow*> modes;
  for (const ModeRow& mode : modeTable()) {
    if (mode.option != nullptr) modes.push_back(&mode);
  }
  return modes;
}

std::string longName(const ModeRow& mode) { return std::string("--") + mode.option; }

// A command line that `mode` can run: its option and the operands it needs.
std::vector<std::string> runnable(const ModeRow& mode) {
  std::vector<std::string> args;
  if (mode.option != nullptr) args.push_back(longName(mode));
  if (mode.operands == Operands::Movies) args.push_back("a.qlm");
  if (mode.operands == Operands::Pairs) args.insert(args.end(), {"good.qlm", "bad.qlm"});
  return args;
}

// `row` as given on a command line, with a value where it takes one.
std::vector<std::string> given(const OptionRow& row) {
  const std::string name = std::string("--") + row.longName;
  if (row.argument == OptionArgument::Required) {
    // A number where the option takes one (--agreement=PERCENT, --min-movies=N).
    const std::string argument = row.argumentName != nullptr ? row.argumentName : "";
    return {name, argument == "PERCENT" || argument == "N" ? "7" : "value"};
  }
  if (row.argument == OptionArgument::Optional) return {name + "=.x"};
  return {name};
}

// The options --help says `mode` takes: for a mode of its own, the list that
// ends its paragraph; for the repair, whose usage is "[OPTION]...", every
// option but the modes', --help, --version and those whose paragraph begins
// "with --MODE" (--agreement: "with --suggest-rules, ...").
std::set<std::string> takenPerHelp(const ModeRow& mode, const std::string& help) {
  std::set<std::string> names;
  if (mode.option == nullptr) {
    for (const OptionRow& row : optionTable()) {
      const std::string name = row.longName;
      const bool ofAMode = row.help != nullptr && std::string(row.help).rfind("with --", 0) == 0;
      if (row.mode == nullptr && name != "help" && name != "version" && !ofAMode) {
        names.insert(name);
      }
    }
    return names;
  }
  const std::string head = "\n  " + longName(mode);
  const std::size_t start = help.find(head);
  EXPECT_NE(start, std::string::npos) << head;
  if (start == std::string::npos) return names;
  const std::size_t end = help.find("\n  -", start + head.size());
  std::string paragraph = help.substr(start, end - start);
  std::replace(paragraph.begin(), paragraph.end(), '\n', ' ');
  const std::size_t takes = paragraph.find(". Takes only ");
  if (takes == std::string::npos) return names;
  std::string list = paragraph.substr(takes + 13);
  for (std::size_t at = list.find(" and "); at != std::string::npos; at = list.find(" and ")) {
    list.replace(at, 5, ", ");
  }
  for (std::size_t from = 0; from < list.size();) {
    std::size_t comma = list.find(',', from);
    if (comma == std::string::npos) comma = list.size();
    std::string word = list.substr(from, comma - from);
    word.erase(0, word.find_first_not_of(' '));
    word.erase(word.find_last_not_of(' ') + 1);
    for (const OptionRow& row : optionTable()) {
      if (word == std::string("--") + row.longName ||
          (row.shortName != '\0' && word == std::string("-") + row.shortName)) {
        names.insert(row.longName);
      }
    }
    from = comma + 1;
  }
  return names;
}

TEST(ModeTableTest, NoTwoModesGoTogetherInEitherOrder) {
  const std::vector<const ModeRow*> modes = chosenModes();
  ASSERT_GE(modes.size(), 4u);
  for (const ModeRow* first : modes) {
    for (const ModeRow* second : modes) {
      if (first == second) continue;
      for (const std::vector<std::string>& args :
           {std::vector<std::string>{longName(*first), longName(*second)},
            std::vector<std::string>{longName(*first), "a.qlm", longName(*second), "b.qlm"}}) {
        const CliOptions options = parseCliOptions(args);
        EXPECT_EQ(options.action, CliAction::UsageError) << args[0] << ' ' << args[1];
        EXPECT_EQ(options.usageError, "option '" + longName(*first) + "' cannot be used with '" +
                                          longName(*second) + "'");
      }
    }
    // Given twice it is still one mode.
    std::vector<std::string> twice = runnable(*first);
    twice.push_back(longName(*first));
    EXPECT_EQ(parseCliOptions(twice).action, first->action) << twice[0];
  }
}

TEST(ModeTableTest, EachModeTakesExactlyTheOptionsItsHelpNames) {
  const std::string help = usageTextFor("vantrel");
  for (const ModeRow& mode : modeTable()) {
    const std::string modeName = mode.option != nullptr ? longName(mode) : "the repair";
    EXPECT_EQ(parseCliOptions(runnable(mode)).action, mode.action) << modeName;
    const std::set<std::string> taken = takenPerHelp(mode, help);
    EXPECT_FALSE(taken.empty()) << modeName;
    for (const OptionRow& row : optionTable()) {
      const std::string name = row.longName;
      if (row.mode != nullptr || name == "help" || name == "version") continue;
      std::vector<std::string> args = runnable(mode);
      const bool takes = taken.count(name) != 0;
      if (takes && row.needs != nullptr)
        args.insert(args.end(), {"--" + std::string(row.needs), "l"});
      // Before the mode's option and after it.
      for (const bool before : {false, true}) {
        std::vector<std::string> line = args;
        const std::vector<std::string> option = given(row);
        line.insert(before ? line.begin() : line.end(), option.begin(), option.end());
        const CliOptions options = parseCliOptions(line);
        if (takes) {
          EXPECT_EQ(options.action, mode.action)
              << modeName << " " << name << ": " << options.usageError;
        } else {
          EXPECT_EQ(options.action, CliAction::UsageError) << modeName << " " << name;
          // A list of movies is told as the movies are.
          if (mode.operands == Operands::None && name == "files-from") {
            EXPECT_EQ(options.usageError, "option '" + modeName + "' takes no movie file");
            continue;
          }
          EXPECT_NE(options.usageError.find("'--" + name + "'"), std::string::npos)
              << options.usageError;
          if (mode.option != nullptr) {
            EXPECT_NE(options.usageError.find("'" + modeName + "'"), std::string::npos)
                << options.usageError;
          }
        }
      }
    }
    if (mode.option != nullptr) {
      EXPECT_NE(help.find("\n  or:  vantrel " + longName(mode)), std::string::npos) << modeName;
    }
  }
}

TEST(ModeTableTest, OptionsAModeDoesNotUseAreUsageErrorsThatNameBoth) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"--check-rules", "--backup"}, "option '--check-rules' cannot be used with '--backup'"},
      {{"--backup", "--check-rules"}, "option '--check-rules' cannot be used with '--backup'"},
      {{"--journal=.j", "--check-rules"}, "option '--check-rules' cannot be used with '--journal'"},
      {{"--check-rules", "--dry-run"}, "option '--check-rules' cannot be used with '--dry-run'"},
      {{"-r", "--check-rules"}, "option '--check-rules' cannot be used with '--recursive'"},
      {{"--check-rules", "-q"}, "option '--check-rules' cannot be used with '--quiet'"},
      {{"--check-rules", "--null"}, "option '--check-rules' cannot be used with '--null'"},
      {{"--show-rules-path", "--json"}, "option '--show-rules-path' cannot be used with '--json'"},
      {{"--list", "--show-rules-path"}, "option '--show-rules-path' cannot be used with '--list'"},
      {{"--undo", "--references", "a.qlm"}, "option '--undo' cannot be used with '--references'"},
      {{"--derive-rules", "--backup", "g", "d"},
       "option '--derive-rules' cannot be used with '--backup'"},
      {{"--files-from", "l", "--derive-rules"},
       "option '--derive-rules' cannot be used with '--files-from'"},
      // A movie, or a list of them, for a mode that takes none.
      {{"--undo", "--check-rules", "a.qlm"}, "option '--undo' cannot be used with '--check-rules'"},
      {{"a.qlm", "--show-rules-path"}, "option '--show-rules-path' takes no movie file"},
      {{"--check-rules", "--backup", "a.qlm"},
       "option '--check-rules' cannot be used with '--backup'"},
      {{"--files-from", "-", "--check-rules"}, "option '--check-rules' takes no movie file"},
  };
  for (const Case& c : cases) {
    const CliOptions options = parseCliOptions(c.args);
    EXPECT_EQ(options.action, CliAction::UsageError) << c.message;
    EXPECT_EQ(options.usageError, c.message);
  }
}

TEST(ModeTableTest, BackupAndJournalMustNameTwoFiles) {
  struct Case {
    std::vector<std::string> args;
    const char* suffix;  // the one both name; nullptr when they differ
  };
  const Case cases[] = {
      {{"--backup", "--journal", "a.qlm"}, nullptr},
      {{"--backup=.undo", "--journal", "a.qlm"}, ".undo"},
      {{"--journal", "--backup=.undo", "a.qlm"}, ".undo"},
      {{"--backup", "--journal=.bak", "a.qlm"}, ".bak"},
      {{"--backup=.x", "--journal=.x", "--dry-run", "a.qlm"}, ".x"},
      // Letter case aside, as a Windows volume or a shared folder sees it.
      {{"--backup=.Old", "--journal=.old", "a.qlm"}, ".old"},
      {{"--backup=.old", "--journal=.old2", "a.qlm"}, nullptr},
  };
  for (const Case& c : cases) {
    const CliOptions options = parseCliOptions(c.args);
    if (c.suffix == nullptr) {
      EXPECT_EQ(options.action, CliAction::Patch) << options.usageError;
      continue;
    }
    EXPECT_EQ(options.action, CliAction::UsageError) << c.args[0] << ' ' << c.args[1];
    EXPECT_EQ(options.usageError,
              std::string("options '--backup' and '--journal' would name one file: both have "
                          "the suffix '") +
                  c.suffix + "'");
  }
}

TEST(ModeTableTest, TheTablesHoldWholeRows) {
  std::set<std::string> names;
  for (const OptionRow& row : optionTable()) {
    EXPECT_TRUE(names.insert(row.longName).second) << row.longName;
    EXPECT_EQ(row.argument == OptionArgument::Required, row.argumentNeed != nullptr)
        << row.longName;
    EXPECT_EQ(row.argument == OptionArgument::None, row.argumentName == nullptr) << row.longName;
    EXPECT_NE(row.help, nullptr);
    EXPECT_EQ(row.mode == nullptr, row.apply != nullptr) << row.longName;
    // Some mode uses each option, but for a mode's own and --help and --version.
    const std::string name = row.longName;
    if (row.mode != nullptr || name == "help" || name == "version") continue;
    EXPECT_TRUE(std::any_of(modeTable().begin(), modeTable().end(), [&name](const ModeRow& mode) {
      return modeTakes(mode, name);
    })) << name;
  }
  for (const ModeRow& mode : modeTable()) {
    for (const char* name : mode.takes) {
      const OptionRow* row = optionNamed(name);
      ASSERT_NE(row, nullptr) << name;
      EXPECT_EQ(row->mode, nullptr) << name;  // a mode never takes another
      if (row->needs != nullptr) {
        EXPECT_TRUE(modeTakes(mode, row->needs)) << name;
      }
    }
  }
}

}  // namespace
}  // namespace vantrel::cli
