#pragma once
// The add-in's own items among those a subject query found. Where a query on
// the PrayerNum field cannot be used, the add-in asks for its subjects
// instead, and the user's own items with the same titles ("Isha", a
// person's name, a meeting called like the custom reminders) come back with
// its own. Only an item that carries the PrayerNum mark is the add-in's:
// this collection shows the marked items of another collection and nothing
// else, so that no caller deletes, updates or counts an item the add-in did
// not write.

#include <vector>

#include "services/Flavour.h"
#include "office/Outlook.h"
#include "platform/com/ComPtr.h"
#include "platform/com/RefCounted.h"

// A condition on the mark as Outlook reads it: `mark op number`.
struct MarkCondition {
  tstring op;     // "<", "<=", ">", ">=", "=", "<>"; any other holds
  LONG number = 0;
  bool Holds(double mark) const;
};

// Every mark the add-in writes.
MarkCondition AnyMark();

// The item's PrayerNum mark. False when the item carries none, or one that
// is not a number the add-in writes (0 to 191).
bool ReadPrayerMark(IDispatch* item, double* mark);

// Passes over the matches of a Find or FindNext on `items` that do not
// satisfy `condition`, walking on with FindNext; `found` and `item` are that
// call's answer. Ends with a marked item, with none, or with a failure.
HRESULT SkipUnmarkedMatches(_Items* items, const MarkCondition& condition, HRESULT found, IDispatch** item);

class CMarkedItems final : public com::CRefCounted<_Items> {
 public:
  // Wraps `items`, keeping those whose mark satisfies `condition`; the items
  // left out are named in the trace log. The answer holds a reference.
  static HRESULT Create(_Items* items, const MarkCondition& condition, _Items** result);

  HRESULT QueryInterface(REFIID iid, void** object) override;
  HRESULT GetTypeInfoCount(UINT* count) override;
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argumentError) override;

  HRESULT get_Count(LONG* count) override;
  HRESULT Item(VARIANT index, IDispatch** item) override;
  // Narrows the wrapped collection; the answer again holds marked items only.
  HRESULT Restrict(BSTR filter, _Items** result) override;
  // The wrapped collection's matches, passing over unmarked ones.
  HRESULT Find(BSTR filter, IDispatch** item) override;
  HRESULT FindNext(IDispatch** item) override;

 private:
  CMarkedItems(_Items* items, MarkCondition condition) : m_items(items), m_condition(std::move(condition)) {}
  ~CMarkedItems() = default;
  HRESULT Collect();

  ComPtr<_Items> m_items;
  MarkCondition m_condition;
  std::vector<LONG> m_positions;  // 1-based positions in m_items of the marked items
};
