// The automatic check run, started by the timer in an automatic run.
#include "app/AutoCheck.h"
#include "app/AutoCheckSystem.h"
#include "measure/MDir.h"
#include "measure/MDirSizeChkPrefetch.h"
#include "ui/Controls.h"
#include "ui/MessagePump.h"
#include "ui/frmVelmora1.h"

namespace velmora::ui {
namespace {

// The run's host: the window's own procedures and the system.
class FormHost : public AutoCheckHost {
 public:
  explicit FormHost(frmVelmora1& form) : form_(form) {}

  RootListing ListRoot(const std::wstring& rootPath) override { return ListDriveRoot(rootPath); }
  float AkiSizeDisp(const std::wstring& driveLetter) override { return form_.AkiSizeDisp(driveLetter); }
  // Made by a worker: a lookup on a dead share holds up no message of the session's end.
  std::wstring DirFind(const std::wstring& path) override { return DirFindOnWorker(path, kAttrDirectory, DoEvents); }
  float SiyouSizeDisp(const std::wstring& dirPath, bool& measured) override {
    return form_.SiyouSizeDisp(dirPath, &measured);
  }
  void ShowWarning(const AutoMessage& message) override {
    // No owner: the main window stays hidden and off-screen.
    ShowMessage(nullptr, message.text, message.title, MB_ICONSTOP);
  }
  bool LogWrite(CheckKind kind, bool found, const std::wstring& target, float size, float limit,
                CheckResult result) override {
    return form_.LogWrite(kind, found, target, size, limit, result);
  }
  double Rnd() override { return random_.Next(); }
  void Randomize() override { random_.Seed(TimeOfDaySeed()); }
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

 private:
  frmVelmora1& form_;
  RandomGenerator random_;
};

}  // namespace

void frmVelmora1::Timer1_Timer() {
  Timer1.SetEnabled(false);
  AutoArgs args{ArgDisk, ArgDir, ArgSize};
  FormHost host(*this);
  exitCode = RunAutoCheck(args, host);
  runPending_ = false;
  ArgDisk = args.disk;
  Form_Unload();
}

}  // namespace velmora::ui
