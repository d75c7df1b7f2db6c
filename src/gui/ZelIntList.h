// ZelIntList: a counted integer list (sorted or not, duplicates ignored or accepted), with shuffle.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

class TZelIntList {
public:
  enum TDuplicates { dupIgnore, dupAccept };

  // A sorted list that ignores duplicates, the form the keyboard's key sets use.
  TZelIntList(bool sorted = true, TDuplicates duplicates = dupIgnore)
      : FSorted(sorted), FDuplicates(duplicates) {}

  bool Sorted() const { return FSorted; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates duplicates) { FDuplicates = duplicates; }

  // The index the value went to; -1 when it was ignored as a duplicate.
  int32_t Add(int32_t value);
  void AddValues(std::initializer_list<int32_t> values);
  void AddValues(const std::vector<int32_t>& values);
  // -1 when absent. A sorted list is searched by halving; an unsorted one from the front.
  int32_t IndexOf(int32_t value) const;
  bool Contains(int32_t value) const { return IndexOf(value) >= 0; }
  // Exchanges each position in turn with a uniformly drawn position of the whole list; random(n)
  // returns 0..n-1. The list is unsorted afterwards.
  void Shuffle(const std::function<int32_t(int32_t)>& random);
  void Shuffle();

  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  int32_t operator[](int32_t index) const { return FItems.at(static_cast<size_t>(index)); }
  void Delete(int32_t index);
  bool Remove(int32_t value);
  void Clear() { FItems.clear(); }
  const std::vector<int32_t>& Items() const { return FItems; }

private:
  std::vector<int32_t> FItems;
  bool FSorted;
  TDuplicates FDuplicates;
};
