# The add-in side, layer by layer from the bottom up. Each row is a library
# of its own: its layer, whether it is built ONCE or once per module flavour
# (8-bit ANSI text for Outlook XP, UTF-16 for Outlook 2003), the libraries it
# builds on, and its files. A file may include the files of its own library,
# those of the libraries it builds on (and of theirs, down the table), and
# anything of platform/, office/ and resources/, which lie beneath the whole
# add-in side; never host/. The build links exactly these libraries, and the
# test addin_layers reads every #include of these folders and fails on one
# that climbs: a new file of the add-in side is added here first.
#
#   layer 1  the calculation core: dates, the engine, the calculator
#   layer 2  the module's services: resource library, trace log, flavour,
#            exceptions, module strings, automation text, UI locale
#   layer 3  the city record and the city files
#   layer 4  the settings record and its store
#   layer 5  small controls the dialogs share
#   layer 6  the subsystems: the calendar's operations, the timetable, the
#            dialogs of the calculation, the calendar's dialogs
#   layer 7  the dialogs of the locations (they open the daylight dialog)
#   layer 8  the options page (it opens the dialogs of the layers below and
#            brings the calendar in line on Apply)
#   layer 9  the add-in object, its sinks, commands, start-up, uninstall,
#            progress window, class table and the module's exports (ENTRY
#            files go into the module itself)

orvane_addin_library(calc LAYER 1 ONCE
  USES
  FILES
    calc/CalcParams.h
    calc/DaySchedule.cpp calc/DaySchedule.h
    calc/OleDate.cpp calc/OleDate.h
    calc/OleDateFormat.cpp
    calc/PrayerCalculator.cpp calc/PrayerCalculator.h
    calc/PrayerEngine.cpp calc/PrayerEngine.h)

orvane_addin_library(services LAYER 2
  USES calc
  FILES
    services/AutomationText.cpp services/AutomationText.h
    services/Exceptions.cpp services/Exceptions.h
    services/Flavour.h
    services/HighLatitudeNote.cpp services/HighLatitudeNote.h
    services/ModuleStrings.cpp services/ModuleStrings.h
    services/ResourceLibrary.cpp services/ResourceLibrary.h
    services/TraceLog.cpp services/TraceLog.h
    services/UILocale.cpp services/UILocale.h)

orvane_addin_library(cities LAYER 3
  USES services
  FILES
    locations/CityInfo.cpp locations/CityInfo.h
    locations/CityLists.cpp locations/CityLists.h
    locations/CityZone.cpp locations/CityZone.h
    locations/DataFileHandler.cpp locations/DataFileHandler.h)

orvane_addin_library(settings LAYER 4
  USES cities
  FILES
    settings/AddinSettings.h
    settings/DialogRun.h
    settings/SettingsStore.cpp settings/SettingsStore.h)

orvane_addin_library(controls LAYER 5
  USES settings
  FILES
    options/LinkControl.cpp options/LinkControl.h
    options/MinutesList.cpp options/MinutesList.h)

orvane_addin_library(calc_dialogs LAYER 6
  USES controls
  FILES
    calc/AdvancedDlg.cpp calc/AdvancedDlg.h
    calc/DaylightDlg.cpp calc/DaylightDlg.h
    calc/SoundDlg.cpp calc/SoundDlg.h)

orvane_addin_library(calendar LAYER 6
  USES controls
  FILES
    calendar/AppointmentGeneration.cpp
    calendar/CalendarContext.h
    calendar/CalendarQueries.cpp calendar/CalendarQueries.h
    calendar/CustomReminders.cpp
    calendar/DeleteItems.cpp
    calendar/HadithServer.cpp calendar/HadithServer.h
    calendar/MarkedItems.cpp calendar/MarkedItems.h
    calendar/PrayerCalendar.h
    calendar/UpdateItems.cpp)

# The dialogs that edit the calendar's settings (the prayers chosen, the
# custom reminders), apart from the calendar's operations: those run with no
# window at start-up and from the host's timer, and need none of this.
orvane_addin_library(calendar_dialogs LAYER 6
  USES controls
  FILES
    calendar/CustomPrayersDlg.cpp calendar/CustomPrayersDlg.h
    calendar/CustomRemindersDlg.cpp calendar/CustomRemindersDlg.h)

orvane_addin_library(timetable LAYER 6
  USES settings
  FILES
    timetable/ImsakyyaBuilder.cpp timetable/ImsakyyaBuilder.h
    timetable/TimetableFile.cpp timetable/TimetableFile.h)

orvane_addin_library(location_dialogs LAYER 7
  USES calc_dialogs
  FILES
    locations/AddCity.cpp locations/AddCity.h
    locations/LocationDlg.cpp locations/LocationDlg.h)

orvane_addin_library(options_page LAYER 8
  USES calendar calendar_dialogs timetable location_dialogs
  FILES
    options/PageDialogs.cpp options/PageDialogs.h
    options/PageOwner.h
    options/PageTimetable.cpp options/PageTimetable.h
    options/PrayerPage.cpp options/PrayerPage.h)

orvane_addin_library(addin_core LAYER 9
  USES calendar calendar_dialogs timetable location_dialogs options_page
  FILES
    addin/ClassTable.cpp addin/ClassTable.h
    addin/Commands.cpp
    addin/DialogTable.cpp addin/DialogTable.h
    addin/EventSinks.cpp addin/EventSinks.h
    addin/OutlookPrayer.cpp addin/OutlookPrayer.h
    addin/ProgressOwner.h
    addin/ProgressPage.cpp addin/ProgressPage.h
    addin/Startup.cpp
    addin/Uninstall.cpp addin/Uninstall.h
  ENTRY
    addin/DialogExport.cpp
    addin/Exports.cpp)
