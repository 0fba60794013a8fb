#pragma once
// Where the health files lie and how they are written: Health beside the programs holds the
// exposition file for Prometheus; Health\records the service's records. Neither is in the Log
// folder, so no reader of backup logs ever sees them.
#include <map>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "health/run_record.h"

namespace dorvik {

std::string HealthFolder(const std::string& programDir);   // programDir + "Health"
std::string RecordsFolder(const std::string& programDir);  // programDir + "Health\records"
std::string ExpositionPath(const std::string& programDir); // programDir + "Health\dorvik.prom"
std::string ServiceRecordPath(const std::string& programDir);

// Writes the text to path + ".tmp" and moves that over the path: readers see the old file or the
// new one, never a part. False with the system's words in *error.
bool WriteFileWhole(IFileSystem& files, const std::string& path, const std::string& text, std::string* error);

struct StoredRecords {
  std::map<std::string, RunRecord> runs;  // by file name
  std::vector<std::string> damaged;       // paths of files that are not whole records
  ServiceRecord service;                  // empty when there is none yet
};

StoredRecords ReadStoredRecords(IFileSystem& files, const std::string& programDir);

}  // namespace dorvik
