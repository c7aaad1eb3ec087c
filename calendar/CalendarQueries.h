#pragma once
// Finding the add-in's own items. Every query names the "PrayerNum" user
// field; where Outlook cannot evaluate that (a store that refuses user
// fields in filters, a folder that never had the field) or finds nothing,
// the query is asked again with the equivalent condition on the subjects
// the add-in gives its items. These functions hold no state of the add-in
// object.

#include <string>
#include <string_view>

#include "services/Flavour.h"
#include "office/Outlook.h"

// The "PrayerNum" values of the add-in's items are at most this; a
// condition "<= 191" selects them all (and, read as prayer flags in the
// fall-back, it is the sum of every flag but the Friday prayer's).
inline constexpr int kPrayerNumLimit = 191;

// A text as a quoted string of the filter language: between double quotes,
// each quote inside doubled, so that no subject or date a user chose can end
// the string early and change what the filter selects.
std::u16string QuoteFilterText(std::u16string_view text);

// Restrict with the fall-back to subjects; the answer may be empty. Items
// found by subject are the add-in's only when they carry the PrayerNum mark:
// the answer never holds the user's own items, whatever their titles.
HRESULT ManualRestrict(_Items* items, const std::u16string& filter, _Items** result);
// Find with the fall-back to subjects; none found is S_OK with null. An
// item found by subject alone, without the mark, is passed over.
HRESULT ManualFind(_Items* items, const std::u16string& filter, IDispatch** item);

// "(" + one [Subject] = "…" condition, joined by " OR ", for each prayer
// (and the custom reminder) whose flag satisfies `flag operator number`,
// + ") ". The property is not looked at.
std::u16string BuildEquivFilter(const tstring& property, const tstring& op, LONG number);
// left op right as unsigned numbers; an operator it does not know holds.
bool IsSatifyingCondition(DWORD left, const tstring& op, DWORD right);
// The custom reminders' subject as stored in the settings key; empty when
// the key or the value is missing.
std::u16string ReadCustomRemindersSubject();
