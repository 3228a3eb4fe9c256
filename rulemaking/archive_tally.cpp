#include "rulemaking/archive_tally.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace vantrel {
namespace {

std::uint64_t keyOf(const char tag[4], std::uint32_t number) {
  std::uint32_t tagWord = 0;
  std::memcpy(&tagWord, tag, 4);
  return std::uint64_t{tagWord} << 32 | number;
}

// A movie's scratch map larger than this is made anew rather than cleared,
// so that one big movie does not make every small one after it pay for
// clearing its buckets.
constexpr std::size_t kKeptBuckets = 4096;

}  // namespace

std::size_t ValueCount::exampleCount() const {
  return static_cast<std::size_t>(
      std::count_if(examples.begin(), examples.end(), [](const MovieLabel& m) { return m; }));
}

std::size_t ArchiveTally::TripleHash::operator()(const Triple& triple) const {
  return std::hash<std::uint64_t>()(triple.key * 0x9E3779B97F4A7C15u ^ triple.value);
}

ArchiveTally::ArchiveTally() = default;
ArchiveTally::~ArchiveTally() = default;

void ArchiveTally::add(const ReadReference& reference) {
  const Triple triple{keyOf(reference.tag, reference.number), reference.value};
  const auto [at, isNew] = heldIndex_.try_emplace(triple, held_.size());
  if (isNew) {
    held_.push_back(Held{triple, 1, reference.valueOffset});
  } else {
    ++held_[at->second].references;
  }
}

void ArchiveTally::keep(const MovieLabel& label) {
  const std::uint64_t movie = ++movies_;
  // The movie's values in the order it met them, so keys and values new to
  // the archive are numbered as the walk met them.
  for (const Held& held : held_) {
    const auto [key, keyIsNew] = keys_.try_emplace(held.triple.key, KeyState{keys_.size()});
    if (key->second.lastMovie != movie) {
      key->second.lastMovie = movie;
      ++key->second.movies;
    }
    const auto [value, valueIsNew] = values_.try_emplace(held.triple, ValueState{valuesMet_, {}});
    ValueCount& count = value->second.count;
    if (valueIsNew) {
      ++valuesMet_;
      count.value = held.triple.value;
      count.firstOffset = held.firstOffset;
    }
    if (count.movies < kExampleMovies) count.examples[count.movies] = label;
    ++count.movies;
    count.references += held.references;
  }
  clearMovie();
}

void ArchiveTally::drop() { clearMovie(); }

void ArchiveTally::clearMovie() {
  held_.clear();
  if (heldIndex_.bucket_count() > kKeptBuckets) {
    heldIndex_ = {};
    held_.shrink_to_fit();
  } else {
    heldIndex_.clear();
  }
}

void ArchiveTally::forEachKey(const std::function<void(const KeyCount&)>& visit) const {
  struct Entry {
    std::uint64_t keyOrder;
    std::uint64_t valueOrder;
    std::uint64_t key;
    const ValueCount* count;
  };
  std::vector<Entry> order;
  order.reserve(values_.size());
  for (const auto& [triple, state] : values_) {
    order.push_back(Entry{keys_.at(triple.key).firstMet, state.firstMet, triple.key, &state.count});
  }
  std::sort(order.begin(), order.end(), [](const Entry& a, const Entry& b) {
    return std::tie(a.keyOrder, a.valueOrder) < std::tie(b.keyOrder, b.valueOrder);
  });

  KeyCount key{};
  for (std::size_t first = 0; first < order.size();) {
    const auto tagWord = static_cast<std::uint32_t>(order[first].key >> 32);
    std::memcpy(key.tag, &tagWord, 4);
    key.number = static_cast<std::uint32_t>(order[first].key);
    key.movies = keys_.at(order[first].key).movies;
    key.values.clear();
    std::size_t end = first;
    for (; end < order.size() && order[end].key == order[first].key; ++end) {
      key.values.push_back(order[end].count);
    }
    visit(key);
    first = end;
  }
}

}  // namespace vantrel
