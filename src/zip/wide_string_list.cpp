#include "zip/wide_string_list.h"

#include <algorithm>

namespace kestrune::zip {
namespace {

constexpr unsigned kOpenReadDenyWrite = 0x20;

WideString DecodeUtf16(const std::vector<std::uint8_t>& bytes, std::size_t start, bool bigEndian) {
  WideString out;
  if (bytes.size() < start + 2) {
    return out;
  }
  out.reserve((bytes.size() - start) / 2);
  for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
    const unsigned first = bytes[i];
    const unsigned second = bytes[i + 1];
    out.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
  }
  return out;
}

WideString DecodeText(const std::vector<std::uint8_t>& bytes, bool hasNoBom) {
  const auto starts = [&bytes](std::initializer_list<std::uint8_t> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
  };
  if (!hasNoBom && bytes.size() >= 2) {
    if (starts({0xFF, 0xFE})) {
      return DecodeUtf16(bytes, 2, false);
    }
    if (starts({0xFE, 0xFF})) {
      return DecodeUtf16(bytes, 2, true);
    }
    if (starts({0xEF, 0xBB, 0xBF})) {
      return Utf8ToWide(std::string_view(reinterpret_cast<const char*>(bytes.data()) + 3, bytes.size() - 3));
    }
  }
  return MultiByteToWide(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), kCodePageDefault);
}

}  // namespace

TWStrings::TWStrings() : ansiStrings_(std::make_unique<TAnsiStringsForWideStringsAdapter>(*this)) {}

TWStrings::~TWStrings() = default;

int TWStrings::AddObject(const WideString& s, void* object) {
  const int index = Count();
  Insert(index, s, object);
  return index;
}

int TWStrings::IndexOf(WideStringView s) const {
  for (int i = 0; i < Count(); ++i) {
    if (CompareStrings(Get(i), s) == 0) {
      return i;
    }
  }
  return -1;
}

void TWStrings::AddStrings(const TWStrings& other) {
  BeginUpdate();
  for (int i = 0; i < other.Count(); ++i) {
    AddObject(other.Get(i), other.GetObject(i));
  }
  EndUpdate();
}

void TWStrings::Assign(const TWStrings& other) {
  if (&other == this) {
    return;
  }
  BeginUpdate();
  Clear();
  AddStrings(other);
  EndUpdate();
}

WideString TWStrings::Text() const {
  WideString text;
  for (int i = 0; i < Count(); ++i) {
    text += Get(i);
    text += u"\r\n";
  }
  return text;
}

void TWStrings::SetText(WideStringView text) {
  BeginUpdate();
  Clear();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') {
      ++end;
    }
    Add(WideString(text.substr(start, end - start)));
    if (end < text.size() && text[end] == u'\r') {
      ++end;
    }
    if (end < text.size() && text[end] == u'\n') {
      ++end;
    }
    start = end;
  }
  EndUpdate();
}

WideString TWStrings::Names(int index) const {
  const WideString item = Get(index);
  const auto pos = item.find(u'=');
  return pos == WideString::npos ? WideString() : item.substr(0, pos);
}

int TWStrings::IndexOfName(WideStringView name) const {
  for (int i = 0; i < Count(); ++i) {
    const WideString item = Get(i);
    const auto pos = item.find(u'=');
    if (pos != WideString::npos && CompareStrings(WideStringView(item).substr(0, pos), name) == 0) {
      return i;
    }
  }
  return -1;
}

WideString TWStrings::Values(WideStringView name) const {
  const int index = IndexOfName(name);
  if (index < 0) {
    return WideString();
  }
  const WideString item = Get(index);
  return item.substr(item.find(u'=') + 1);
}

void TWStrings::LoadFromStream(TStream& stream, bool hasNoBom) {
  const std::int64_t left = std::max<std::int64_t>(0, stream.Size() - stream.Position());
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(left));
  stream.ReadBuffer(bytes.data(), bytes.size());
  SetText(DecodeText(bytes, hasNoBom));
}

void TWStrings::LoadFromFile(const WideString& fileName, bool hasNoBom) {
  TWFileStream stream(fileName, kOpenReadDenyWrite);
  LoadFromStream(stream, hasNoBom);
}

void TWStrings::SaveToStream(TStream& stream, bool withBom) const {
  std::vector<std::uint8_t> bytes;
  if (withBom) {
    bytes = {0xFF, 0xFE};
  }
  for (char16_t c : Text()) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  stream.WriteBuffer(bytes.data(), bytes.size());
}

