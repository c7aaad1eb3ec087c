#pragma once
// CSoundDlg: the modal dialog in which the user chooses whether a reminder
// plays a sound, and which file. The advanced dialog opens it for the Friday
// prayer's reminder (template 108, one choice); the options page for the
// prayers' reminders and Fajr's own (template 219, two choices). Each choice
// is a check box, the file's path and a browse button that opens the
// open-file dialog. A choice that plays a file that does not exist is
// refused with message 342.

#include <cstdint>
#include <vector>

#include "platform/text/TChar.h"
#include "platform/ui/Dialog.h"
#include "settings/DialogRun.h"

class CSoundDlg : public ui::DialogHandler {
 public:
  enum : UINT { IDD = 108, IDD_TWO_SOUNDS = 219 };
  enum : int {
    kPlay = 230,  // check box: play a sound
    kFile = 225,  // edit: the sound file's path
    kBrowse = 221,
    kSecondPlay = 1330,  // the second choice of template 219 (Fajr's own)
    kSecondFile = 1331,
    kSecondBrowse = 1332,
  };
  // Resource strings: the open-file dialog's title and filter ("|" between
  // its parts), the missing-file message (the path) and its caption.
  enum : UINT { kTitle = 237, kFilter = 238, kMissingFile = 342, kCaption = 138 };
  // Paths are at most this long, terminator included.
  static constexpr int kPathSize = 260;

  struct Choice {
    bool play = false;
    tstring file;
  };

  /// One choice (template 108).
  CSoundDlg(bool play, const tstring& file);
  /// Two choices (template 219): the prayers' sound and Fajr's own.
  CSoundDlg(bool play, const tstring& file, bool secondPlay, const tstring& secondFile);

  /// Runs the dialog, owned by owner (may be null): IDOK with the choices
  /// below set, IDCANCEL, or -1 when it could not be shown.
  std::intptr_t DoModal(HWND owner);

  const Choice& First() const { return m_choices[0]; }
  const Choice& Second() const { return m_choices[m_choices.size() - 1]; }

  /// The open-file dialog's filter from the resource text: each "|" a
  /// terminator, and always two terminators at the end, whether or not the
  /// text ends with "|" (a translator may leave it off).
  static std::vector<tchar> FilterFromText(const tstring& text);

  /// Whether a sound file exists at path (a Windows path lands where the
  /// profile keeps its drives).
  static bool SoundFileExists(const tstring& path);

 private:
  BOOL OnInitDialog(HWND dialog, LPARAM initParam) override;
  void OnCommand(HWND dialog, int id, int code, HWND control) override;
  void Browse(HWND dialog, int fileId);
  bool OnOK(HWND dialog);

  std::vector<Choice> m_choices;
};

// `orvane dialog sound [--prayers]`: the Friday prayer's reminder sound, as
// the advanced dialog opens it, or (--prayers) the prayers' and Fajr's, as
// the options page opens it; after OK the choices under their registry names.
DialogResult ShowSoundDialog(const DialogRun& run);
