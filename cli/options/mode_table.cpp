#include "cli/options/mode_table.h"

#include <algorithm>

namespace vantrel::cli {

const std::vector<ModeRow>& modeTable() {
  static const std::vector<ModeRow> table = {
      {nullptr,
       CliAction::Patch,
       Operands::Movies,
       {"rules", "dry-run", "list", "references", "recursive", "files-from", "null", "json",
        "backup", "journal", "quiet"},
       nullptr},
      {"check-rules",
       CliAction::CheckRules,
       Operands::None,
       {"rules", "json"},
       "check the rule file and touch no movie: print FILE:LINE: KIND: explanation for each "
       "problem, then the count of rules and problems. KIND is malformed (not a rule: the rules "
       "from that line on are not used), shadowed (an earlier rule has the same tag and number, "
       "so this one is never consulted), no-change (old value equals new value), odd-tag (a "
       "control character in the tag) or wrapped (a number outside 32 bits, kept modulo 2^32)"},
      {"show-rules-path",
       CliAction::ShowRulesPath,
       Operands::None,
       {"rules"},
       "print the path of the rule file that would be read, and touch no movie"},
      {"derive-rules",
       CliAction::DeriveRules,
       Operands::Pairs,
       {"rules", "json", "recursive"},
       "read pairs of movies, GOOD DAMAGED (with -r, pairs of directories), and write to stdout "
       "the fix.dat records that turn each damaged movie into its good copy; write no movie. "
       "With --rules, only rules that FILE lacks are written, so the output can be appended to "
       "FILE; without it, no rule file is read. Two references are paired only when they lie at "
       "the same offset in both movies with the same tag and number, and each damaged movie, "
       "repaired in memory with the rules, must be its good copy byte for byte. Problems go to "
       "stderr as MOVIE:OFFSET: KIND: explanation, KIND being layout (no partner at the same "
       "offset, or a byte that no rule makes right), "
       "conflict (no one rule serves every reference), shadowed (a rule in FILE decides it "
       "wrongly), unwritable (fix.dat cannot hold the tag) or unpaired (with -r, a movie in one "
       "directory only)"},
      {"undo",
       CliAction::Undo,
       Operands::Movies,
       {"journal", "dry-run", "list", "json", "quiet", "recursive", "files-from", "null"},
       "take back the fixes in each movie's journal, last first: a value word that still holds "
       "the fix's new value gets its old one back; a word changed since is left as it is and "
       "told on stderr. When all of the journal is undone it is removed. Needs no rule file"},
      {"suggest-rules",
       CliAction::SuggestRules,
       Operands::Movies,
       {"rules", "json", "agreement", "min-movies", "recursive", "files-from", "null"},
       "read every movie, write none, and write to stdout the fix.dat records the archive "
       "agrees on: for a tag and number whose values differ among the movies, the value held "
       "by the most movies is taken for the right one, and the other value held by the most "
       "for the bad one. A suggestion is agreement across the archive, not proof: read its "
       "evidence on stderr (both values, the movies and references holding each, the first "
       "movies holding the bad one) before you use it. Problems go to stderr: more-values (the "
       "tag and number holds further values, for a later run), unwritable (fix.dat cannot "
       "hold the tag) and, with --rules, differs (FILE's first rule for it is another; a rule "
       "FILE already holds is not written). Without --rules, no rule file is read"},
  };
  return table;
}

const ModeRow& repairMode() { return modeTable().front(); }

bool modeTakes(const ModeRow& mode, const std::string& longName) {
  return std::any_of(mode.takes.begin(), mode.takes.end(),
                     [&longName](const char* name) { return longName == name; });
}

}  // namespace vantrel::cli
