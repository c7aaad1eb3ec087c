// Modal dialogs, focus and the keyboard, and the controls of the dialogs'
// templates, driven as a person drives them through the headless front end.

#include <atomic>
#include <chrono>

#include "platform/com/VariantTime.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Gdi.h"
#include "platform/ui/Images.h"
#include "platform/ui/OpenFileDialog.h"
#include "platform/ui/UserInput.h"
#include "tests/ui/UiTestSupport.h"

namespace uitest {
namespace {

using ControlsTest = UiTest;

const ui::ControlSnapshot& Shown(const ui::HeadlessFrontEnd& frontEnd, HWND dialog, int id) {
  static ui::ControlSnapshot none{};
  static std::optional<ui::WindowSnapshot> last;
  last = frontEnd.Snapshot(dialog);
  const ui::ControlSnapshot* control = last ? last->Control(id) : nullptr;
  return control != nullptr ? *control : none;
}

TEST_F(ControlsTest, AModalRunDisablesItsOwnerAndReturnsWhatEndDialogGave) {
  RecordingHandler ownerHandler;
  ownerHandler.quitOnDestroy = false;
  WindowThread owner(&ownerHandler);
  ShowWindow(owner.Dialog(), SW_SHOW);

  FormHandler form;
  ModalRun run(&form, owner.Dialog());
  HWND dialog = run.Dialog(*m_frontEnd);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowEnabled(owner.Dialog()));
  EXPECT_TRUE(m_frontEnd->Snapshot(dialog)->modal);
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->owner, owner.Dialog());
  // The owner cannot be used meanwhile: its buttons do not press.
  EXPECT_FALSE(m_frontEnd->Click(owner.Dialog(), kOk));

  EXPECT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  EXPECT_EQ(run.Result(), IDCANCEL);
  EXPECT_TRUE(IsWindowEnabled(owner.Dialog()));
  EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(ControlsTest, ModalRunsNestAndADialogEndedDuringInitialisationNeverShows) {
  FormHandler outer;
  ModalRun first(&outer);
  HWND outerDialog = first.Dialog(*m_frontEnd);
  ASSERT_NE(outerDialog, nullptr);

  // A second modal run on the dialog's own thread, owned by the first.
  FormHandler inner;
  inner.endDuringInit = true;
  const LRESULT innerResult = RunOnThread(outerDialog, [&] {
    return DialogBoxParam(TestModule(), kForm, outerDialog, &inner, 0);
  });
  EXPECT_EQ(innerResult, 77);
  EXPECT_TRUE(IsWindowEnabled(outerDialog));  // given back when the inner run ended

  EXPECT_TRUE(m_frontEnd->Key(outerDialog, VK_RETURN));  // the default button, OK
  EXPECT_EQ(first.Result(), IDOK);
}

TEST_F(ControlsTest, TabWalksTheReachableStopsInTemplateOrderAndSelectsAnEditsText) {
  FormHandler form;
  ModalRun run(&form);
  HWND dialog = run.Dialog(*m_frontEnd);
  ASSERT_NE(dialog, nullptr);
  // The first stop has the focus from the start.
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->focusId, kName);

  ASSERT_TRUE(m_frontEnd->Type(dialog, kNumber, "12"));
  ASSERT_TRUE(m_frontEnd->Focus(dialog, kName));
  std::vector<int> order;
  for (int i = 0; i < 9; ++i) {
    ASSERT_TRUE(m_frontEnd->Key(dialog, VK_TAB));
    order.push_back(m_frontEnd->Snapshot(dialog)->focusId);
    if (order.back() == kNumber) {
      // Reached by Tab, the edit's whole text is selected, ready to type over.
      EXPECT_EQ(Shown(*m_frontEnd, dialog, kNumber).selStart, 0);
      EXPECT_EQ(Shown(*m_frontEnd, dialog, kNumber).selEnd, 2);
    }
  }
  // Hidden and disabled controls and the label are passed over; the radio
  // group is one stop; the walk wraps round.
  EXPECT_EQ(order, (std::vector<int>{kNumber, kList, kCombo, kDate, kRadioA, IDOK, IDCANCEL, kName,
                                     kNumber}));
  ASSERT_TRUE(m_frontEnd->Key(dialog, VK_TAB, true));
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->focusId, kName);

  // Escape is Cancel.
  ASSERT_TRUE(m_frontEnd->Key(dialog, VK_ESCAPE));
  EXPECT_EQ(run.Result(), IDCANCEL);
}

