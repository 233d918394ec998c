// Ordered string lists, one implementation for 8-bit and UTF-16 text.
//
// TStringsT<Ch> is the abstract list: every operation is built on a few
// primitives (Get, GetCount, Insert, Delete, Clear, and the optional object,
// capacity and update hooks). TStringListT<Ch> keeps its items in one
// contiguous array, optionally sorted with binary search and a duplicates
// policy, and sends change notices.
//
// Items compare with the linguistic collation of vxCollation (ignoring case
// unless the list is case-sensitive); Equals compares exactly. Objects that
// items carry are never owned by a list. Indexes are 0-based.
//
// Name=value items: an item's name is its text before its first separator,
// its value the text after that separator. An item without the separator has
// an empty name and an empty value and is never found by name; setting its
// value by index keeps its whole text as the name.
//
// Files: the 8-bit list reads and writes the bytes of Text unchanged. The
// UTF-16 list reads a file by its byte-order mark (UTF-8, UTF-16 LE or BE)
// and as Windows-1252 when it has none; it writes Windows-1252 without a mark
// when every character of the text has a Windows-1252 byte, otherwise UTF-8
// with a mark (UTF-16 LE with a mark when the text holds a lone surrogate),
// so saving never loses a character. A Windows-1252 text whose first bytes
// would read as a mark is written as UTF-8 with a mark for the same reason.
// Saving replaces the file only once the whole text is written.
#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/vxBase.h"

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Which of the list's three characters have been set; an unset one reads
// as its default.
enum TStringsDefinedMember : uint8_t { sdDelimiter = 1, sdQuoteChar = 2, sdNameValueSeparator = 4 };
using TStringsDefined = uint8_t;

template <class Ch>
class TStringsT;

// Something that follows a list: told when it is attached to a list and when
// it is detached again.
template <class Ch>
class IStringsAdapterT {
 public:
  virtual ~IStringsAdapterT() = default;
  virtual void AttachStrings(TStringsT<Ch>& Strings) = 0;
  virtual void DetachStrings() = 0;
};

template <class Ch>
class TStringsT {
 public:
  using string_type = std::basic_string<Ch>;
  using view_type = std::basic_string_view<Ch>;
  using TStringsAdapter = std::shared_ptr<IStringsAdapterT<Ch>>;

  TStringsT() = default;
  TStringsT(const TStringsT&) = delete;
  TStringsT& operator=(const TStringsT&) = delete;
  virtual ~TStringsT();

  // --- Primitives -------------------------------------------------------
  virtual const string_type& Get(int32_t Index) const = 0;
  virtual int32_t GetCount() const = 0;
  virtual void Insert(int32_t Index, string_type S) = 0;
  virtual void Delete(int32_t Index) = 0;
  virtual void Clear() = 0;
  // Base: no objects, no capacity of their own.
  virtual TObject* GetObject(int32_t Index) const;
  virtual void PutObject(int32_t Index, TObject* AObject);
  virtual int32_t GetCapacity() const;
  virtual void SetCapacity(int32_t NewCapacity);
  // Called with true when an outermost update bracket opens, false when it closes.
  virtual void SetUpdating(bool Updating);
  // -1, 0, +1 by the collation; the base ignores case.
  virtual int CompareItems(view_type S1, view_type S2) const;

  // --- Operations built on the primitives -------------------------------
  virtual void Put(int32_t Index, string_type S);
  virtual int32_t Add(string_type S);
  virtual int32_t AddObject(string_type S, TObject* AObject);
  void Append(string_type S) { Add(std::move(S)); }
  virtual void AddStrings(const TStringsT& Strings);
  virtual void InsertObject(int32_t Index, string_type S, TObject* AObject);
  virtual void Exchange(int32_t Index1, int32_t Index2);
  // Fails before changing anything when the list refuses to insert (sorted)
  // or NewIndex is outside 0 .. Count-1.
  virtual void Move(int32_t CurIndex, int32_t NewIndex);
  virtual int32_t IndexOf(view_type S) const;
  virtual int32_t IndexOfName(view_type Name) const;
  virtual int32_t IndexOfObject(const TObject* AObject) const;
  // Clears this list and copies Source's items, objects and characters.
  // Assigning a list to itself changes nothing.
  virtual void Assign(const TStringsT& Source);
  // Same count and every item equal code unit for code unit (case counts).
  bool Equals(const TStringsT& Strings) const;

