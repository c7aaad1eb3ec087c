// The desktop front end as a module of its own, loaded by a program only
// when it is to show windows: linked into the program, Qt and the forty
// libraries it brings were loaded by every orvane command, a few
// milliseconds each time, most of the start-up of a command that shows
// nothing.

#include <memory>
#include <string>

#include "platform/ui/qt/QtFrontEnd.h"

#define ORVANE_QT_EXPORT __attribute__((visibility("default")))

// The front end into *frontEnd, or false with what went wrong in *problem.
extern "C" ORVANE_QT_EXPORT bool OrvaneCreateQtFrontEnd(std::shared_ptr<ui::FrontEnd>* frontEnd,
                                                        std::string* problem) {
  *frontEnd = ui::qt::CreateQtFrontEnd(problem);
  return *frontEnd != nullptr;
}

extern "C" ORVANE_QT_EXPORT void OrvaneShutdownQtFrontEnd() { ui::qt::ShutdownQtFrontEnd(); }
