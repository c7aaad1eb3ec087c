#include "locations/CityLists.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "locations/DataFileHandler.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/Resources.h"
#include "services/ResourceLibrary.h"

void LoadCityLists(CityLists* lists) {
  for (int i = 0; i < 3; ++i) {
    std::vector<CCityInfo>& list = lists->lists[i];
    list.clear();
    const tstring path = CityFilePath(CityLists::kFileIds[i]);
    CDataFileHandler file(path.c_str(), CDataFileHandler::kRead);
    CCityInfo city;
    while (file.GetNextCityInfo(city)) list.push_back(city);
  }
}

bool SaveCityLists(const CityLists& lists, CitySaveFailure* failure, const files::FileCalls& calls) {
  std::vector<files::FileReplacement> replacements;
  tchar line[CDataFileHandler::kWriteBufferSize];
  for (int i = 0; i < 3; ++i) {
    files::FileReplacement file;
    file.path = TToUtf8(UserCityFilePath(CityLists::kFileIds[i]));
    for (const CCityInfo& city : lists.lists[i]) {
      city.GetLineFromInfo(line, CDataFileHandler::kWriteBufferSize);
      CDataFileHandler::EncodeLine(line, &file.contents);
    }
    replacements.push_back(std::move(file));
  }
  // The user's copies are the user's alone, as the rest of the profile.
  const std::filesystem::path folder = UserCityFolder();
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    if (!std::filesystem::create_directories(folder, ec) && ec) {
      *failure = CitySaveFailure{replacements[0].path.filename().string(), ec.value()};
      return false;
    }
    ::chmod(folder.c_str(), 0700);
  }
  try {
    files::ReplaceFilesTogether(replacements, calls);
  } catch (const files::FileError& e) {
    *failure = CitySaveFailure{e.Path().filename().string(), e.code().value()};
    return false;
  }
  return true;
}