TEST_F(ControlsTest, AnEditLimitsTypingButNotTheProgramAndReportsEveryChange) {
  FormHandler form;
  ModalRun run(&form);
  HWND dialog = run.Dialog(*m_frontEnd);
  ASSERT_NE(dialog, nullptr);
  HWND name = GetDlgItem(dialog, kName);
  RunOnThread(dialog, [&] { return SendMessage(name, EM_LIMITTEXT, 3, 0); });

  ASSERT_TRUE(m_frontEnd->Type(dialog, kName, "Ab\xC3\xA9z"));  // A, b, é, z: one too many
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kName).text, "Ab\xC3\xA9");
  EXPECT_EQ(form.Count(kName, EN_CHANGE), 3);
  EXPECT_EQ(form.Count(kName, EN_MAXTEXT), 1);

  // The program may set a longer text; it is reported too.
  ASSERT_TRUE(SetDlgItemText(dialog, kName, "Abcdef"));
  EXPECT_EQ(form.Count(kName, EN_CHANGE), 4);
  SendMessage(name, EM_SETSEL, 6, 6);  // the caret to the end, as pressing End does
  ASSERT_TRUE(m_frontEnd->Type(dialog, kName, "\b\b"));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kName).text, "Abcd");

  // A number field takes digits only; GetDlgItemInt reads whole numbers.
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, kNumber, "4x2"));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kNumber).text, "42");
  BOOL read = FALSE;
  EXPECT_EQ(GetDlgItemInt(dialog, kNumber, &read, TRUE), 42u);
  EXPECT_TRUE(read);
  for (const char* text : {"abc", "", "12a", "1 2", "-", "99999999999"}) {
    SetDlgItemText(dialog, kName, text);
    EXPECT_EQ(GetDlgItemInt(dialog, kName, &read, TRUE), 0u) << text;
    EXPECT_FALSE(read) << text;
  }
  SetDlgItemText(dialog, kName, " -7 ");
  EXPECT_EQ(static_cast<int>(GetDlgItemInt(dialog, kName, &read, TRUE)), -7);
  EXPECT_TRUE(read);
  EXPECT_EQ(GetDlgItemInt(dialog, kName, &read, FALSE), 0u);  // no sign when unsigned
  EXPECT_FALSE(read);
  SetDlgItemInt(dialog, kName, static_cast<UINT>(-12), TRUE);
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kName).text, "-12");

  // Typing posted by a front end runs on the dialog's thread later, and
  // says so once it has been typed, exactly once.
  std::atomic<int> typed{0};
  ASSERT_TRUE(ui::input::ReplaceText(name, "Posted", ui::input::Mode::kPost, [&] { ++typed; }));
  ASSERT_TRUE(m_frontEnd->WaitFor(dialog, [](const ui::WindowSnapshot& shown) {
    return shown.Control(kName)->text == "Pos";  // the limit of 3 still holds
  }));
  for (int i = 0; i < 500 && typed == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(typed, 1);

  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  run.Result();
}