  void BeginUpdate();
  void EndUpdate();

  // Appends every item, converted from Windows-1252, to a UTF-16 list
  // (objects not copied, Destination not cleared); returns its new count.
  int32_t toTStrings(TStringsT<char16_t>& Destination) const
    requires std::same_as<Ch, char>;

  // --- Properties -------------------------------------------------------
  int32_t Count() const { return GetCount(); }
  int32_t Capacity() const { return GetCapacity(); }
  const string_type& Strings(int32_t Index) const { return Get(Index); }
  const string_type& operator[](int32_t Index) const { return Get(Index); }
  TObject* Objects(int32_t Index) const { return GetObject(Index); }

  string_type GetName(int32_t Index) const;
  string_type GetValue(view_type Name) const;
  void SetValue(view_type Name, view_type Value);
  string_type GetValueFromIndex(int32_t Index) const;
  void SetValueFromIndex(int32_t Index, view_type Value);
  string_type Names(int32_t Index) const { return GetName(Index); }
  string_type Values(view_type Name) const { return GetValue(Name); }
  string_type ValueFromIndex(int32_t Index) const { return GetValueFromIndex(Index); }

  // Every item followed by CR LF.
  string_type Text() const { return GetTextStr(); }
  // One item per line; CR LF, a lone CR and a lone LF each end a line.
  void SetText(view_type Text) { SetTextStr(Text); }
  // The text as a NUL-terminated copy, and setting it from one (none counts
  // as empty).
  std::unique_ptr<Ch[]> GetText() const;
  void SetText(const Ch* Text);

  string_type DelimitedText() const;
  void SetDelimitedText(view_type Value);
  string_type CommaText() const;
  void SetCommaText(view_type Value);

  Ch Delimiter() const;
  void SetDelimiter(Ch Value);
  Ch QuoteChar() const;
  void SetQuoteChar(Ch Value);
  Ch NameValueSeparator() const;
  void SetNameValueSeparator(Ch Value);

  const TStringsAdapter& StringsAdapter() const { return FAdapter; }
  void SetStringsAdapter(TStringsAdapter Value);

  // --- Streams and files ------------------------------------------------
  virtual void LoadFromStream(TStream& Stream);
  virtual void SaveToStream(TStream& Stream) const;
  virtual void LoadFromFile(const ustring& FileName);
  virtual void SaveToFile(const ustring& FileName) const;

 protected:
  virtual string_type GetTextStr() const;
  virtual void SetTextStr(view_type Value);

  // Raises the sorted-list error when the list keeps its own order; the base
  // has none. Checked before anything changes.
  virtual void CheckUnsorted() const {}

  int32_t UpdateCount() const { return FUpdateCount; }

  [[noreturn]] static void ListIndexError(int32_t Index);
  [[noreturn]] static void SortedListError();
  [[noreturn]] static void DuplicateError();

  // Runs Body inside an update bracket that closes on every path.
  template <class F>
  void WithUpdate(F&& Body) {
    BeginUpdate();
    try {
      Body();
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  }

 private:
  template <class>
  friend class TStringsT;  // the 8-bit list fills a UTF-16 one in one bracket

  string_type DelimitedTextWith(Ch Delimiter, Ch Quote) const;

  TStringsDefined FDefined = 0;
  Ch FDelimiter = Ch(',');
  Ch FQuoteChar = Ch('"');
  Ch FNameValueSeparator = Ch('=');
  int32_t FUpdateCount = 0;
  TStringsAdapter FAdapter;
};

template <class Ch>
struct TStringItemT {
  TStringItemT() = default;
  // Built in place by the list: an added text is moved once, into its slot.
  TStringItemT(std::basic_string<Ch>&& S, TObject* AObject) : FString(std::move(S)), FObject(AObject) {}
  TStringItemT(const std::basic_string<Ch>& S, TObject* AObject) : FString(S), FObject(AObject) {}

