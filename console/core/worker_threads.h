#pragma once
// The console's backup runs: threads that use the main window's objects (the store, the log, the
// reactions), so those objects must not go before them. The owner waits for every worker it
// started when it goes; a worker that has finished is joined when the next one starts.
// Interface thread only.
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace dorvik {

class CWorkerThreads {
 public:
  CWorkerThreads() = default;
  CWorkerThreads(const CWorkerThreads&) = delete;
  CWorkerThreads& operator=(const CWorkerThreads&) = delete;
  ~CWorkerThreads();

  void Start(std::function<void()> work);
  std::size_t Count() const { return m_workers.size(); }  // started and not yet joined

 private:
  struct CWorker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> pDone;
  };
  void JoinFinished();

  std::vector<CWorker> m_workers;
};

}  // namespace dorvik
