#pragma once
// The Dorviksvc service: the host plus its Parameters and Status registry values, and the start
// of the worker threads once it runs.
#include "service/nt_service.h"

namespace dorvik {

class BackupService : public CNTService {
 public:
  BackupService();

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
  DWORD m_nCurrent = 0;
};

}  // namespace dorvik