  std::basic_string<Ch> FString;
  TObject* FObject = nullptr;
};

template <class Ch>
class TStringListT : public TStringsT<Ch> {
  using Base = TStringsT<Ch>;

 public:
  using typename Base::string_type;
  using typename Base::view_type;
  using TNotifyEvent = std::function<void(TStringListT& Sender)>;
  using TStringListSortCompare = std::function<int(TStringListT& List, int32_t Index1, int32_t Index2)>;

  TStringListT() = default;
  ~TStringListT() override;

  const string_type& Get(int32_t Index) const override;
  int32_t GetCount() const override { return static_cast<int32_t>(FList.size()); }
  TObject* GetObject(int32_t Index) const override;
  void Put(int32_t Index, string_type S) override;
  void PutObject(int32_t Index, TObject* AObject) override;
  int32_t GetCapacity() const override { return FCapacity; }
  // Resizes the item array to exactly NewCapacity slots; a capacity below
  // Count is taken as Count, so no item is ever dropped.
  void SetCapacity(int32_t NewCapacity) override;
  int CompareItems(view_type S1, view_type S2) const override;

  int32_t Add(string_type S) override;
  int32_t AddObject(string_type S, TObject* AObject) override;
  void Insert(int32_t Index, string_type S) override;
  void InsertObject(int32_t Index, string_type S, TObject* AObject) override;
  void Delete(int32_t Index) override;
  void Exchange(int32_t Index1, int32_t Index2) override;
  void Clear() override;
  int32_t IndexOf(view_type S) const override;

  // Binary search of a sorted list: true when an equal item exists; Index
  // receives its position (with dupAccept the first of the equal items), or
  // the position where S would be inserted.
  bool Find(view_type S, int32_t& Index) const;
  void Sort();
  // Nothing on a sorted list or one of fewer than 2 items.
  void CustomSort(const TStringListSortCompare& Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }
  const TNotifyEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(TNotifyEvent Value) { FOnChanging = std::move(Value); }

 protected:
  void SetUpdating(bool Updating) override;
  void CheckUnsorted() const override;
  virtual void NotifyChanged();
  virtual void NotifyChanging();
  void InsertItemAt(int32_t Index, string_type&& S, TObject* AObject);

 private:
  int32_t AddItem(string_type& S, TObject* AObject);
  // InsertItemAt's other cases: an index to check, growth, a place inside.
  [[gnu::noinline]] void PlaceItem(int32_t Index, string_type&& S, TObject* AObject);
  void CheckIndex(int32_t Index) const;
  void GrowCapacity();
  static int CompareStrings(TStringListT& List, int32_t Index1, int32_t Index2);
  void SortWith(const TStringListSortCompare& Compare);
  void QuickSort(int32_t L, int32_t R, const TStringListSortCompare& Compare);
  void SwapItems(int32_t Index1, int32_t Index2);

  // The live items; their storage is reserved for exactly FCapacity items.
  std::vector<TStringItemT<Ch>> FList;
  int32_t FCapacity = 0;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnChanging;
};

extern template class TStringsT<char>;
extern template class TStringsT<char16_t>;
extern template class TStringListT<char>;
extern template class TStringListT<char16_t>;

// The UTF-16 string list.
using IStringsAdapter = IStringsAdapterT<char16_t>;
using TStrings = TStringsT<char16_t>;
using TStringList = TStringListT<char16_t>;
using TStringItem = TStringItemT<char16_t>;
