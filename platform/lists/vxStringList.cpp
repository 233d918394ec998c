// The 8-bit and UTF-16 string lists: the abstract list, the sorted list with
// objects, and text, name=value, delimited and file forms.
#include "platform/lists/vxStringList.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <utility>

#include "platform/base/vxCodePage.h"
#include "platform/text/vxCollation.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxStream.h"
#include "platform/lists/vxFileText.h"

namespace {

constexpr char16_t kDuplicatesText[] = u"In der Stringliste sind Duplikate nicht erlaubt";
constexpr char16_t kListIndexText[] = u"Listenindex überschreitet das Maximum (%d)";
constexpr char16_t kSortedListText[] = u"Operation für sortierte Listen nicht zulässig";

template <class Ch>
bool IsBlank(Ch c) {
  return vxRuntime::IsTrimChar(c);
}

template <class Ch>
std::basic_string<Ch> FromFileBytes(std::string bytes) {
  if constexpr (std::is_same_v<Ch, char>)
    return bytes;
  else
    return vxFileText::DecodeFileText(bytes);
}

template <class Ch>
std::string ToFileBytes(std::basic_string<Ch> text) {
  if constexpr (std::is_same_v<Ch, char>)
    return text;
  else
    return vxFileText::EncodeFileText(text);
}

}  // namespace

// === TStringsT ==============================================================

template <class Ch>
TStringsT<Ch>::~TStringsT() {
  SetStringsAdapter(nullptr);
}

template <class Ch>
void TStringsT<Ch>::ListIndexError(int32_t Index) {
  ustring text = kListIndexText;
  text.replace(text.find(u"%d"), 2, AnsiToWide(std::to_string(Index)));
  throw EStringListError(text);
}

template <class Ch>
void TStringsT<Ch>::SortedListError() {
  throw EStringListError(kSortedListText);
}

template <class Ch>
void TStringsT<Ch>::DuplicateError() {
  throw EStringListError(kDuplicatesText);
}

template <class Ch>
TObject* TStringsT<Ch>::GetObject(int32_t) const {
  return nullptr;
}

template <class Ch>
void TStringsT<Ch>::PutObject(int32_t, TObject*) {}

template <class Ch>
int32_t TStringsT<Ch>::GetCapacity() const {
  return GetCount();
}

template <class Ch>
void TStringsT<Ch>::SetCapacity(int32_t) {}

template <class Ch>
void TStringsT<Ch>::SetUpdating(bool) {}

template <class Ch>
int TStringsT<Ch>::CompareItems(view_type S1, view_type S2) const {
  return vxCollation::CompareStrings(S1, S2, false);
}

template <class Ch>
void TStringsT<Ch>::Put(int32_t Index, string_type S) {
  TObject* object = GetObject(Index);
  Delete(Index);
  InsertObject(Index, std::move(S), object);
}

template <class Ch>
int32_t TStringsT<Ch>::Add(string_type S) {
  const int32_t index = GetCount();
  Insert(index, std::move(S));
  return index;
}

template <class Ch>
int32_t TStringsT<Ch>::AddObject(string_type S, TObject* AObject) {
  const int32_t index = Add(std::move(S));
  PutObject(index, AObject);
  return index;
}

template <class Ch>
void TStringsT<Ch>::AddStrings(const TStringsT& Strings) {
  if (&Strings == this) {
    // Adding a list to itself: take the items as they are before the first Add.
    std::vector<TStringItemT<Ch>> items;
    items.reserve(static_cast<size_t>(GetCount()));
    for (int32_t i = 0; i < GetCount(); ++i) items.push_back({Get(i), GetObject(i)});
    WithUpdate([&] {
      for (auto& item : items) AddObject(std::move(item.FString), item.FObject);
    });
    return;
  }
  WithUpdate([&] {
    for (int32_t i = 0; i < Strings.GetCount(); ++i) AddObject(Strings.Get(i), Strings.GetObject(i));
  });
}

template <class Ch>
void TStringsT<Ch>::InsertObject(int32_t Index, string_type S, TObject* AObject) {
  Insert(Index, std::move(S));
  PutObject(Index, AObject);
}

