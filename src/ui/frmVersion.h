// The About window: the product name and version, the author, the contact address,
// the homepage as a link, and a closing line. It has no Close command and no usable
// close button; "OK" closes it. It is shown modally and rebuilt on every showing.
#pragma once
#include <windows.h>

#include "app/About.h"
#include "base/Handle.h"
#include "ui/Window.h"

namespace velmora::ui {

class frmVersion : public Window {
 public:
  frmVersion();
  ~frmVersion() override;

  // Loads the window and shows it modally: every other window of this thread is
  // disabled until the window is unloaded. Returns after the unload.
  void ShowModal();

  // --- Controls ---------------------------------------------------------------------
  HWND cmdEnd{};
  HWND lblHttp{};
  HWND lblTitle{};

  // --- Event handlers ---------------------------------------------------------------
  void Form_Load();
  void lblHttp_MouseMove();
  void lblTitle_MouseMove();
  void lblHttp_Click();
  void cmdEnd_Click();

 protected:
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void PlaceLinkOnItsLine();
  bool Load();
  void Unload();
  HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int id, int left, int top, int width, int height);

  int dpi_ = 96;
  FontHandle font_;
  HCURSOR handCursor_{};
  AboutInfo info_;
  LinkColour link_;
  bool unloaded_ = false;
};

}  // namespace velmora::ui
