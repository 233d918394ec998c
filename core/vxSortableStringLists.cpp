// TvxObjectHashList: ownership, similarity lookup and the sort comparers.
#include "core/vxSortableStringLists.h"

#include <memory>

#include "core/vxMath.h"
#include "platform/base/vxRuntime.h"
#include "platform/text/vxFormatSettings.h"
#include "platform/text/vxNumberText.h"
#include "platform/time/vxDateUtils.h"

namespace {

ustring AsciiUpper(ustring s) {
  for (auto& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return s;
}

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

int CompareOrdinal(const ustring& a, const ustring& b) { return Sign(a.compare(b)); }

ustring Prepare(const ustring& s, bool Trim, bool Upper) {
  ustring r = Trim ? vxRuntime::Trim(s) : s;
  return Upper ? AsciiUpper(std::move(r)) : r;
}

}  // namespace

TvxObjectHashList::~TvxObjectHashList() { ClearAll(); }

void TvxObjectHashList::Put(const ustring& Key, TObject* Value, bool DestroyInstance) {
  if (DestroyInstance) Remove(Key);
  AddObject(Key, Value);
}

TObject* TvxObjectHashList::Get(const ustring& Key) const {
  const int32_t i = IndexOf(Key);
  return i < 0 ? nullptr : Objects(i);
}

TObject* TvxObjectHashList::Remove(const ustring& Key) {
  const int32_t i = IndexOf(Key);
  if (i < 0) return nullptr;
  TObject* object = Objects(i);
  Delete(i);
  if (FOwnObjects && object) {
    std::unique_ptr<TObject> owned(object);  // freed here
    return nullptr;
  }
  return object;
}

bool TvxObjectHashList::Contains(const ustring& Key) const { return IndexOf(Key) >= 0; }

bool TvxObjectHashList::IsValueNotNil(const ustring& Key) const { return Get(Key) != nullptr; }

int32_t TvxObjectHashList::ClearAll() {
  const int32_t count = Count();
  for (int32_t i = count - 1; i >= 0; --i) {
    TObject* object = Objects(i);
    Delete(i);
    if (FOwnObjects && object) std::unique_ptr<TObject> owned(object);
  }
  return count;
}

TObject* TvxObjectHashList::GetFirstAboutDistance(const ustring& Key, bool TrimBefore, bool IgnoreCase,
                                                  double& MaxDistance, double& RealDistance) const {
  const ustring key = Prepare(Key, TrimBefore, IgnoreCase);
  for (int32_t i = 0; i < Count(); ++i) {
    RealDistance = TvxMath::GetDamerauLevenshteinAccuracy(key, Prepare(Strings(i), TrimBefore, IgnoreCase));
    if (RealDistance >= MaxDistance) return Objects(i);
  }
  return nullptr;
}

bool TvxObjectHashList::SortW(TSORT_TYPE SortType) {
  TStringListSortCompare compare;
  switch (static_cast<int32_t>(SortType)) {
    case NUMBER:
      compare = [](TStringList& L, int32_t a, int32_t b) {
        const char16_t sep = FormatSettings().DecimalSeparator;
        double x = 0, y = 0;
        if (!TextToFloat(L[a], sep, x) || !TextToFloat(L[b], sep, y)) return 0;
        return x < y ? -1 : (x > y ? 1 : 0);
      };
      break;
    case ALPHA_NUM:
      compare = [](TStringList& L, int32_t a, int32_t b) { return CompareOrdinal(L[a], L[b]); };
      break;
    case ALPHA_NUM_TRIM:
      compare = [](TStringList& L, int32_t a, int32_t b) {
        return CompareOrdinal(Prepare(L[a], true, false), Prepare(L[b], true, false));
      };
      break;
    case ALPHA_NUM_UPPER:
      compare = [](TStringList& L, int32_t a, int32_t b) {
        return CompareOrdinal(Prepare(L[a], false, true), Prepare(L[b], false, true));
      };
      break;
    case ALPHA_NUM_DESC:
      compare = [](TStringList& L, int32_t a, int32_t b) { return -CompareOrdinal(L[a], L[b]); };
      break;
    case ALPHA_NUM_TRIM_UPPER_DESC:
      compare = [](TStringList& L, int32_t a, int32_t b) {
        return -CompareOrdinal(Prepare(L[a], true, true), Prepare(L[b], true, true));
      };
      break;
    case DATE:
      compare = [](TStringList& L, int32_t a, int32_t b) {
        const TDateTime x = vxRuntime::StrToDate(L[a]);
        const TDateTime y = vxRuntime::StrToDate(L[b]);
        return x < y ? -1 : (x > y ? 1 : 0);
      };
      break;
    default:
      return false;
  }
  CustomSort(compare);
  return true;
}