template <class Ch>
void TStringsT<Ch>::Exchange(int32_t Index1, int32_t Index2) {
  WithUpdate([&] {
    string_type first = Get(Index1);
    TObject* firstObject = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, std::move(first));
    PutObject(Index2, firstObject);
  });
}

template <class Ch>
void TStringsT<Ch>::Move(int32_t CurIndex, int32_t NewIndex) {
  if (CurIndex == NewIndex) return;
  // Everything is checked before the item leaves its place, so a failure
  // never loses it; the checks come in the order the steps would meet them.
  string_type s = Get(CurIndex);
  CheckUnsorted();
  if (NewIndex < 0 || NewIndex >= GetCount()) ListIndexError(NewIndex);
  TObject* object = GetObject(CurIndex);
  WithUpdate([&] {
    Delete(CurIndex);
    InsertObject(NewIndex, std::move(s), object);
  });
}

template <class Ch>
int32_t TStringsT<Ch>::IndexOf(view_type S) const {
  for (int32_t i = 0; i < GetCount(); ++i)
    if (CompareItems(Get(i), S) == 0) return i;
  return -1;
}

template <class Ch>
int32_t TStringsT<Ch>::IndexOfName(view_type Name) const {
  const Ch separator = NameValueSeparator();
  for (int32_t i = 0; i < GetCount(); ++i) {
    const view_type item = Get(i);
    const size_t p = item.find(separator);
    if (p != view_type::npos && CompareItems(item.substr(0, p), Name) == 0) return i;
  }
  return -1;
}

template <class Ch>
int32_t TStringsT<Ch>::IndexOfObject(const TObject* AObject) const {
  for (int32_t i = 0; i < GetCount(); ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

template <class Ch>
void TStringsT<Ch>::Assign(const TStringsT& Source) {
  if (&Source == this) return;  // clearing first would lose every item
  WithUpdate([&] {
    Clear();
    FDefined = Source.FDefined;
    FNameValueSeparator = Source.FNameValueSeparator;
    FQuoteChar = Source.FQuoteChar;
    FDelimiter = Source.FDelimiter;
    AddStrings(Source);
  });
}

template <class Ch>
bool TStringsT<Ch>::Equals(const TStringsT& Strings) const {
  if (GetCount() != Strings.GetCount()) return false;
  for (int32_t i = 0; i < GetCount(); ++i)
    if (Get(i) != Strings.Get(i)) return false;
  return true;
}

template <class Ch>
void TStringsT<Ch>::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdating(true);
  ++FUpdateCount;
}

template <class Ch>
void TStringsT<Ch>::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdating(false);
}

template <class Ch>
int32_t TStringsT<Ch>::toTStrings(TStringsT<char16_t>& Destination) const
  requires std::same_as<Ch, char>
{
  Destination.WithUpdate([&] {
    // clang instantiates constrained members with the class; the discarded
    // branch keeps the UTF-16 instantiation free of the 8-bit conversion.
    if constexpr (std::is_same_v<Ch, char>)
      for (int32_t i = 0; i < GetCount(); ++i) Destination.Add(AnsiToWide(Get(i)));
  });
  return Destination.GetCount();
}

// --- Names and values --------------------------------------------------------

template <class Ch>
auto TStringsT<Ch>::GetName(int32_t Index) const -> string_type {
  const string_type& item = Get(Index);
  const size_t p = item.find(NameValueSeparator());
  return p == string_type::npos ? string_type() : item.substr(0, p);
}

template <class Ch>
auto TStringsT<Ch>::GetValue(view_type Name) const -> string_type {
  const int32_t index = IndexOfName(Name);
  if (index < 0) return {};
  // The value follows the item's own separator: a name that the collation
  // finds equal to Name may differ from it in length.
  const string_type& item = Get(index);
  return item.substr(item.find(NameValueSeparator()) + 1);
}

template <class Ch>
void TStringsT<Ch>::SetValue(view_type Name, view_type Value) {
  const Ch separator = NameValueSeparator();
  if (!Value.empty()) {
    CheckUnsorted();  // before an empty item could be appended
    int32_t index = IndexOfName(Name);
    if (index < 0) index = Add({});
    string_type item(Name);
    item += separator;
    item += Value;
    Put(index, std::move(item));
  } else {
    const int32_t index = IndexOfName(Name);
    if (index >= 0) Delete(index);
  }
}