TEST_F(ControlsTest, ComboBoxesFindByPrefixIgnoringCaseKeepDataAndTellOnlyAPersonsChoice) {
  FormHandler form;
  ModalRun run(&form);
  HWND dialog = run.Dialog(*m_frontEnd);
  ASSERT_NE(dialog, nullptr);
  HWND list = GetDlgItem(dialog, kList);
  HWND combo = GetDlgItem(dialog, kCombo);
  RunOnThread(dialog, [&] {
    for (const char* month : {"January", "February", "March", "jUne"}) {
      SendMessage(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(month));
    }
    SendMessage(list, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("Before"));
    SendMessage(list, CB_SETITEMDATA, 2, 1234);
    for (const char* city : {"Oran", "cairo", "Amman", "Beirut"}) {
      SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(city));
    }
    return 0;
  });
  const auto find = [&](HWND box, UINT message, WPARAM start, const char* text) {
    return SendMessage(box, message, start, reinterpret_cast<LPARAM>(text));
  };
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kList).items,
            (std::vector<std::string>{"Before", "January", "February", "March", "jUne"}));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kCombo).items,
            (std::vector<std::string>{"Amman", "Beirut", "cairo", "Oran"}));
  EXPECT_EQ(find(list, CB_FINDSTRING, static_cast<WPARAM>(-1), "ju"), 4);
  EXPECT_EQ(find(list, CB_FINDSTRING, static_cast<WPARAM>(-1), "J"), 1);
  EXPECT_EQ(find(list, CB_FINDSTRING, 1, "J"), 4);  // after entry 1
  EXPECT_EQ(find(list, CB_FINDSTRING, 4, "J"), 1);  // and round again
  EXPECT_EQ(find(list, CB_FINDSTRING, static_cast<WPARAM>(-1), "Mai"), CB_ERR);
  EXPECT_EQ(find(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "JUNE"), 4);
  EXPECT_EQ(find(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "Jun"), CB_ERR);
  EXPECT_EQ(SendMessage(list, CB_GETITEMDATA, 2, 0), 1234);
  EXPECT_EQ(SendMessage(list, CB_GETITEMDATA, 9, 0), CB_ERR);

  // The program's selection is silent; a person's is reported.
  EXPECT_EQ(SendMessage(list, CB_SETCURSEL, 3, 0), 3);
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kList).text, "March");
  EXPECT_EQ(SendMessage(list, CB_SETCURSEL, 9, 0), CB_ERR);
  EXPECT_EQ(SendMessage(list, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(form.Count(kList, CBN_SELCHANGE), 0);
  ASSERT_TRUE(m_frontEnd->Select(dialog, kList, 1));
  EXPECT_EQ(form.Count(kList, CBN_SELCHANGE), 1);
  EXPECT_EQ(SendMessage(list, CB_GETCURSEL, 0, 0), 1);
  // A drop-down list cannot be typed into; an editable combo can.
  EXPECT_TRUE(m_frontEnd->Type(dialog, kList, "x"));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kList).text, "January");
  ASSERT_TRUE(m_frontEnd->Type(dialog, kCombo, "Tunis"));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kCombo).text, "Tunis");
  EXPECT_EQ(form.Count(kCombo, CBN_EDITCHANGE), 5);

  RunOnThread(dialog, [&] { return SendMessage(list, CB_RESETCONTENT, 0, 0); });
  EXPECT_TRUE(Shown(*m_frontEnd, dialog, kList).items.empty());
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kList).text, "");
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  run.Result();
}

TEST_F(ControlsTest, AnUpDownStepsWithinItsRangeThroughItsBuddyAndCanBeRefused) {
  FormHandler form;
  ModalRun run(&form);
  HWND dialog = run.Dialog(*m_frontEnd);
  ASSERT_NE(dialog, nullptr);
  HWND spin = GetDlgItem(dialog, kSpin);
  // The edit before it is its buddy; it sits inside the edit's right edge.
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessage(spin, UDM_GETBUDDY, 0, 0)), GetDlgItem(dialog, kNumber));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kSpin).rect, (RECT{58, 30, 70, 44}));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kNumber).rect, (RECT{10, 30, 58, 44}));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kSpin).buddyId, kNumber);

  RunOnThread(dialog, [&] {
    SendMessage(spin, UDM_SETRANGE32, 1, 31);
    return SendMessage(spin, UDM_SETPOS32, 0, 30);
  });
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kNumber).text, "30");
  ASSERT_TRUE(m_frontEnd->Step(dialog, kSpin, 1));
  ASSERT_TRUE(m_frontEnd->Step(dialog, kSpin, 1));  // stops at the top
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kNumber).text, "31");
  // A typed value is where the next step starts from.
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, kNumber, "5"));
  ASSERT_TRUE(m_frontEnd->Key(dialog, VK_DOWN));  // arrow keys in the buddy step too
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kNumber).text, "4");

  // The position read back comes from the buddy, with an error for text
  // that is no number in range.
  BOOL error = TRUE;
  EXPECT_EQ(SendMessage(spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)), 4);
  EXPECT_FALSE(error);
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, kNumber, "99"));
  SendMessage(spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error));
  EXPECT_TRUE(error);
  int low = 0, high = 0;
  SendMessage(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 1);
  EXPECT_EQ(high, 31);

  form.refuseSteps = true;
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, kNumber, "10"));
  EXPECT_FALSE(m_frontEnd->Step(dialog, kSpin, 1));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kNumber).text, "10");
  EXPECT_GE(form.Count(kSpin, static_cast<int>(UDN_DELTAPOS)), 4);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  run.Result();
}

