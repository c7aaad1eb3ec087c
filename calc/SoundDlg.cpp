#include "calc/SoundDlg.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "platform/fs/WindowsPath.h"
#include "platform/text/Format.h"
#include "platform/ui/OpenFileDialog.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WindowsX.h"

namespace {

tstring LoadText(UINT id) {
  const char* text = ui::FindString(ResourceInstance(), id);
  return Utf8ToT(text != nullptr ? text : "");
}

tstring ReadText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  tstring text(static_cast<std::size_t>(GetWindowTextLength(control)) + 1, 0);
  const int n = GetWindowText(control, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(n, 0)));
  return text;
}

}  // namespace

CSoundDlg::CSoundDlg(bool play, const tstring& file) : m_choices{{play, file}} {}

CSoundDlg::CSoundDlg(bool play, const tstring& file, bool secondPlay, const tstring& secondFile)
    : m_choices{{play, file}, {secondPlay, secondFile}} {}

std::intptr_t CSoundDlg::DoModal(HWND owner) {
  return DialogBoxParam(ResourceInstance(), m_choices.size() == 1 ? IDD : IDD_TWO_SOUNDS, owner, this, 0);
}

std::vector<tchar> CSoundDlg::FilterFromText(const tstring& text) {
  std::vector<tchar> filter(text.begin(), text.end());
  std::replace(filter.begin(), filter.end(), static_cast<tchar>('|'), static_cast<tchar>(0));
  // Without its closing "|" the last pattern would run into whatever lies
  // after the buffer: the list ends with an empty text in any case.
  if (filter.empty() || filter.back() != 0) filter.push_back(0);
  filter.push_back(0);
  return filter;
}

bool CSoundDlg::SoundFileExists(const tstring& path) {
  if (path.empty()) return false;
  std::error_code error;
  return std::filesystem::is_regular_file(fs_win::MapPath(TToUtf8(path)), error);
}

BOOL CSoundDlg::OnInitDialog(HWND dialog, LPARAM) {
  TraceEnter("CSoundDlg::OnInitDialog");
  const int play[] = {kPlay, kSecondPlay};
  const int file[] = {kFile, kSecondFile};
  for (std::size_t i = 0; i < m_choices.size(); ++i) {
    CheckDlgButton(dialog, play[i], m_choices[i].play ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(dialog, file[i], m_choices[i].file.c_str());
    Edit_LimitText(GetDlgItem(dialog, file[i]), kPathSize - 1);
  }
  TraceExit("CSoundDlg::OnInitDialog");
  return TRUE;
}

void CSoundDlg::OnCommand(HWND dialog, int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  if (id == kBrowse) {
    Browse(dialog, kFile);
  } else if (id == kSecondBrowse && m_choices.size() > 1) {
    Browse(dialog, kSecondFile);
  } else if (id == IDOK) {
    if (OnOK(dialog)) EndDialog(dialog, IDOK);
  } else if (id == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
  }
}

void CSoundDlg::Browse(HWND dialog, int fileId) {
  const std::vector<tchar> filter = FilterFromText(LoadText(kFilter));
  const tstring title = LoadText(kTitle);
  // The dialog starts at the current file; a path too long for the buffer
  // starts it nowhere rather than at a cut one.
  tchar path[kPathSize] = {};
  const tstring current = ReadText(dialog, fileId);
  if (current.size() < static_cast<std::size_t>(kPathSize)) std::copy(current.begin(), current.end(), path);
  OpenFileNameT<tchar> request;
  request.hwndOwner = dialog;
  request.lpstrFilter = filter.data();
  request.lpstrFile = path;
  request.nMaxFile = kPathSize;
  request.lpstrTitle = title.c_str();
  request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (GetOpenFileName(&request)) SetDlgItemText(dialog, fileId, path);
}

bool CSoundDlg::OnOK(HWND dialog) {
  TraceEnter("CSoundDlg::OnOK");
  const int play[] = {kPlay, kSecondPlay};
  const int file[] = {kFile, kSecondFile};
  std::vector<Choice> chosen;
  for (std::size_t i = 0; i < m_choices.size(); ++i) {
    Choice choice{IsDlgButtonChecked(dialog, play[i]) == BST_CHECKED, ReadText(dialog, file[i])};
    if (choice.play && !SoundFileExists(choice.file)) {
      const char* format = ui::FindString(ResourceInstance(), kMissingFile);
      const std::string text = text::FormatResource(format != nullptr ? format : "%s", TToUtf8(choice.file));
      const UINT style = MB_OK | (UILanguageID == 1025 ? MB_RTLREADING | MB_RIGHT : 0);
      MessageBox(dialog, Utf8ToT(text).c_str(), LoadText(kCaption).c_str(), style);
      HWND edit = GetDlgItem(dialog, file[i]);
      SetFocus(edit);
      Edit_SetSel(edit, 0, -1);
      return false;
    }
    chosen.push_back(std::move(choice));
  }
  m_choices = std::move(chosen);
  TraceExit("CSoundDlg::OnOK");
  return true;
}

DialogResult ShowSoundDialog(const DialogRun& run) {
  const AddinSettings& settings = run.store.Settings();
  const bool prayers = run.HasOption("--prayers");
  CSoundDlg dialog = prayers ? CSoundDlg(settings.playSound, settings.soundFile, settings.fajrPlaySound,
                                         settings.fajrSoundFile)
                             : CSoundDlg(settings.fridayPlaySound, settings.fridaySoundFile);
  const std::intptr_t result = dialog.DoModal(GetActiveWindow());
  if (result == -1) return kDialogNotShown;
  if (result != IDOK) return kDialogCancelled;
  const auto print = [&](UINT playName, UINT fileName, const CSoundDlg::Choice& choice) {
    run.PrintValue(playName, choice.play ? "1" : "0");
    run.PrintValue(fileName, TToUtf8(choice.file));
  };
  if (prayers) {
    print(120, 141, dialog.First());
    print(159, 160, dialog.Second());
  } else {
    print(136, 142, dialog.First());
  }
  return kDialogOk;
}
