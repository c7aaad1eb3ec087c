#pragma once
// The three city files as one set: the primary list (the cities shown and
// chosen) and the second and third lists kept line-aligned with it, loaded
// and saved together. Records are kept in file order; a record's line number
// ties it to the records of the same place in the other lists.

#include <string>
#include <vector>

#include "locations/CityInfo.h"
#include "platform/fs/AtomicFile.h"

struct CityLists {
  // The resource strings that name the three files, in list order.
  static constexpr unsigned kFileIds[3] = {240, 242, 1011};

  std::vector<CCityInfo> lists[3];  // primary, second, third

  std::vector<CCityInfo>& Primary() { return lists[0]; }
  const std::vector<CCityInfo>& Primary() const { return lists[0]; }
};

// Reads each file (the user's copy when there is one, else the installed
// file) up to its first line that does not parse; a missing file is an
// empty list.
void LoadCityLists(CityLists* lists);

// Why a save failed: the file (its name, UTF-8) and the system's error.
struct CitySaveFailure {
  std::string fileName;
  int error = 0;
};

// Writes the three lists, in list order, into the user's copies of the three
// files (making the folder, private to the user, on the first change): all
// three are replaced, or, when any cannot be written, none is and *failure
// says which and why. calls: the system calls, for tests that make one fail.
bool SaveCityLists(const CityLists& lists, CitySaveFailure* failure,
                   const files::FileCalls& calls = files::FileCalls());
