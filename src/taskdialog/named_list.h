#pragma once

#include <memory>
#include <vector>

// An ordered list of named items that owns them; items keep their place (and their address) for as
// long as the list lives, so the tagged text can hold on to a picture it found by name.
namespace kestrune::taskdialog {

template <typename T>
class NamedList {
 public:
  T& Add() { return *items_.emplace_back(std::make_unique<T>()); }
  int Count() const { return static_cast<int>(items_.size()); }
  // Null for an index outside the list.
  T* At(int index) const { return index >= 0 && index < Count() ? items_[index].get() : nullptr; }
  // The first item whose Name() equals name exactly; null when there is none.
  template <typename Name>
  T* Find(const Name& name) const {
    for (const auto& item : items_) {
      if (item->Name() == name) return item.get();
    }
    return nullptr;
  }

 private:
  std::vector<std::unique_ptr<T>> items_;
};

}  // namespace kestrune::taskdialog
