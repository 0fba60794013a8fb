#pragma once
// config.db in memory, with failures on request, for the portable store's unit tests.
#include <map>
#include <memory>
#include <string>

#include "config/config_file.h"
#include "config/scramble.h"

namespace dorvik {

class CFakeConfigFile : public IConfigFile {
 public:
  bool bExists = false;
  std::string strStored;
  ConfigReadResult readResult = ConfigReadResult::Ok;
  bool bWriteFails = false;
  bool bRemoveFails = false;
  bool bLockFails = false;
  bool bMoveFails = false;
  std::map<std::string, std::string> movedAside;  // new name -> stored bytes
  int nWrites = 0;
  int nLocksHeld = 0;
  int nWritesWithoutLock = 0;
  std::size_t nLastMaxBytes = 0;

  void SetDocument(const std::string& text) {
    bExists = true;
    strStored = ScrambleText(text);
  }
  std::string Document() const { return UnscrambleText(strStored); }

  bool Exists() override { return bExists; }
  ConfigReadResult ReadStored(std::string* stored, std::size_t maxBytes) override {
    nLastMaxBytes = maxBytes;
    stored->clear();
    if (!bExists) return ConfigReadResult::OpenFailed;
    if (readResult != ConfigReadResult::Ok) return readResult;
    *stored = maxBytes != 0 && strStored.size() > maxBytes ? strStored.substr(0, maxBytes)
                                                             : strStored;
    return ConfigReadResult::Ok;
  }
  bool WriteStored(const std::string& stored) override {
    if (nLocksHeld == 0) ++nWritesWithoutLock;
    if (bWriteFails) return false;
    ++nWrites;
    bExists = true;
    strStored = stored;
    return true;
  }
  bool Remove() override {
    if (bRemoveFails) return false;
    bExists = false;
    strStored.clear();
    return true;
  }
  bool MoveAside(const std::string& suffix, std::string* newPath) override {
    *newPath = "config.db" + suffix;
    if (bMoveFails || !bExists) return false;
    movedAside[*newPath] = strStored;
    bExists = false;
    strStored.clear();
    return true;
  }
  std::unique_ptr<CLock> LockForUpdate() override {
    if (bLockFails) return nullptr;
    return std::unique_ptr<CLock>(new CFakeLock(&nLocksHeld));
  }

 private:
  class CFakeLock : public CLock {
   public:
    explicit CFakeLock(int* held) : m_pHeld(held) { ++*m_pHeld; }
    ~CFakeLock() override { --*m_pHeld; }

   private:
    int* m_pHeld;
  };
};

}  // namespace dorvik
