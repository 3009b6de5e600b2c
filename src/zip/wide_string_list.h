#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "zip/wide_string.h"
#include "zip/zip_stream.h"

// Lists of wide strings: the abstract list with text, name=value and BOM-aware loading and saving, the
// plain or sorted list, and an 8-bit view through a code page.
namespace kestrune::zip {

// "List index out of bounds (%d)", "Operation not allowed on sorted list",
// "String list does not allow duplicates".
class EStringListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TAnsiStringsForWideStringsAdapter;

class TWStrings {
 public:
  TWStrings();
  virtual ~TWStrings();
  TWStrings(const TWStrings&) = delete;
  TWStrings& operator=(const TWStrings&) = delete;

  virtual int Count() const = 0;
  virtual WideString Get(int index) const = 0;
  virtual void* GetObject(int index) const = 0;
  virtual void Put(int index, const WideString& s) = 0;
  virtual void PutObject(int index, void* object) = 0;
  virtual void Insert(int index, const WideString& s, void* object = nullptr) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual int AddObject(const WideString& s, void* object);
  virtual int IndexOf(WideStringView s) const;
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}

  int Add(const WideString& s) { return AddObject(s, nullptr); }
  void AddStrings(const TWStrings& other);
  void Assign(const TWStrings& other);

  // Lines joined with CR LF (each line followed by one); setting splits at CR, LF or CR LF.
  WideString Text() const;
  void SetText(WideStringView text);
  // name=value items.
  WideString Names(int index) const;
  WideString Values(WideStringView name) const;
  int IndexOfName(WideStringView name) const;

  // The encoding comes from a byte-order mark (FF FE, FE FF, EF BB BF) unless hasNoBom is set; without
  // one the text is 8-bit in the default code page.
  void LoadFromStream(TStream& stream, bool hasNoBom = false);
  void LoadFromFile(const WideString& fileName, bool hasNoBom = false);
  // UTF-16 little-endian, after FF FE when withBom is set; a file always gets the mark.
  void SaveToStream(TStream& stream, bool withBom = true) const;
  void SaveToFile(const WideString& fileName) const;

  // The same items as 8-bit strings in a code page.
  TAnsiStringsForWideStringsAdapter& AnsiStrings() { return *ansiStrings_; }

 protected:
  virtual int CompareStrings(WideStringView a, WideStringView b) const { return WideCompareText(a, b); }

 private:
  std::unique_ptr<TAnsiStringsForWideStringsAdapter> ansiStrings_;
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TWStringList : public TWStrings {
 public:
  int Count() const override { return static_cast<int>(items_.size()); }
  WideString Get(int index) const override;
  void* GetObject(int index) const override;
  void Put(int index, const WideString& s) override;
  void PutObject(int index, void* object) override;
  void Insert(int index, const WideString& s, void* object = nullptr) override;
  void Delete(int index) override;
  void Clear() override;
  int AddObject(const WideString& s, void* object) override;
  int IndexOf(WideStringView s) const override;
  void BeginUpdate() override { ++updateCount_; }
  void EndUpdate() override;

  // On a sorted list: true and the index of an equal item, else false and where it would go.
  bool Find(WideStringView s, int& index) const;
  void Sort();
  void CustomSort(const std::function<int(const TWStringList&, int, int)>& compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  TDuplicates Duplicates = TDuplicates::dupIgnore;
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value);
  int Capacity() const { return capacity_; }

  std::function<void()> OnChanging;
  std::function<void()> OnChange;

 protected:
  int CompareStrings(WideStringView a, WideStringView b) const override;

 private:
  struct Item {
    WideString text;
    void* object = nullptr;
  };
  void CheckIndex(int index) const;
  void Grow();
  void InsertItem(int index, const WideString& s, void* object);
  void Changing();
  void Changed();

  std::vector<Item> items_;
  int capacity_ = 0;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  int updateCount_ = 0;
};

// Code page 0 is the default ("ANSI") code page.
class TAnsiStringsForWideStringsAdapter {
 public:
  explicit TAnsiStringsForWideStringsAdapter(TWStrings& strings, unsigned codePage = kCodePageDefault)
      : strings_(strings), codePage_(codePage) {}
  int Count() const { return strings_.Count(); }
  AnsiString Get(int index) const { return WideToMultiByte(strings_.Get(index), codePage_); }
  void Put(int index, const AnsiString& s) { strings_.Put(index, MultiByteToWide(s, codePage_)); }
  int Add(const AnsiString& s) { return strings_.Add(MultiByteToWide(s, codePage_)); }
  unsigned CodePage() const { return codePage_; }
  void SetCodePage(unsigned codePage) { codePage_ = codePage; }

 private:
  TWStrings& strings_;
  unsigned codePage_;
};

}  // namespace kestrune::zip