TEST_F(ControlsTest, ADatePickerKeepsItsRangeAndReportsAPersonsChange) {
  FormHandler form;
  ModalRun run(&form);
  HWND dialog = run.Dialog(*m_frontEnd);
  ASSERT_NE(dialog, nullptr);
  HWND picker = GetDlgItem(dialog, kDate);
  SYSTEMTIME range[2]{};
  range[0].wYear = 2004;
  range[0].wMonth = 1;
  range[0].wDay = 1;
  range[1].wYear = 2004;
  range[1].wMonth = 12;
  range[1].wDay = 31;
  SYSTEMTIME day = range[0];
  day.wMonth = 3;
  day.wDay = 21;
  RunOnThread(dialog, [&] {
    SendMessage(picker, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
    return SendMessage(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day));
  });
  SYSTEMTIME read{};
  EXPECT_EQ(SendMessage(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&read)), GDT_VALID);
  EXPECT_EQ(read.wMonth, 3);
  EXPECT_EQ(read.wDay, 21);
  EXPECT_FALSE(Shown(*m_frontEnd, dialog, kDate).dateText.empty());
  EXPECT_EQ(form.Count(kDate, static_cast<int>(DTN_DATETIMECHANGE)), 0);
  // The front ends are told the range, so that the desktop offers no day
  // outside it.
  const ui::ControlSnapshot shown = Shown(*m_frontEnd, dialog, kDate);
  DATE first = 0, last = 0;
  ASSERT_TRUE(SystemTimeToVariantTime(&range[0], &first));
  ASSERT_TRUE(SystemTimeToVariantTime(&range[1], &last));
  EXPECT_TRUE(shown.hasDateMin);
  EXPECT_EQ(shown.dateMin, first);
  EXPECT_TRUE(shown.hasDateMax);
  EXPECT_EQ(shown.dateMax, last);

  SYSTEMTIME outside = day;
  outside.wYear = 2005;
  EXPECT_FALSE(m_frontEnd->SetDate(dialog, kDate, outside));
  SYSTEMTIME inside = day;
  inside.wDay = 22;
  EXPECT_TRUE(m_frontEnd->SetDate(dialog, kDate, inside));
  SendMessage(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&read));
  EXPECT_EQ(read.wDay, 22);
  EXPECT_EQ(form.Count(kDate, static_cast<int>(DTN_DATETIMECHANGE)), 1);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  run.Result();
}

TEST_F(ControlsTest, RadioButtonsOfAGroupExcludeEachOtherAndArrowKeysMoveAmongThem) {
  FormHandler form;
  ModalRun run(&form);
  HWND dialog = run.Dialog(*m_frontEnd);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(m_frontEnd->Click(dialog, kRadioA));
  EXPECT_EQ(IsDlgButtonChecked(dialog, kRadioA), static_cast<UINT>(BST_CHECKED));
  ASSERT_TRUE(m_frontEnd->Key(dialog, VK_DOWN));
  EXPECT_EQ(IsDlgButtonChecked(dialog, kRadioA), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, kRadioB), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->focusId, kRadioB);
  // Tab reaches the group at its checked button.
  ASSERT_TRUE(m_frontEnd->Focus(dialog, kDate));
  ASSERT_TRUE(m_frontEnd->Key(dialog, VK_TAB));
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->focusId, kRadioB);
  // Disabled and hidden controls take neither clicks nor the focus.
  EXPECT_FALSE(m_frontEnd->Click(dialog, kOff));
  EXPECT_FALSE(m_frontEnd->Type(dialog, kHidden, "x"));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  run.Result();
}

// A static control taken over as a link: its own procedure in front of the
// class's, colours chosen through reflection, a hand cursor, the mouse
// captured while it hovers.
struct Takeover {
  static inline WNDPROC previous = nullptr;
  static inline bool hovering = false;
  static inline int presses = 0;
  static LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_SETCURSOR:
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
      case OCM_CTLCOLORSTATIC:
        SetTextColor(reinterpret_cast<HDC>(wParam), hovering ? RGB(255, 0, 0) : RGB(0, 0, 255));
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
      case WM_MOUSEMOVE: {
        RECT client{};
        GetClientRect(window, &client);
        const POINT at{static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam))),
                       static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam)))};
        const bool inside = at.x >= 0 && at.y >= 0 && at.x < client.right && at.y < client.bottom;
        if (!hovering && inside) {
          hovering = true;
          SetCapture(window);
          InvalidateRect(window, nullptr, FALSE);
        } else if (hovering && !inside) {
          hovering = false;
          ReleaseCapture();
          InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
      }
      case WM_LBUTTONDOWN:
        ++presses;
        return 0;
      default:
        return CallWindowProc(previous, window, message, wParam, lParam);
    }
  }
};