template <class Ch>
auto TStringsT<Ch>::GetValueFromIndex(int32_t Index) const -> string_type {
  if (Index < 0) return {};
  const string_type& item = Get(Index);
  const size_t p = item.find(NameValueSeparator());
  return p == string_type::npos ? string_type() : item.substr(p + 1);
}

template <class Ch>
void TStringsT<Ch>::SetValueFromIndex(int32_t Index, view_type Value) {
  if (!Value.empty()) {
    if (Index >= 0) (void)Get(Index);  // a wrong index is reported before the sorted list
    CheckUnsorted();
    if (Index < 0) Index = Add({});
    const Ch separator = NameValueSeparator();
    const string_type& current = Get(Index);
    // An item without a separator keeps its whole text as the name.
    string_type item = current.substr(0, current.find(separator));
    item += separator;
    item += Value;
    Put(Index, std::move(item));
  } else if (Index >= 0) {
    Delete(Index);
  }
}

// --- Text ----------------------------------------------------------------------

template <class Ch>
auto TStringsT<Ch>::GetTextStr() const -> string_type {
  size_t length = 0;
  for (int32_t i = 0; i < GetCount(); ++i) length += Get(i).size() + 2;
  string_type text;
  text.reserve(length);
  for (int32_t i = 0; i < GetCount(); ++i) {
    text += Get(i);
    text += Ch('\r');
    text += Ch('\n');
  }
  return text;
}

template <class Ch>
void TStringsT<Ch>::SetTextStr(view_type Value) {
  WithUpdate([&] {
    Clear();
    // The whole text counts: a NUL inside it is an ordinary character.
    size_t i = 0;
    while (i < Value.size()) {
      const size_t start = i;
      while (i < Value.size() && Value[i] != Ch('\r') && Value[i] != Ch('\n')) ++i;
      Add(string_type(Value.substr(start, i - start)));
      if (i < Value.size() && Value[i] == Ch('\r')) {
        ++i;
        if (i < Value.size() && Value[i] == Ch('\n')) ++i;
      } else if (i < Value.size()) {
        ++i;
      }
    }
  });
}

template <class Ch>
std::unique_ptr<Ch[]> TStringsT<Ch>::GetText() const {
  const string_type text = GetTextStr();
  auto buffer = std::make_unique<Ch[]>(text.size() + 1);  // zero-filled, so NUL-terminated
  std::copy(text.begin(), text.end(), buffer.get());
  return buffer;
}

template <class Ch>
void TStringsT<Ch>::SetText(const Ch* Text) {
  SetTextStr(Text ? view_type(Text) : view_type());
}

// --- Delimited text ------------------------------------------------------------

template <class Ch>
auto TStringsT<Ch>::DelimitedTextWith(Ch Delimiter, Ch Quote) const -> string_type {
  const int32_t count = GetCount();
  if (count == 1 && Get(0).empty()) return string_type(2, Quote);
  string_type text;
  for (int32_t i = 0; i < count; ++i) {
    const string_type& item = Get(i);
    // Codes up to 32 (NUL included) are quoted, so reading the text back
    // gives the same items.
    const bool quoted =
        std::any_of(item.begin(), item.end(), [&](Ch c) { return IsBlank(c) || c == Quote || c == Delimiter; });
    if (quoted) {
      text += Quote;
      for (Ch c : item) {
        text += c;
        if (c == Quote) text += Quote;
      }
      text += Quote;
    } else {
      text += item;
    }
    text += Delimiter;
  }
  if (!text.empty()) text.pop_back();
  return text;
}

template <class Ch>
auto TStringsT<Ch>::DelimitedText() const -> string_type {
  return DelimitedTextWith(Delimiter(), QuoteChar());
}

