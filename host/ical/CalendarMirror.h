#pragma once
// The Calendar folder as an iCalendar file (RFC 5545) that any calendar
// application can subscribe to: calendar.ics in the profile, rewritten after
// each change of the store.
//
// One VEVENT per item, its UID the item's uid so that subscribers update an
// item in place rather than adding a copy. Start and end are floating local
// times (no TZID, no VTIMEZONE): the store keeps local wall-clock times and
// nothing about their zone, and the add-in computes them for the zone of the
// user's city, which need not be the machine's. Naming the machine's zone
// would make a subscriber on another zone's clock move the prayers; a
// floating time stays at the hour the store says, as the host shows it.

#include <filesystem>
#include <string>
#include <vector>

#include "host/store/Appointment.h"

namespace files {
class FileCalls;
}  // namespace files

namespace host {

/// PRODID of the mirror.
inline constexpr const char* kMirrorProductId = "-//Orvane//Orvane 3.0//EN";
/// The calendar's name as a subscriber shows it (X-WR-CALNAME).
inline constexpr const char* kMirrorCalendarName = "Orvane";
/// The last year an event can start or end in: libical 3.0 writes a later
/// DTSTART or DTEND as 00000000T000000.
inline constexpr int kLastMirroredYear = 3000;
/// The largest reminder lead, in minutes before the start (or after it when
/// negative), that a mirrored alarm can carry: libical counts in int seconds.
inline constexpr long kMaxReminderMinutes = 35791394;

/// The iCalendar text of the items of the Calendar folder in `items`, in their
/// order; items in any other folder (Deleted Items) are left out. Lines end in
/// CR LF and are folded at 75 bytes, never inside a UTF-8 character. DTSTAMP
/// is "now" from the platform clock (ORVANE_NOW when set) in UTC.
///
/// Each event has SUMMARY ("(No Subject)", as Outlook lists it, for an item
/// whose subject is empty or blank: a published calendar must give each
/// event a summary); DESCRIPTION when the body is not empty; DTEND only
/// when the end is later than the start (an event without one ends when it
/// starts); TRANSP TRANSPARENT for free time and OPAQUE otherwise;
/// X-MICROSOFT-CDO-BUSYSTATUS FREE, TENTATIVE, BUSY or OOF (a status Outlook
/// does not have is written as BUSY, its default); with the reminder set a
/// VALARM triggered that many minutes before the start, AUDIO with the sound
/// file's file: URI when a sound is to play and a file is named (a Windows
/// path as the platform maps it), else DISPLAY with the summary; and the user
/// properties as UserPropertyForm.h describes. Texts are cleaned as
/// CleanText describes, so CR LF line breaks come back as LF. Blanks at either
/// end of a subject or body are written, but libical (and so Evolution) reads
/// a value without them.
///
/// Throws MirrorError naming the item when one cannot be written faithfully:
/// an empty uid or one used twice (subscribers would merge the two), a start
/// or end that is no date or lies after kLastMirroredYear, an end before the
/// start, a reminder of more than kMaxReminderMinutes either way, or a user
/// property that UserPropertyToICal refuses.
std::string BuildICalendar(const std::vector<Appointment>& items);

/// Rewrites the mirror at `path` (normally profile::File("calendar.ics")) with
/// the items, atomically as WriteFileAtomically does. Throws MirrorError when
/// the items cannot be mirrored or the file cannot be written, with the errno
/// in the latter case; the old file is then left as it was.
void WriteMirror(const std::filesystem::path& path, const std::vector<Appointment>& items);

/// The same with the system calls of `calls`, for tests that make them fail.
void WriteMirror(const std::filesystem::path& path, const std::vector<Appointment>& items,
                 const files::FileCalls& calls);

}  // namespace host