void TWStrings::SaveToFile(const WideString& fileName) const {
  TWFileStream stream(fileName, TWFileStream::kCreateMode);
  SaveToStream(stream, true);
}

WideString TWStringList::Get(int index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)].text;
}

void* TWStringList::GetObject(int index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)].object;
}

void TWStringList::Put(int index, const WideString& s) {
  if (sorted_) {
    throw EStringListError("Operation not allowed on sorted list");
  }
  CheckIndex(index);
  Changing();
  items_[static_cast<std::size_t>(index)].text = s;
  Changed();
}

void TWStringList::PutObject(int index, void* object) {
  CheckIndex(index);
  Changing();
  items_[static_cast<std::size_t>(index)].object = object;
  Changed();
}

void TWStringList::Insert(int index, const WideString& s, void* object) {
  if (sorted_) {
    throw EStringListError("Operation not allowed on sorted list");
  }
  if (index < 0 || index > Count()) {
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  InsertItem(index, s, object);
}

void TWStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TWStringList::Clear() {
  if (items_.empty()) {
    return;
  }
  Changing();
  items_.clear();
  capacity_ = 0;
  Changed();
}

int TWStringList::AddObject(const WideString& s, void* object) {
  int index = Count();
  if (sorted_ && Find(s, index)) {
    if (Duplicates == TDuplicates::dupIgnore) {
      return index;
    }
    if (Duplicates == TDuplicates::dupError) {
      throw EStringListError("String list does not allow duplicates");
    }
  }
  InsertItem(index, s, object);
  return index;
}

int TWStringList::IndexOf(WideStringView s) const {
  if (!sorted_) {
    return TWStrings::IndexOf(s);
  }
  int index = 0;
  return Find(s, index) ? index : -1;
}

void TWStringList::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) {
    Changed();
  }
}

bool TWStringList::Find(WideStringView s, int& index) const {
  // The first of equal items, so that accepted duplicates go in front of their equals.
  int low = 0, high = Count();
  bool found = false;
  while (low < high) {
    const int middle = low + (high - low) / 2;
    const int c = CompareStrings(items_[static_cast<std::size_t>(middle)].text, s);
    if (c < 0) {
      low = middle + 1;
    } else {
      found = found || c == 0;
      high = middle;
    }
  }
  index = low;
  return found;
}

void TWStringList::Sort() {
  CustomSort([](const TWStringList& list, int a, int b) {
    return list.CompareStrings(list.items_[static_cast<std::size_t>(a)].text,
                               list.items_[static_cast<std::size_t>(b)].text);
  });
}

void TWStringList::CustomSort(const std::function<int(const TWStringList&, int, int)>& compare) {
  if (items_.size() < 2) {
    return;
  }
  Changing();
  std::vector<int> order(items_.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    order[i] = static_cast<int>(i);
  }
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  for (int i : order) {
    sorted.push_back(std::move(items_[static_cast<std::size_t>(i)]));
  }
  items_ = std::move(sorted);
  Changed();
}

void TWStringList::SetSorted(bool value) {
  if (value && !sorted_) {
    Sort();
  }
  sorted_ = value;
}

void TWStringList::SetCaseSensitive(bool value) {
  if (value != caseSensitive_) {
    caseSensitive_ = value;
    if (sorted_) {
      Sort();
    }
  }
}

int TWStringList::CompareStrings(WideStringView a, WideStringView b) const {
  return caseSensitive_ ? WideCompareStr(a, b) : WideCompareText(a, b);
}

void TWStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) {
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  }
}

void TWStringList::Grow() {
  const int delta = capacity_ > 64 ? capacity_ / 4 : (capacity_ > 8 ? 16 : 4);
  capacity_ += delta;
  items_.reserve(static_cast<std::size_t>(capacity_));
}

void TWStringList::InsertItem(int index, const WideString& s, void* object) {
  Changing();
  if (Count() == capacity_) {
    Grow();
  }
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
}

void TWStringList::Changing() {
  if (updateCount_ == 0 && OnChanging) {
    OnChanging();
  }
}

void TWStringList::Changed() {
  if (updateCount_ == 0 && OnChange) {
    OnChange();
  }
}

}  // namespace kestrune::zip