template <class Ch>
void TStringsT<Ch>::SetDelimitedText(view_type Value) {
  const Ch delimiter = Delimiter();
  const Ch quote = QuoteChar();
  WithUpdate([&] {
    Clear();
    size_t i = 0;
    const size_t n = Value.size();
    auto skipBlanks = [&] {
      // A quote that is itself a blank is not skipped: it opens an item.
      while (i < n && IsBlank(Value[i]) && Value[i] != quote) ++i;
    };
    skipBlanks();
    while (i < n) {
      if (Value[i] != quote) {
        // An unquoted item is made right where Add takes it.
        const size_t start = i;
        while (i < n && !IsBlank(Value[i]) && Value[i] != delimiter) ++i;
        Add(string_type(Value.substr(start, i - start)));
      } else {
        string_type item;
        // Up to the next quote that is not doubled; an unterminated item
        // runs to the end.
        ++i;
        while (i < n) {
          const size_t q = Value.find(quote, i);
          if (q == view_type::npos) {
            item.append(Value.substr(i));
            i = n;
          } else if (item.append(Value.substr(i, q - i)); q + 1 < n && Value[q + 1] == quote) {
            item += quote;
            i = q + 2;
          } else {
            i = q + 1;
            break;
          }
        }
        Add(std::move(item));
      }
      skipBlanks();
      if (i < n && Value[i] == delimiter) {
        if (i + 1 == n) Add({});
        ++i;
        skipBlanks();
      }
    }
  });
}

template <class Ch>
auto TStringsT<Ch>::CommaText() const -> string_type {
  return DelimitedTextWith(Ch(','), Ch('"'));
}

template <class Ch>
void TStringsT<Ch>::SetCommaText(view_type Value) {
  SetDelimiter(Ch(','));
  SetQuoteChar(Ch('"'));
  SetDelimitedText(Value);
}

template <class Ch>
Ch TStringsT<Ch>::Delimiter() const {
  return FDelimiter;
}

template <class Ch>
void TStringsT<Ch>::SetDelimiter(Ch Value) {
  FDelimiter = Value;
  FDefined |= sdDelimiter;
}

template <class Ch>
Ch TStringsT<Ch>::QuoteChar() const {
  return FQuoteChar;
}

template <class Ch>
void TStringsT<Ch>::SetQuoteChar(Ch Value) {
  FQuoteChar = Value;
  FDefined |= sdQuoteChar;
}

template <class Ch>
Ch TStringsT<Ch>::NameValueSeparator() const {
  return FNameValueSeparator;
}

template <class Ch>
void TStringsT<Ch>::SetNameValueSeparator(Ch Value) {
  FNameValueSeparator = Value;
  FDefined |= sdNameValueSeparator;
}

template <class Ch>
void TStringsT<Ch>::SetStringsAdapter(TStringsAdapter Value) {
  if (FAdapter) FAdapter->DetachStrings();
  FAdapter = std::move(Value);
  if (FAdapter) FAdapter->AttachStrings(*this);
}

// --- Streams and files ---------------------------------------------------------

template <class Ch>
void TStringsT<Ch>::LoadFromStream(TStream& Stream) {
  WithUpdate([&] { SetTextStr(FromFileBytes<Ch>(Stream.ReadToEnd())); });
}

template <class Ch>
void TStringsT<Ch>::SaveToStream(TStream& Stream) const {
  Stream.WriteBuffer(ToFileBytes<Ch>(GetTextStr()));
}

