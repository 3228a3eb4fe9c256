#ifndef VANTREL_JOURNAL_WORD_OVERLAY_H_
#define VANTREL_JOURNAL_WORD_OVERLAY_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "movie/file_device.h"

namespace vantrel {

// Words written to a movie but kept in memory: laid over what is read from
// the file, so that a reader sees them as written. Sixteen bytes a word
// written, found by a binary search.
class WordOverlay {
 public:
  // Keeps the four bytes of `word` written at `offset`.
  void keep(std::uint64_t offset, const unsigned char* word);
  // Keeps the `n` bytes written at `offset` over the file `under`: a write
  // is a word, as a MovieStream makes them, but any other length is kept too.
  void keepWrite(FileDevice& under, std::uint64_t offset, const unsigned char* data, std::size_t n);
  // Lays the kept words that fall in the `n` bytes at `offset` over `out`,
  // later ones over earlier ones where they overlap.
  void lay(std::uint64_t offset, unsigned char* out, std::size_t n);
  void clear();
  // Makes room for `count` words at once, so that growing costs no copy.
  void reserve(std::size_t count) { sorted_.reserve(count); }

 private:
  struct Word {
    std::uint64_t offset;
    std::uint32_t order;  // later writes win
    unsigned char bytes[4];
  };
  // Moves the words kept lately into the sorted ones.
  void merge();
  static void layWord(const Word& word, std::uint64_t offset, unsigned char* out, std::size_t n);

  std::vector<Word> sorted_;  // by offset, and by order at one offset
  std::vector<Word> recent_;  // kept since the last merge, in order; all later than sorted_
  std::vector<const Word*> overlapping_;
  std::uint32_t writes_ = 0;
};

}  // namespace vantrel

#endif  // VANTREL_JOURNAL_WORD_OVERLAY_H_
