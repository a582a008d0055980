#include "UninstallDialog.h"

#include <windows.h>

#include "UninstallIds.h"
#include "UninstallTexts.h"
#include "base/Handle.h"

namespace velmora::uninstall {

namespace {

struct Question {
  std::wstring caption, folder;
  bool deleteData = false;
  FontHandle bold;
};

// The question in the dialog's font, larger and bold, as Windows shows a main instruction.
void Emphasise(HWND dialog, Question& question) {
  LOGFONTW font{};
  auto current = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  if (!current || !GetObjectW(current, sizeof font, &font)) return;
  font.lfHeight = font.lfHeight * 4 / 3;
  font.lfWeight = FW_BOLD;
  question.bold.reset(CreateFontIndirectW(&font));
  if (question.bold)
    SendDlgItemMessageW(dialog, VELMORA_QUESTION, WM_SETFONT, reinterpret_cast<WPARAM>(question.bold.get()), FALSE);
}

INT_PTR CALLBACK Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* question = reinterpret_cast<Question*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      question = reinterpret_cast<Question*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetWindowTextW(dialog, question->caption.c_str());
      SetDlgItemTextW(dialog, VELMORA_QUESTION, texts::kQuestion);
      SetDlgItemTextW(dialog, VELMORA_WHAT, texts::kWhat);
      SetDlgItemTextW(dialog, VELMORA_FOLDER, question->folder.c_str());
      SetDlgItemTextW(dialog, VELMORA_ALSO, texts::kAlso);
      SetDlgItemTextW(dialog, VELMORA_DELETE_DATA, texts::kDeleteData);
      SetDlgItemTextW(dialog, IDOK, texts::kUninstallButton);
      SetDlgItemTextW(dialog, IDCANCEL, texts::kCancelButton);
      Emphasise(dialog, *question);
      SetForegroundWindow(dialog);
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;  // the focus is set
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        question->deleteData = IsDlgButtonChecked(dialog, VELMORA_DELETE_DATA) == BST_CHECKED;
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

std::optional<bool> Confirm(const std::wstring& caption, const std::wstring& folder) {
  Question question;
  question.caption = caption;
  question.folder = folder;
  INT_PTR answer = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VELMORA_CONFIRM_DIALOG), nullptr, Handle,
                                   reinterpret_cast<LPARAM>(&question));
  if (answer != IDOK) return std::nullopt;
  return question.deleteData;
}

}  // namespace velmora::uninstall
