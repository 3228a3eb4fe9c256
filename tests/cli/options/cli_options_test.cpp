#include "cli/options/cli_options.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cli/options/option_table.h"
#include "cli/options/program_name.h"
#include "cli/options/usage_text.h"

namespace vantrel::cli {
namespace {

TEST(CliOptionsTest, ReadsFlagsRulesAndMoviesInAnyOrder) {
  const CliOptions options =
      parseCliOptions({"a.qlm", "--dry-run", "--rules", "my fix.dat", "--list", "b.qlm", "-q"});
  EXPECT_EQ(options.action, CliAction::Patch);
  EXPECT_TRUE(options.dryRun);
  EXPECT_TRUE(options.list);
  EXPECT_TRUE(options.quiet);
  EXPECT_EQ(options.rulesPath, "my fix.dat");
  EXPECT_EQ(options.movies, (std::vector<std::string>{"a.qlm", "b.qlm"}));

  const CliOptions plain = parseCliOptions({"--rules=r.dat", "-", "--", "--list", "-x.qlm"});
  EXPECT_EQ(plain.rulesPath, "r.dat");
  EXPECT_FALSE(plain.list);
  EXPECT_EQ(plain.movies, (std::vector<std::string>{"-", "--list", "-x.qlm"}));
}

TEST(CliOptionsTest, CheckRulesTakesTheRuleFileAndNoMovie) {
  const CliOptions options = parseCliOptions({"--json", "--check-rules", "--rules", "r.dat"});
  EXPECT_EQ(options.action, CliAction::CheckRules);
  EXPECT_TRUE(options.json);
  EXPECT_EQ(options.rulesPath, "r.dat");
  EXPECT_EQ(parseCliOptions({"--check-rules"}).action, CliAction::CheckRules);
  EXPECT_TRUE(parseCliOptions({"--json", "a.qlm"}).json);
}

TEST(CliOptionsTest, BackupTakesAnOptionalSuffix) {
  struct Case {
    std::vector<std::string> args;
    std::optional<std::string> suffix;
  };
  const Case cases[] = {
      {{"a.qlm"}, std::nullopt},
      {{"--backup", "a.qlm"}, ".bak"},
      {{"--backup=.orig", "a.qlm"}, ".orig"},
      {{"--backup=~", "--backup", "a.qlm"}, ".bak"},  // the last one counts
      {{"--", "--backup", "a.qlm"}, std::nullopt},
  };
  // A separate word after --backup is a movie, not a suffix.
  EXPECT_EQ(parseCliOptions({"--backup", ".orig"}).movies, std::vector<std::string>{".orig"});
  for (const Case& c : cases) {
    const CliOptions options = parseCliOptions(c.args);
    EXPECT_EQ(options.action, CliAction::Patch);
    EXPECT_EQ(options.backupSuffix, c.suffix);
  }
}

TEST(CliOptionsTest, JournalTakesAnOptionalSuffixAndUndoReadsIt) {
  struct Case {
    std::vector<std::string> args;
    CliAction action;
    std::optional<std::string> suffix;
  };
  const Case cases[] = {
      {{"a.qlm"}, CliAction::Patch, std::nullopt},
      {{"--journal", "a.qlm"}, CliAction::Patch, ".undo"},
      {{"--journal=.j", "--backup", "a.qlm"}, CliAction::Patch, ".j"},
      {{"--undo", "a.qlm"}, CliAction::Undo, std::nullopt},
      {{"--undo", "--journal=~", "-r", "--dry-run", "--list", "--json", "-q", "d"},
       CliAction::Undo,
       "~"},
  };
  for (const Case& c : cases) {
    const CliOptions options = parseCliOptions(c.args);
    EXPECT_EQ(options.action, c.action) << options.usageError;
    EXPECT_EQ(options.journalSuffix, c.suffix);
  }
  // The suffix follows the rules of --backup's.
  for (const char* suffix : {"--journal=/x", "--journal=a\\b", "--journal=c:"}) {
    const CliOptions options = parseCliOptions({suffix, "a.qlm"});
    EXPECT_EQ(options.action, CliAction::UsageError) << suffix;
    EXPECT_EQ(options.usageError.rfind("option '--journal': the suffix", 0), 0u);
    EXPECT_NE(options.usageError.find("a suffix may hold none of"), std::string::npos);
  }
}

TEST(CliOptionsTest, BatchOptions) {
  const CliOptions options = parseCliOptions(
      {"-r", "--references", "--files-from", "list", "--null", "--files-from=-", "d"});
  EXPECT_EQ(options.action, CliAction::Patch);
  EXPECT_TRUE(options.recursive);
  EXPECT_TRUE(options.references);
  EXPECT_TRUE(options.readOnly());
  EXPECT_TRUE(options.nullSeparated);
  EXPECT_EQ(options.filesFrom, (std::vector<std::string>{"list", "-"}));
  EXPECT_EQ(options.movies, std::vector<std::string>{"d"});
  // A list alone is enough to go on.
  EXPECT_EQ(parseCliOptions({"--files-from", "-"}).action, CliAction::Patch);
  EXPECT_FALSE(parseCliOptions({"--recursive", "a"}).readOnly());
}

TEST(CliOptionsTest, HelpAndVersionWinOverEverythingAfterThem) {
  EXPECT_EQ(parseCliOptions({"--help"}).action, CliAction::ShowHelp);
  EXPECT_EQ(parseCliOptions({"a.qlm", "-h", "--bogus"}).action, CliAction::ShowHelp);
  EXPECT_EQ(parseCliOptions({"--version"}).action, CliAction::ShowVersion);
}

TEST(CliOptionsTest, UsageErrorsSayWhatIsWrong) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{}, "no movie file given"},
      {{"--list"}, "no movie file given"},
      {{"a.qlm", "--rules"}, "option '--rules' needs a file name"},
      {{"--force", "a.qlm"}, "unknown option '--force'"},
      {{"--check-rules", "a.qlm"}, "option '--check-rules' takes no movie file"},
      {{"a.qlm", "--json", "--check-rules"}, "option '--check-rules' takes no movie file"},
      {{"--backup=", "a.qlm"}, "option '--backup=' needs a suffix"},
      {{"-r"}, "no movie file given"},
      {{"--files-from"}, "option '--files-from' needs a file name"},
      {{"--null", "a.qlm"}, "option '--null' needs '--files-from'"},
      {{"--check-rules", "--files-from", "-"}, "option '--check-rules' takes no movie file"},
      {{"--journal=", "a.qlm"}, "option '--journal=' needs a suffix"},
      {{"--undo"}, "no movie file given"},
      {{"--undo", "--rules", "f", "a.qlm"}, "option '--undo' cannot be used with '--rules'"},
      {{"--undo", "--backup", "a.qlm"}, "option '--undo' cannot be used with '--backup'"},
      {{"--re", "a.qlm"},
       "option '--re' is ambiguous; possibilities: '--references' '--recursive'"},
      {{"--list=yes", "a.qlm"}, "option '--list' takes no argument"},
      {{"--dry=1", "a.qlm"}, "option '--dry-run' takes no argument"},
      {{"-rx", "a.qlm"}, "unknown option '-x'"},
      {{"--=x", "a.qlm"}, "unknown option '--'"},
      {{"--files"}, "option '--files-from' needs a file name"},
      {{"--show-rules-path", "a.qlm"}, "option '--show-rules-path' takes no movie file"},
  };
  for (const Case& c : cases) {
    const CliOptions options = parseCliOptions(c.args);
    EXPECT_EQ(options.action, CliAction::UsageError);
    EXPECT_EQ(options.usageError, c.message);
  }
}

