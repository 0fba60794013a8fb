#include "console/core/worker_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace dorvik {
namespace {

// The window's objects go right after its workers: a worker still running must have ended by
// then, and one that ended long ago must not pile up.
TEST(WorkerThreads, OwnerWaitsForRunningWorkersAndJoinsFinishedOnes) {
  std::atomic<int> nEnded{0};
  std::atomic<bool> bRelease{false};
  std::thread releaser;
  {
    CWorkerThreads workers;
    workers.Start([&] { ++nEnded; });
    while (nEnded < 1) std::this_thread::yield();
    // Give the first worker the moment between its work and its end mark.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    workers.Start([&] {
      while (!bRelease) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      ++nEnded;
    });
    EXPECT_EQ(1u, workers.Count()) << "the finished worker was joined when the next started";
    releaser = std::thread([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      bRelease = true;
    });
  }
  EXPECT_EQ(2, nEnded.load()) << "the owner went only after its running worker ended";
  releaser.join();
}

}  // namespace
}  // namespace dorvik
