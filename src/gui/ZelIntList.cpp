#include "gui/ZelIntList.h"

#include <algorithm>
#include <random>

void TZelIntList::SetSorted(bool sorted) {
  if (sorted && !FSorted) {
    std::stable_sort(FItems.begin(), FItems.end());
  }
  FSorted = sorted;
}

int32_t TZelIntList::Add(int32_t value) {
  if (FSorted) {
    auto at = std::lower_bound(FItems.begin(), FItems.end(), value);
    if (at != FItems.end() && *at == value && FDuplicates == dupIgnore) {
      return -1;
    }
    at = std::upper_bound(FItems.begin(), FItems.end(), value);
    return static_cast<int32_t>(FItems.insert(at, value) - FItems.begin());
  }
  if (FDuplicates == dupIgnore && IndexOf(value) >= 0) {
    return -1;
  }
  FItems.push_back(value);
  return Count() - 1;
}

void TZelIntList::AddValues(std::initializer_list<int32_t> values) {
  for (int32_t value : values) {
    Add(value);
  }
}

void TZelIntList::AddValues(const std::vector<int32_t>& values) {
  for (int32_t value : values) {
    Add(value);
  }
}

int32_t TZelIntList::IndexOf(int32_t value) const {
  if (FSorted) {
    auto at = std::lower_bound(FItems.begin(), FItems.end(), value);
    return (at != FItems.end() && *at == value) ? static_cast<int32_t>(at - FItems.begin()) : -1;
  }
  auto at = std::find(FItems.begin(), FItems.end(), value);
  return at != FItems.end() ? static_cast<int32_t>(at - FItems.begin()) : -1;
}

void TZelIntList::Shuffle(const std::function<int32_t(int32_t)>& random) {
  // A shuffled list is no longer in order; searches fall back to a linear scan.
  FSorted = false;
  const int32_t count = Count();
  for (int32_t i = 0; i < count; ++i) {
    int32_t j = random(count);
    if (j < 0 || j >= count) {
      continue;
    }
    std::swap(FItems[static_cast<size_t>(i)], FItems[static_cast<size_t>(j)]);
  }
}

void TZelIntList::Shuffle() {
  static thread_local std::minstd_rand generator{std::random_device{}()};
  Shuffle([](int32_t n) { return std::uniform_int_distribution<int32_t>(0, n - 1)(generator); });
}

void TZelIntList::Delete(int32_t index) {
  if (index >= 0 && index < Count()) {
    FItems.erase(FItems.begin() + index);
  }
}

bool TZelIntList::Remove(int32_t value) {
  int32_t index = IndexOf(value);
  if (index < 0) {
    return false;
  }
  Delete(index);
  return true;
}