TEST_F(ControlsTest, ASubclassedStaticChoosesItsColourAndCursorAndHoldsTheMouseWhileHovering) {
  FormHandler form;
  ModalRun run(&form);
  HWND dialog = run.Dialog(*m_frontEnd);
  ASSERT_NE(dialog, nullptr);
  HWND link = GetDlgItem(dialog, kLink);
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kLink).textColor, CLR_INVALID);
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kLink).cursorId, 0u);

  RunOnThread(dialog, [&] {
    Takeover::previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Takeover::Procedure)));
    // What it does not handle still reaches the static's own procedure.
    SetWindowText(link, "https://example.org/guide");
    return InvalidateRect(link, nullptr, TRUE);
  });
  EXPECT_NE(Takeover::previous, nullptr);
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kLink).text, "https://example.org/guide");
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kLink).textColor, RGB(0, 0, 255));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kLink).cursorId, IDC_HAND);

  ASSERT_TRUE(ui::input::Mouse(link, WM_MOUSEMOVE, POINT{5, 5}));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kLink).textColor, RGB(255, 0, 0));
  // Off the link, over another control: the captured link hears of it and
  // stops hovering.
  ASSERT_TRUE(ui::input::Mouse(GetDlgItem(dialog, kName), WM_MOUSEMOVE, POINT{2, 2}));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kLink).textColor, RGB(0, 0, 255));
  EXPECT_FALSE(Takeover::hovering);
  ASSERT_TRUE(m_frontEnd->Click(dialog, kLink));
  EXPECT_EQ(Takeover::presses, 1);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  run.Result();
}

TEST_F(ControlsTest, AMessageBoxDisablesItsOwnerWhileItShowsAndAnOpenFileDialogGetsItsFilters) {
  FormHandler form;
  ModalRun run(&form);
  HWND dialog = run.Dialog(*m_frontEnd);
  ASSERT_NE(dialog, nullptr);
  bool ownerEnabledDuringBox = true;
  struct Watcher : ui::HeadlessFrontEnd {
    bool* seen;
    HWND owner;
    int ShowMessageBox(const ui::MessageBoxRequest& request) override {
      *seen = IsWindowEnabled(owner) != FALSE;
      return HeadlessFrontEnd::ShowMessageBox(request);
    }
  };
  auto watcher = std::make_shared<Watcher>();
  watcher->seen = &ownerEnabledDuringBox;
  watcher->owner = dialog;
  ui::SetFrontEnd(watcher);
  RunOnThread(dialog, [&] {
    return MessageBox(dialog, u"Text", u"Caption", MB_OK | MB_RTLREADING | MB_RIGHT);
  });
  EXPECT_FALSE(ownerEnabledDuringBox);
  EXPECT_TRUE(IsWindowEnabled(dialog));
  ASSERT_EQ(watcher->MessageBoxes().size(), 1u);
  EXPECT_EQ(watcher->MessageBoxes()[0].owner, dialog);
  EXPECT_EQ(watcher->MessageBoxes()[0].style & (MB_RTLREADING | MB_RIGHT), MB_RTLREADING | MB_RIGHT);

  watcher->QueueOpenFile(std::string("/tmp/adhan.wav"));
  char path[16] = "";
  OPENFILENAMEA request;
  request.hwndOwner = dialog;
  request.lpstrFilter = "Sound files (*.wav)\0*.wav\0All files (*.*)\0*.*\0";
  request.lpstrFile = path;
  request.nMaxFile = sizeof path;
  EXPECT_TRUE(GetOpenFileName(&request));
  EXPECT_STREQ(path, "/tmp/adhan.wav");
  ASSERT_EQ(watcher->OpenFileRequests().size(), 1u);
  EXPECT_EQ(watcher->OpenFileRequests()[0].filters,
            (std::vector<std::pair<std::string, std::string>>{{"Sound files (*.wav)", "*.wav"},
                                                              {"All files (*.*)", "*.*"}}));
  // A path longer than the buffer is refused, not cut.
  watcher->QueueOpenFile(std::string("/tmp/a-much-longer-name.wav"));
  EXPECT_FALSE(GetOpenFileName(&request));
  EXPECT_STREQ(path, "/tmp/adhan.wav");
  watcher->QueueOpenFile(std::nullopt);
  EXPECT_FALSE(GetOpenFileName(&request));

  ASSERT_TRUE(watcher->Click(dialog, IDCANCEL));
  run.Result();
}

