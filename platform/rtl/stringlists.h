// String lists. TStrings is the abstract list of 1251 strings with attached
// objects that GUI controls also implement (list box items, memo lines);
// TStringList is the stand-alone one, optionally sorted.
//
// Text conventions:
//  - Text ends every line with CR LF; setting it splits at CR, LF or CR LF,
//    and a final line break adds no empty line. NUL bytes are kept as data.
//  - CommaText / DelimitedText write an item in quotes when it holds a blank
//    or control byte, the quote character or the delimiter (a quote inside
//    is doubled); a list of one empty string writes "". Reading splits at the
//    delimiter and, unless StrictDelimiter, also at blanks; blanks around
//    items are skipped, a quoted item may hold anything, "" inside it is one
//    quote, a delimiter at the very end adds an empty item.
//  - Names/Values: "name=value"; a line without "=" has the name "".
#pragma once
#include <functional>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"

namespace rtl {

class TStrings : public TPersistent {
  RTL_CLASS_INFO
 public:
  ~TStrings() override = default;

  // What every list provides.
  virtual int Count() const = 0;
  virtual AnsiString Get(int index) const = 0;
  virtual void Insert(int index, const AnsiString& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  // Overridable, with defaults built on the above.
  virtual void Put(int index, const AnsiString& s);
  virtual TObject* GetObject(int index) const;
  virtual void PutObject(int index, TObject* object);
  virtual int Add(const AnsiString& s);
  virtual int AddObject(const AnsiString& s, TObject* object);
  virtual void InsertObject(int index, const AnsiString& s, TObject* object);
  virtual int IndexOf(const AnsiString& s) const;
  virtual void Exchange(int a, int b);
  virtual void Move(int from, int to);
  // How two strings compare in IndexOf and IndexOfName: 1251 without case here.
  virtual int CompareStrings(const AnsiString& a, const AnsiString& b) const;

  AnsiString Strings(int index) const { return Get(index); }
  AnsiString operator[](int index) const { return Get(index); }
  void SetStrings(int index, const AnsiString& s) { Put(index, s); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* object) { PutObject(index, object); }
  int IndexOfObject(const TObject* object) const;
  void AddStrings(const TStrings& other);
  bool Equals(const TStrings& other) const;
  void Assign(const TPersistent* source) override;

  // name=value pairs.
  char NameValueSeparator = '=';
  AnsiString Names(int index) const;
  AnsiString Values(const AnsiString& name) const;
  // An empty value deletes the pair; a new name is added at the end.
  void SetValues(const AnsiString& name, const AnsiString& value);
  AnsiString ValueFromIndex(int index) const;
  int IndexOfName(const AnsiString& name) const;

  AnsiString Text() const;
  void SetText(std::string_view text);
  AnsiString CommaText() const;
  void SetCommaText(std::string_view text);
  char Delimiter = ',';
  char QuoteChar = '"';
  bool StrictDelimiter = false;
  AnsiString DelimitedText() const;
  void SetDelimitedText(std::string_view text);

  // Whole-list I/O as 1251 bytes. SaveToFile replaces the file atomically.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;

  // Brackets of changes: listeners hear one change at the outermost EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

 protected:
  virtual void SetUpdateState(bool /*updating*/) {}

 private:
  AnsiString JoinDelimited(char delimiter, bool strict) const;
  void SplitDelimited(std::string_view text, char delimiter, bool strict);
  int updateCount_ = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
  RTL_CLASS_INFO
 public:
  TStringList() = default;
  explicit TStringList(bool ownsObjects) : ownsObjects_(ownsObjects) {}
  ~TStringList() override;
  TStringList(const TStringList& other);
  TStringList& operator=(const TStringList& other);

  int Count() const override { return static_cast<int>(items_.size()); }
  AnsiString Get(int index) const override;
  void Put(int index, const AnsiString& s) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  int Add(const AnsiString& s) override { return AddObject(s, nullptr); }
  int AddObject(const AnsiString& s, TObject* object) override;
  void Insert(int index, const AnsiString& s) override { InsertObject(index, s, nullptr); }
  void InsertObject(int index, const AnsiString& s, TObject* object) override;
  void Delete(int index) override;
  void Clear() override;
  int IndexOf(const AnsiString& s) const override;
  void Exchange(int a, int b) override;
  int CompareStrings(const AnsiString& a, const AnsiString& b) const override;

  // Binary search of a sorted list: true when s is present; index is where
  // it is (its first occurrence) or where it would be inserted.
  bool Find(const AnsiString& s, int& index) const;
  // Sorts by CompareStrings, keeping the order of equal strings.
  virtual void Sort();
  // Sorts by compare(list, i, j); the list does not change while the
  // comparison runs, so it may read any entry by index.
  void CustomSort(const std::function<int(TStringList&, int, int)>& compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates = dupIgnore;
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value);
  // Frees the attached objects when entries are deleted or the list is destroyed.
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool value) { ownsObjects_ = value; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  struct Item {
    AnsiString string;
    TObject* object = nullptr;
  };

 protected:
  void SetUpdateState(bool updating) override;
  virtual void Changed();
  virtual void Changing();

 private:
  void Check(int index) const;
  void FreeObject(TObject* object) {
    if (ownsObjects_) delete object;
  }
  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  bool ownsObjects_ = false;
};

// A memory stream seeded from and read back as a string.
class TStringStream : public TMemoryStream {
 public:
  explicit TStringStream(std::string bytes = {}) : TMemoryStream(std::move(bytes)) {}
  const std::string& DataString() const { return Bytes(); }
  // Reads up to count bytes from the current position.
  std::string ReadString(std::int64_t count);
};

}  // namespace rtl