TEST(CliOptionsTest, ShortOptionsBundleAndLongOnesMayBeShortened) {
  const CliOptions options = parseCliOptions({"-rq", "--dry", "--ref", "--rul=r.dat", "--fi", "l",
                                              "--back=.o", "--jso", "--nu", "--li", "d"});
  EXPECT_EQ(options.action, CliAction::Patch) << options.usageError;
  EXPECT_TRUE(options.recursive && options.quiet && options.dryRun && options.references);
  EXPECT_TRUE(options.json && options.nullSeparated && options.list);
  EXPECT_EQ(options.rulesPath, "r.dat");
  EXPECT_EQ(options.filesFrom, std::vector<std::string>{"l"});
  EXPECT_EQ(options.backupSuffix, ".o");
  EXPECT_EQ(options.movies, std::vector<std::string>{"d"});
  // A whole name wins over the longer names it begins; help ends a bundle.
  EXPECT_EQ(parseCliOptions({"--check", "--rules", "x"}).action, CliAction::CheckRules);
  EXPECT_EQ(parseCliOptions({"-qh", "--bogus"}).action, CliAction::ShowHelp);
  EXPECT_EQ(parseCliOptions({"--he"}).action, CliAction::ShowHelp);
  EXPECT_EQ(parseCliOptions({"--vers"}).action, CliAction::ShowVersion);
}

TEST(CliOptionsTest, TheUsageTextNamesTheProgramAsInvoked) {
  const std::string text = usageTextFor("vantrel-cli");
  EXPECT_EQ(text.rfind("Usage: vantrel-cli [OPTION]... MOVIE...\n  or:  vantrel-cli [OPTION]", 0),
            0u);
  EXPECT_NE(text.find("\n  or:  vantrel-cli --undo [OPTION]... MOVIE...\n"), std::string::npos);
  EXPECT_EQ(text.find("Usage: vantrel "), std::string::npos);
  EXPECT_EQ(text.find("or:  vantrel "), std::string::npos);
  // Only the usage lines change with the name.
  std::string renamed = usageTextFor("vantrel");
  for (const std::string lead : {"Usage: vantrel ", "  or:  vantrel "}) {
    for (std::size_t at = renamed.find(lead); at != std::string::npos;
         at = renamed.find(lead, at + 1)) {
      renamed.replace(at + lead.size() - 8, 7, "vantrel-cli");
    }
  }
  EXPECT_EQ(text, renamed);

  struct Case {
    const char* argv0;
    const char* name;
  };
  const Case cases[] = {{"vantrel", "vantrel"},
                        {"/usr/bin/vantrel", "vantrel"},
                        {"C:\\Tools\\vantrel-cli.exe", "vantrel-cli"},
                        {"D:/x/VANTREL-CLI.EXE", "VANTREL-CLI"},
                        {"./my.exe.copy", "my.exe.copy"},
                        {".exe", ".exe"},
                        {"", "vantrel"},
                        {nullptr, "vantrel"}};
  for (const Case& c : cases) EXPECT_EQ(programNameFrom(c.argv0), c.name) << c.name;
}

}  // namespace
}  // namespace vantrel::cli
