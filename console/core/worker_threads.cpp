#include "console/core/worker_threads.h"

#include <algorithm>

namespace dorvik {

CWorkerThreads::~CWorkerThreads() {
  for (CWorker& worker : m_workers) worker.thread.join();
}

void CWorkerThreads::Start(std::function<void()> work) {
  JoinFinished();
  auto pDone = std::make_shared<std::atomic<bool>>(false);
  std::thread thread([work = std::move(work), pDone] {
    work();
    *pDone = true;
  });
  m_workers.push_back({std::move(thread), std::move(pDone)});
}

void CWorkerThreads::JoinFinished() {
  auto finished = std::stable_partition(m_workers.begin(), m_workers.end(),
                                        [](const CWorker& worker) { return !*worker.pDone; });
  for (auto it = finished; it != m_workers.end(); ++it) it->thread.join();
  m_workers.erase(finished, m_workers.end());
}

}  // namespace dorvik