template <class Ch>
void TStringsT<Ch>::LoadFromFile(const ustring& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

template <class Ch>
void TStringsT<Ch>::SaveToFile(const ustring& FileName) const {
  TAtomicFileStream stream(FileName);
  SaveToStream(stream);
  stream.Commit();
}

// === TStringListT ===========================================================

template <class Ch>
TStringListT<Ch>::~TStringListT() {
  FOnChange = nullptr;
  FOnChanging = nullptr;
  this->SetStringsAdapter(nullptr);
}

template <class Ch>
void TStringListT<Ch>::CheckIndex(int32_t Index) const {
  if (Index < 0 || Index >= GetCount()) Base::ListIndexError(Index);
}

template <class Ch>
void TStringListT<Ch>::CheckUnsorted() const {
  if (FSorted) Base::SortedListError();
}

template <class Ch>
auto TStringListT<Ch>::Get(int32_t Index) const -> const string_type& {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FString;
}

template <class Ch>
TObject* TStringListT<Ch>::GetObject(int32_t Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FObject;
}

// The mutators check the index again after the changing notice: a handler
// may have changed the list.

template <class Ch>
void TStringListT<Ch>::Put(int32_t Index, string_type S) {
  CheckUnsorted();
  CheckIndex(Index);
  NotifyChanging();
  CheckIndex(Index);
  FList[static_cast<size_t>(Index)].FString = std::move(S);
  NotifyChanged();
}

template <class Ch>
void TStringListT<Ch>::PutObject(int32_t Index, TObject* AObject) {
  CheckIndex(Index);
  NotifyChanging();
  CheckIndex(Index);
  FList[static_cast<size_t>(Index)].FObject = AObject;
  NotifyChanged();
}

template <class Ch>
void TStringListT<Ch>::SetCapacity(int32_t NewCapacity) {
  NewCapacity = std::max(NewCapacity, GetCount());
  if (NewCapacity == FCapacity) return;
  std::vector<TStringItemT<Ch>> list;
  list.reserve(static_cast<size_t>(NewCapacity));
  std::move(FList.begin(), FList.end(), std::back_inserter(list));
  FList.swap(list);
  FCapacity = NewCapacity;
}

// Capacity keeps its published steps (4, 16, then a quarter more); the
// storage under it grows by doubling at least, so that adding n items moves
// each item a few times in all, not once per step.
template <class Ch>
void TStringListT<Ch>::GrowCapacity() {
  const int64_t capacity = FCapacity;
  const int64_t delta = capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
  const int64_t grown = std::min<int64_t>(capacity + delta, INT32_MAX);
  if (grown == capacity) Base::ListIndexError(GetCount());  // no index is left
  if (FList.capacity() < static_cast<size_t>(grown))
    FList.reserve(std::max(static_cast<size_t>(grown), FList.capacity() * 2));
  FCapacity = static_cast<int32_t>(grown);
}

template <class Ch>
int TStringListT<Ch>::CompareItems(view_type S1, view_type S2) const {
  return vxCollation::CompareStrings(S1, S2, FCaseSensitive);
}

template <class Ch>
int32_t TStringListT<Ch>::Add(string_type S) {
  return AddItem(S, nullptr);
}

template <class Ch>
int32_t TStringListT<Ch>::AddObject(string_type S, TObject* AObject) {
  return AddItem(S, AObject);
}

// Add and AddObject share this; S is moved only into its slot.
template <class Ch>
int32_t TStringListT<Ch>::AddItem(string_type& S, TObject* AObject) {
  auto index = static_cast<int32_t>(FList.size());
  if (FSorted && Find(S, index)) {
    switch (FDuplicates) {
      case dupIgnore: return index;
      case dupError: Base::DuplicateError();
      case dupAccept: break;
    }
  }
  InsertItemAt(index, std::move(S), AObject);
  return index;
}

template <class Ch>
void TStringListT<Ch>::Insert(int32_t Index, string_type S) {
  InsertObject(Index, std::move(S), nullptr);
}

template <class Ch>
void TStringListT<Ch>::InsertObject(int32_t Index, string_type S, TObject* AObject) {
  CheckUnsorted();
  if (Index < 0 || Index > GetCount()) Base::ListIndexError(Index);
  InsertItemAt(Index, std::move(S), AObject);
}

template <class Ch>
void TStringListT<Ch>::InsertItemAt(int32_t Index, string_type&& S, TObject* AObject) {
  NotifyChanging();
  const size_t count = FList.size();
  // Appending within the capacity (the common case) is kept short, so that
  // it is built into Add; the text is moved once, into its slot.
  if (static_cast<size_t>(Index) == count && count < static_cast<size_t>(FCapacity)) [[likely]]
    FList.emplace_back(std::move(S), AObject);
  else
    PlaceItem(Index, std::move(S), AObject);
  NotifyChanged();
}

template <class Ch>
void TStringListT<Ch>::PlaceItem(int32_t Index, string_type&& S, TObject* AObject) {
  const size_t count = FList.size();
  if (Index < 0 || static_cast<size_t>(Index) > count) Base::ListIndexError(Index);
  if (count == static_cast<size_t>(FCapacity)) GrowCapacity();
  FList.emplace(FList.begin() + Index, std::move(S), AObject);
}

template <class Ch>
void TStringListT<Ch>::Delete(int32_t Index) {
  CheckIndex(Index);
  NotifyChanging();
  CheckIndex(Index);
  FList.erase(FList.begin() + Index);  // the capacity stays
  NotifyChanged();
}

template <class Ch>
void TStringListT<Ch>::Exchange(int32_t Index1, int32_t Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  NotifyChanging();
  CheckIndex(Index1);
  CheckIndex(Index2);
  SwapItems(Index1, Index2);
  NotifyChanged();
}

template <class Ch>
void TStringListT<Ch>::SwapItems(int32_t Index1, int32_t Index2) {
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
}

template <class Ch>
void TStringListT<Ch>::Clear() {
  if (GetCount() == 0) return;
  NotifyChanging();
  std::vector<TStringItemT<Ch>>().swap(FList);
  FCapacity = 0;
  NotifyChanged();
}

template <class Ch>
int32_t TStringListT<Ch>::IndexOf(view_type S) const {
  if (!FSorted) return Base::IndexOf(S);
  int32_t index;
  return Find(S, index) ? index : -1;
}

template <class Ch>
bool TStringListT<Ch>::Find(view_type S, int32_t& Index) const {
  int32_t low = 0;
  int32_t high = GetCount() - 1;
  bool found = false;
  while (low <= high) {
    const auto mid = static_cast<int32_t>((static_cast<uint32_t>(low) + static_cast<uint32_t>(high)) >> 1);
    const int c = CompareItems(FList[static_cast<size_t>(mid)].FString, S);
    if (c < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != dupAccept) low = mid;
      }
    }
  }
  Index = low;
  return found;
}

