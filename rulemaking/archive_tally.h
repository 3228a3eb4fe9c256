#ifndef VANTREL_RULEMAKING_ARCHIVE_TALLY_H_
#define VANTREL_RULEMAKING_ARCHIVE_TALLY_H_

#include <array>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "movie/progress_sink.h"
#include "rulemaking/movie_label.h"

namespace vantrel {

// How many movies a finding names as examples.
inline constexpr std::size_t kExampleMovies = 3;

// What an archive holds of one value of one tag and number.
struct ValueCount {
  std::uint32_t value = 0;
  std::uint64_t movies = 0;       // movies that hold it at least once
  std::uint64_t references = 0;   // references that hold it, in all movies
  std::uint64_t firstOffset = 0;  // of its first value word in the first example movie
  std::array<MovieLabel, kExampleMovies> examples;  // the first movies met that hold it
  std::size_t exampleCount() const;
};

// One tag and number, and every value it holds, first met first.
struct KeyCount {
  char tag[4];
  std::uint32_t number;
  std::uint64_t movies;  // movies that hold it with any value, each once
  std::vector<const ValueCount*> values;
};

// Counts, for each tag and number and each of its values, the movies and
// the references that hold it, one movie at a time. A movie counts only
// once its references are all in (keep()); one dropped (drop()), such as a
// movie whose walk failed, leaves no trace. Memory grows with the distinct
// tags, numbers and values met, and with those of the movie being read,
// never with the number of movies or of references.
class ArchiveTally {
 public:
  ArchiveTally();
  ~ArchiveTally();
  ArchiveTally(const ArchiveTally&) = delete;
  ArchiveTally& operator=(const ArchiveTally&) = delete;

  // A reference of the movie being read, in walk order.
  void add(const ReadReference& reference);
  // The movie being read counts, as `label`; the next movie begins.
  void keep(const MovieLabel& label);
  // The movie being read counts for nothing; the next movie begins.
  void drop();

  std::uint64_t movies() const { return movies_; }
  std::size_t keys() const { return keys_.size(); }

  // Each tag and number in the order the kept movies first met it, with
  // its values in the order they were first met.
  void forEachKey(const std::function<void(const KeyCount&)>& visit) const;

 private:
  struct Triple {
    std::uint64_t key;  // tag and number
    std::uint32_t value;
    bool operator==(const Triple& other) const { return key == other.key && value == other.value; }
  };
  struct TripleHash {
    std::size_t operator()(const Triple& triple) const;
  };
  // What the movie being read holds of one value, in the order met.
  struct Held {
    Triple triple;
    std::uint64_t references;
    std::uint64_t firstOffset;
  };
  struct KeyState {
    std::uint64_t firstMet;  // order among keys
    std::uint64_t movies = 0;
    std::uint64_t lastMovie = 0;  // the last kept movie counted in `movies`
  };
  struct ValueState {
    std::uint64_t firstMet;  // order among all values
    ValueCount count;
  };

  void clearMovie();

  std::unordered_map<std::uint64_t, KeyState> keys_;
  std::unordered_map<Triple, ValueState, TripleHash> values_;
  std::uint64_t movies_ = 0;
  std::uint64_t valuesMet_ = 0;
  // The movie being read.
  std::unordered_map<Triple, std::size_t, TripleHash> heldIndex_;
  std::vector<Held> held_;
};

}  // namespace vantrel

#endif  // VANTREL_RULEMAKING_ARCHIVE_TALLY_H_
