#pragma once
// The Dorviksvc service: the host plus its Parameters and Status registry values, and the start
// of the worker threads once it runs.
#include <atomic>

#include "service/nt_service.h"

namespace dorvik {

class CBackupService : public CNTService {
 public:
  CBackupService();

  void Run() override;
  bool OnStarting() override;
  void OnStopRequest() override;
  bool OnCustomControl(DWORD dwOpcode) override;
  // Stores m_nCurrent as Status\Current.
  void SaveCurrentValue();

 protected:
  void OnStarted() override;

 private:
  DWORD m_nStart = 0;
  DWORD m_nInc = 1;
  // Moved by Run's thread, saved by the control handler's.
  std::atomic<DWORD> m_nCurrent{0};
};

}  // namespace dorvik