template <class Ch>
int TStringListT<Ch>::CompareStrings(TStringListT& List, int32_t Index1, int32_t Index2) {
  return List.CompareItems(List.FList[static_cast<size_t>(Index1)].FString,
                           List.FList[static_cast<size_t>(Index2)].FString);
}

template <class Ch>
void TStringListT<Ch>::Sort() {
  CustomSort(CompareStrings);
}

template <class Ch>
void TStringListT<Ch>::CustomSort(const TStringListSortCompare& Compare) {
  if (FSorted || GetCount() < 2) return;
  SortWith(Compare);
}

template <class Ch>
void TStringListT<Ch>::SortWith(const TStringListSortCompare& Compare) {
  NotifyChanging();
  QuickSort(0, GetCount() - 1, Compare);
  NotifyChanged();
}

// Quicksort with the middle item as pivot, followed by index through the
// swaps. The scans stop at the range's ends, so a comparison that is not
// consistent cannot lead them outside the list; for a consistent one they
// stop at the pivot anyway. The smaller part is sorted first by recursion,
// the larger one by the loop: the result is the same in either order, and
// the recursion stays shallow.
template <class Ch>
void TStringListT<Ch>::QuickSort(int32_t L, int32_t R, const TStringListSortCompare& Compare) {
  while (L < R) {
    int32_t i = L;
    int32_t j = R;
    int32_t p = static_cast<int32_t>((static_cast<uint32_t>(L) + static_cast<uint32_t>(R)) >> 1);
    do {
      while (i < R && Compare(*this, i, p) < 0) ++i;
      while (j > L && Compare(*this, j, p) > 0) --j;
      if (i <= j) {
        if (i != j) SwapItems(i, j);
        if (p == i)
          p = j;
        else if (p == j)
          p = i;
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - L < R - i) {
      if (L < j) QuickSort(L, j, Compare);
      L = i;
    } else {
      if (i < R) QuickSort(i, R, Compare);
      R = j;
    }
  }
}

template <class Ch>
void TStringListT<Ch>::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

template <class Ch>
void TStringListT<Ch>::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted && GetCount() > 1) SortWith(CompareStrings);
}

template <class Ch>
void TStringListT<Ch>::SetUpdating(bool Updating) {
  if (Updating)
    NotifyChanging();
  else
    NotifyChanged();
}

template <class Ch>
void TStringListT<Ch>::NotifyChanged() {
  if (this->UpdateCount() == 0 && FOnChange) FOnChange(*this);
}

template <class Ch>
void TStringListT<Ch>::NotifyChanging() {
  if (this->UpdateCount() == 0 && FOnChanging) FOnChanging(*this);
}

template class TStringsT<char>;
template class TStringsT<char16_t>;
template class TStringListT<char>;
template class TStringListT<char16_t>;
