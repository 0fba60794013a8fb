#include <gtest/gtest.h>

#include <thread>

#include "common/named_lock.h"

using namespace dorvik;

// Two locks of one name are one lock: while one holder has it, the other waits and times out.
TEST(NamedLock, OneNameOneLock) {
  std::unique_ptr<INamedLock> first = MakeNamedLock("DorvikTestLockShared");
  std::unique_ptr<INamedLock> second = MakeNamedLock("DorvikTestLockShared");
  std::unique_ptr<INamedLock> other = MakeNamedLock("DorvikTestLockOther");
  std::string why;
  ASSERT_TRUE(first->Take(0, &why)) << why;
  bool bSecond = true, bOther = false;
  std::string secondWhy;
  std::thread([&] {
    bSecond = second->Take(50, &secondWhy);
    bOther = other->Take(0, &why);
    if (bOther) other->Give();
  }).join();
  EXPECT_FALSE(bSecond) << "the same name is held";
  EXPECT_EQ("等待超时", secondWhy);
  EXPECT_TRUE(bOther) << "another name is free";
  first->Give();
  std::thread([&] {
    bSecond = second->Take(0, &secondWhy);
    if (bSecond) second->Give();
  }).join();
  EXPECT_TRUE(bSecond) << "free again once given";
}

#ifdef _WIN32
// A holder that ends without giving the lock back (a process killed in its write) leaves it
// abandoned: the next taker gets it, and it is not stuck for everyone else from then on.
TEST(NamedLock, AnAbandonedLockIsTaken) {
  std::unique_ptr<INamedLock> lock = MakeNamedLock("DorvikTestLockAbandoned");
  std::string why;
  std::thread([&] { ASSERT_TRUE(lock->Take(0, &why)) << why; }).join();
  EXPECT_TRUE(lock->Take(1000, &why)) << why;
  lock->Give();
}
#endif
