#ifndef VANTREL_JOURNAL_WORD_OVERLAY_H_
#define VANTREL_JOURNAL_WORD_OVERLAY_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace vantrel {

// Words written to a movie but kept in memory: laid over what is read from
// the file, so that a reader sees them as written. What it holds grows
// with the number of distinct offsets written.
class WordOverlay {
 public:
  // Keeps the word of `n` bytes (at most four) written at `offset`.
  void keep(std::uint64_t offset, const unsigned char* data, std::size_t n);
  // Lays the kept words that fall in the `n` bytes at `offset` over `out`,
  // later ones over earlier ones where they overlap.
  void lay(std::uint64_t offset, unsigned char* out, std::size_t n);
  void clear() { words_.clear(); }

 private:
  struct Kept {
    unsigned char bytes[4];
    std::size_t length;
    std::uint64_t order;  // later writes win
  };
  using Entry = std::pair<const std::uint64_t, Kept>;
  std::map<std::uint64_t, Kept> words_;
  std::uint64_t writes_ = 0;
  std::vector<const Entry*> touching_;
};

}  // namespace vantrel

#endif  // VANTREL_JOURNAL_WORD_OVERLAY_H_
