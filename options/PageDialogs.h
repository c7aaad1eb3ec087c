#pragma once
// The dialogs the options page opens, behind one interface: the page runs
// them through it, and a test puts its own in their place to play what a
// person chose. Each answers IDOK after it took the person's choice into
// the values it was given, IDCANCEL (the values as they were), or -1 when it
// could not be shown.

#include <cstdint>

#include "locations/CityInfo.h"
#include "platform/ui/Window.h"
#include "settings/AddinSettings.h"

class IPageDialogs {
 public:
  virtual ~IPageDialogs() = default;

  /// The location dialog on the working city, daylight flag and rule, and
  /// method (given to a city added there). city: the current city, or none.
  virtual std::intptr_t Location(HWND owner, CCityInfo& city, bool* hasCity, AddinSettings& working) = 0;
  /// The advanced dialog: method, school, high-latitude rule, Friday fields.
  virtual std::intptr_t Advanced(HWND owner, AddinSettings& working) = 0;
  /// The reminder sound dialog (template 219): the prayers' sound and Fajr's.
  virtual std::intptr_t Sound(HWND owner, AddinSettings& working) = 0;
  /// The custom prayers dialog: the selection and the custom reminders;
  /// *change: how the custom reminders changed (1 not, 2 times, 3 subject).
  virtual std::intptr_t CustomPrayers(HWND owner, AddinSettings& working, int* change) = 0;
};

// The add-in's own dialogs.
IPageDialogs& AddinPageDialogs();