TEST_F(ControlsTest, APictureShowsABitmapOfItsModule) {
  FormHandler form;
  ModalRun run(&form);
  HWND dialog = run.Dialog(*m_frontEnd);
  ASSERT_NE(dialog, nullptr);
  HBITMAP bitmap = LoadBitmap(TestModule(), kBitmap);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(LoadBitmap(TestModule(), kGoodClip), nullptr);  // a clip is no bitmap
  SIZE size{};
  ASSERT_TRUE(BitmapSize(bitmap, &size));
  EXPECT_EQ(size.cx, 2);
  EXPECT_EQ(size.cy, 2);
  HWND picture = GetDlgItem(dialog, kPicture);
  EXPECT_EQ(SendMessage(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)), 0);
  EXPECT_EQ(SendMessage(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LPARAM>(bitmap));
  const ui::ControlSnapshot shown = Shown(*m_frontEnd, dialog, kPicture);
  EXPECT_EQ(shown.imageType, static_cast<unsigned>(IMAGE_BITMAP));
  EXPECT_EQ(shown.imageId, static_cast<unsigned>(kBitmap));
  EXPECT_EQ(shown.imageModule, TestModule());
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  run.Result();
}

}  // namespace

// A map moves under a marker frame by frame: the picture shows its image
// rotated, column x at (x + offset) mod width; a new image starts unshifted.
TEST_F(ControlsTest, APictureShiftsItsImageAndAButtonShowsAnIconOrABitmap) {
  FormHandler form;
  ModalRun run(&form);
  HWND dialog = run.Dialog(*m_frontEnd);
  ASSERT_NE(dialog, nullptr);
  HWND picture = GetDlgItem(dialog, kPicture);
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImage(TestModule(), kBitmap, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  ASSERT_EQ(bitmap, LoadBitmap(TestModule(), kBitmap));
  SendMessage(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
  EXPECT_EQ(SendMessage(picture, STM_SHIFTIMAGE, static_cast<WPARAM>(-45), 0), 0);
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kPicture).imageOffset.x, -45);
  EXPECT_EQ(SendMessage(picture, STM_SHIFTIMAGE, 7, 0), -45);
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kPicture).imageOffset.x, 7);
  SendMessage(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(LoadBitmap(TestModule(), kPng)));
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kPicture).imageOffset.x, 0);
  EXPECT_EQ(Shown(*m_frontEnd, dialog, kPicture).imageId, static_cast<unsigned>(kPng));

  // Sizes of each kind of image data.
  SIZE size{};
  ASSERT_TRUE(BitmapSize(LoadBitmap(TestModule(), kPng), &size));
  EXPECT_EQ(size.cx, 3);
  EXPECT_EQ(size.cy, 2);
  HICON icon = LoadIcon(TestModule(), kIcon);
  ASSERT_TRUE(IconSize(icon, &size));
  EXPECT_EQ(size.cx, 16);
  EXPECT_FALSE(IconSize(bitmap, &size));
  EXPECT_EQ(LoadImage(TestModule(), kIcon, IMAGE_BITMAP, 0, 0, 0), nullptr);  // no such bitmap
  EXPECT_EQ(LoadImage(TestModule(), kIcon, IMAGE_ICON, 32, 32, LR_DEFAULTSIZE), icon);

  HWND ok = GetDlgItem(dialog, IDOK);
  EXPECT_EQ(SendMessage(ok, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)), 0);
  EXPECT_EQ(SendMessage(ok, BM_GETIMAGE, IMAGE_ICON, 0), reinterpret_cast<LPARAM>(icon));
  EXPECT_EQ(SendMessage(ok, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  // An image of another type than the one named is refused.
  EXPECT_EQ(SendMessage(ok, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(bitmap)), 0);
  const ui::ControlSnapshot button = Shown(*m_frontEnd, dialog, IDOK);
  EXPECT_EQ(button.imageType, static_cast<unsigned>(IMAGE_ICON));
  EXPECT_EQ(button.imageId, static_cast<unsigned>(kIcon));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  run.Result();
}

}  // namespace uitest
