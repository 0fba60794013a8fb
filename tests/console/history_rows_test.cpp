#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "common/clock.h"
#include "console/history/history_rows.h"
#include "tests/common/fake_file_system.h"

using namespace dorvik;

namespace {

constexpr std::int64_t kMade = 1714552200;  // the outputs' creation time in the fake

std::string Shown(std::int64_t when) { return FormatLocalTime(FromEpochSeconds(when), "%Y-%m-%d %H:%M:%S"); }

// Log lines as the backup jobs write them.
std::string FileLine(const std::string& key, const std::string& source, const std::string& output) {
  char line[600];
  std::snprintf(line, sizeof line, "%-15s    %s    %-30s    %s\r\n", key.c_str(), "2024-05-01 08:30:00",
                source.c_str(), output.c_str());
  return line;
}
std::string SqlLine(const std::string& key, const std::string& output) {
  return key + std::string(15 - key.size(), ' ') + "    2024-05-01 08:30:00    " + output + "\r\n";
}

// Writes "take" and "give" into the test's event list; it can refuse to be taken.
class CRecordingLock : public INamedLock {
 public:
  explicit CRecordingLock(std::vector<std::string>& events) : m_events(events) {}
  bool Take(unsigned, std::string* why) override {
    if (onTake) onTake();
    if (bRefuse) {
      *why = "refused";
      return false;
    }
    m_events.push_back("take");
    return true;
  }
  void Give() override { m_events.push_back("give"); }

  bool bRefuse = false;
  std::function<void()> onTake;  // runs before the lock is taken: an appender's last moment

 private:
  std::vector<std::string>& m_events;
};

}  // namespace

TEST(HistoryRows, LineSplittingInBothModes) {
  struct Case {
    HistoryMode mode;
    std::string line;
    bool bTaken;
    const char* source;
    std::string output;
    bool bRemovable;
    const char* why;
  } cases[] = {
      {HistoryMode::File, FileLine("3", "C:\\web\\shop", "D:\\bak\\file_shop_1.zip"), true, "C:\\web\\shop",
       "D:\\bak\\file_shop_1.zip", true, "file line"},
      {HistoryMode::File, FileLine("3", "C:\\my  web", "D:\\bak\\f"), true, "C:\\my", "web" + std::string(24, ' ') + "D:\\bak\\f",
       true, "two blanks in the source cut it there"},
      {HistoryMode::File, SqlLine("shop", "D:\\sql\\db_shop_2024.bak"), true, "", "D:\\sql\\db_shop_2024.bak", true,
       "SQL line in file mode: checked, never listed"},
      {HistoryMode::File, "3    2024-05-01 08:30:00\r\n", false, "", "", true, "no output"},
      {HistoryMode::File, "garbage line\r\n", false, "", "", true, "not a log line"},
      {HistoryMode::Sql, SqlLine("shop", "D:\\sql\\db_shop_2024.zip"), true, "", "D:\\sql\\db_shop_2024.zip", true,
       "SQL line"},
      {HistoryMode::Sql, SqlLine("shop", "D:\\db_x\\shop_2024.bak"), false, "", "", true,
       "db_ only in the folder"},
      {HistoryMode::Sql, FileLine("3", "C:\\db", "D:\\bak\\file_db_1.zip"), true, "",
       "C:\\db" + std::string(29, ' ') + "D:\\bak\\file_db_1.zip", false,
       "a file line SQL mode takes is never removed by it"},
  };
  for (const Case& c : cases) {
    std::vector<HistoryLogLine> lines = ReadHistoryLines(c.line, c.mode);
    ASSERT_EQ(c.bTaken ? 1u : 0u, lines.size()) << c.why;
    if (!c.bTaken) continue;
    EXPECT_EQ(c.source, lines[0].source) << c.why;
    EXPECT_EQ(c.output, lines[0].output) << c.why;
    EXPECT_EQ(c.bRemovable, lines[0].bRemovable) << c.why;
  }
}

TEST(HistoryRows, NamesAndMonths) {
  struct Case {
    std::string actual, expected;
    const char* why;
  } cases[] = {
      {DatabaseOfBackupName("db_shop_20240501083000.bak"), "shop", "plain"},
      {DatabaseOfBackupName("db_shop_2023_20240501083000.bak"), "shop", "cut at the first _2"},
      {DatabaseOfBackupName("db_shop.bak"), "", "no _2"},
      {DatabaseOfBackupName("x_2_db_a_2024.bak"), "", "_2 before db_"},
      {MonthEntry("2024-05-01 08:30:00"), "5月", "leading zero dropped"},
      {MonthEntry("2023-10-31 23:00:00"), "10月", "two digits"},
      {MonthEntry("2024"), "0月", "too short"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, c.actual) << c.why;
  EXPECT_EQ((std::vector<std::string>{"D:\\A", "d:\\b"}), DistinctTexts({"D:\\A", "d:\\b", "d:\\a", "D:\\B"}));
}

TEST(HistoryRows, FiltersRebuildFromTheSavedRows) {
  // Saved top first, as loaded; every filter lists the reverse of the saved order.
  const std::vector<HistoryRow> file = {{"4", "2024-10-02 01:00:00", "C:\\a", "o4"},
                                        {"3", "2023-01-05 01:00:00", "C:\\b", "o3"},
                                        {"2", "2024-01-09 01:00:00", "C:\\a", "o2"},
                                        {"1", "2024-10-01 01:00:00", "C:\\a b", "o1"}};
  const std::vector<HistoryRow> sql = {{"1", "shop2", "t1", "x", "o3"}, {"2", "shop", "t2", "x", "o2"},
                                       {"3", "web", "t1", "x", "o1"}};
  auto Outputs = [](const std::vector<HistoryRow>& rows, int column) {
    std::string text;
    for (const HistoryRow& row : rows) text += row[0] + ":" + row[column] + " ";
    return text;
  };
  struct Case {
    std::vector<HistoryRow> rows;
    int column;
    const char* expected;
    const char* why;
  } cases[] = {
      {FilterFolderRows(file, "C:\\a"), 3, "2:o2 1:o4 ", "exact folder, match numbers count up from the bottom"},
      {FilterFolderRows(file, "c:\\a"), 3, "", "folder compares with case"},
      {FilterMonthRows(file, "10月"), 3, "1:o1 2:o4 ", "October of any year, numbered from the top"},
      {FilterMonthRows(file, "1月"), 3, "1:o2 2:o3 ", "January, not October or November"},
      {AllFileRows(file), 3, "1:o1 2:o2 3:o3 4:o4 ", "show all keeps the saved numbers"},
      {FilterSqlRows(sql, 1, "shop"), 4, "1:o2 2:o3 ", "database filter matches substrings"},
      {FilterSqlRows(sql, 2, "t1"), 4, "1:o1 2:o3 ", "task filter"},
      {FilterSqlRows(sql, 1, ""), 4, "1:o1 2:o2 3:o3 ", "show all"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, Outputs(c.rows, c.column)) << c.why;
}

class CHistoryLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_fs.m_nNewFileTime = kMade;
    m_fs.AddFolder("C:\\prog\\Log");
  }
  CFakeFileSystem m_fs;
  std::vector<std::string> m_events;
  CRecordingLock m_lock{m_events};
};

TEST_F(CHistoryLoadTest, EmptyLogFolderGivesNoRows) {
  HistoryLoad load = LoadHistory(m_fs, "C:\\prog\\Log", HistoryMode::File);
  EXPECT_TRUE(load.rows.empty());
  EXPECT_EQ(0, load.nCount);
}

TEST_F(CHistoryLoadTest, FileModeListsSurvivorsAndRemovesOnlyWholeMissingLines) {
  const std::string copy = "D:\\bak\\2024-5-1\\file_web_20240501083000";
  m_fs.AddFile(copy + ".zip", "zip");  // the copy folder is gone, its archive stays
  m_fs.AddFolder("D:\\bak\\2024-5-2\\file_shop_20240502083000");
  const std::string first = FileLine("3", "C:\\web", copy) + FileLine("3", "C:\\web", copy + ".zip") + "\r\n" +
                            SqlLine("sql", "D:\\gone\\db_x_2024.bak") + SqlLine("sql2", "D:\\BAK\\2024-5-1\\FILE_WEB_20240501083000.ZIP");
  const std::string second = FileLine("4", "C:\\shop", "D:\\bak\\2024-5-2\\file_shop_20240502083000") + "not a log line\r\n";
  m_fs.AddFile("C:\\prog\\Log\\2024_05_01.log", first);
  m_fs.AddFile("C:\\prog\\Log\\2024_05_02.log", second);

  HistoryLoad load = LoadHistory(m_fs, "C:\\prog\\Log", HistoryMode::File);
  EXPECT_EQ(first, m_fs.FileContent("C:\\prog\\Log\\2024_05_01.log")) << "rewritten only when asked";
  RewriteLogs(m_fs, m_lock, load.rewrites);
  ASSERT_EQ(2u, load.rows.size());
  EXPECT_EQ(2, load.nCount);
  EXPECT_EQ((HistoryRow{"2", Shown(kMade), "C:\\shop", "D:\\bak\\2024-5-2\\file_shop_20240502083000"}), load.rows[0]);
  EXPECT_EQ((HistoryRow{"1", Shown(kMade), "C:\\web", copy + ".zip"}), load.rows[1]);
  EXPECT_EQ(FileLine("3", "C:\\web", copy + ".zip") + SqlLine("sql2", "D:\\BAK\\2024-5-1\\FILE_WEB_20240501083000.ZIP"),
            m_fs.FileContent("C:\\prog\\Log\\2024_05_01.log"))
      << "the .zip line that begins with the folder's line stays; blank lines may go";
  EXPECT_EQ(second, m_fs.FileContent("C:\\prog\\Log\\2024_05_02.log")) << "nothing missing: not rewritten";
  EXPECT_EQ("", m_fs.FileContent("C:\\prog\\Log\\2024_05_01.log.rewrite"));
}

TEST_F(CHistoryLoadTest, SqlModeNumbersFromTheTopAndKeepsFileLines) {
  m_fs.AddFile("D:\\sql\\shop\\2024-5-1\\db_shop_2023_20240501083000.zip");
  m_fs.AddFile("D:\\sql\\web\\2024-5-1\\db_web_20240501083000.bak");
  const std::string log = SqlLine("shop", "D:\\sql\\shop\\2024-5-1\\db_shop_2023_20240501083000.zip") +
                          SqlLine("web", "D:\\sql\\web\\2024-5-1\\db_web_20240501083000.bak") +
                          SqlLine("web", "D:\\sql\\web\\2024-4-1\\db_web_20240401083000.bak") +
                          FileLine("3", "C:\\web", "D:\\gone\\file_web_1.zip");
  m_fs.AddFile("C:\\prog\\Log\\2024_05_01.log", log);
  HistoryLoad load = LoadHistory(m_fs, "C:\\prog\\Log", HistoryMode::Sql);
  RewriteLogs(m_fs, m_lock, load.rewrites);
  ASSERT_EQ(2u, load.rows.size());
  EXPECT_EQ((HistoryRow{"1", "web", "web", Shown(kMade), "D:\\sql\\web\\2024-5-1\\db_web_20240501083000.bak"}),
            load.rows[0]);
  EXPECT_EQ((HistoryRow{"2", "shop", "shop", Shown(kMade), "D:\\sql\\shop\\2024-5-1\\db_shop_2023_20240501083000.zip"}),
            load.rows[1]);
  EXPECT_EQ(SqlLine("shop", "D:\\sql\\shop\\2024-5-1\\db_shop_2023_20240501083000.zip") +
                SqlLine("web", "D:\\sql\\web\\2024-5-1\\db_web_20240501083000.bak") +
                FileLine("3", "C:\\web", "D:\\gone\\file_web_1.zip"),
            m_fs.FileContent("C:\\prog\\Log\\2024_05_01.log"));
}

TEST_F(CHistoryLoadTest, ALogThatCannotBeRewrittenKeepsItsLines) {
  const std::string log = SqlLine("web", "D:\\gone\\db_web_2024.bak");
  m_fs.AddFile("C:\\prog\\Log\\2024_05_01.log", log);
  m_fs.FailOn("C:\\prog\\Log\\2024_05_01.log.rewrite");
  HistoryLoad load = LoadHistory(m_fs, "C:\\prog\\Log", HistoryMode::Sql);
  EXPECT_TRUE(load.rows.empty());
  RewriteLogs(m_fs, m_lock, load.rewrites);
  EXPECT_EQ(log, m_fs.FileContent("C:\\prog\\Log\\2024_05_01.log"));
  m_fs.AddFile("C:\\prog\\Log\\other.log", log + "appended\r\n");
  EXPECT_FALSE(RewriteLogFile(m_fs, m_lock, "C:\\prog\\Log\\other.log", "changed meanwhile", ""));
  EXPECT_EQ(log + "appended\r\n", m_fs.FileContent("C:\\prog\\Log\\other.log")) << "changed, not only grown";
  EXPECT_TRUE(RewriteLogFile(m_fs, m_lock, "C:\\prog\\Log\\other.log", log, ""));
  EXPECT_EQ("appended\r\n", m_fs.FileContent("C:\\prog\\Log\\other.log")) << "lines appended meanwhile move along";
}

// Appenders hold the log lock for each write; the rewrite holds it from its last reading to the
// move, so a line appended at any moment is either carried over or lands in the new file.
TEST_F(CHistoryLoadTest, TheRewriteHoldsTheLogLockFromItsLastReadingToTheMove) {
  class CRecordingFiles : public CFakeFileSystem {
   public:
    explicit CRecordingFiles(std::vector<std::string>& events) : m_events(events) {}
    bool ReadWholeFile(const std::string& path, std::string* content) override {
      m_events.push_back("read " + path);
      return CFakeFileSystem::ReadWholeFile(path, content);
    }
    bool MoveOver(const std::string& from, const std::string& to) override {
      m_events.push_back("move " + from);
      return CFakeFileSystem::MoveOver(from, to);
    }
    std::vector<std::string>& m_events;
  } fs(m_events);
  const std::string log = "C:\\prog\\Log\\2024_05_01.log";
  const std::string gone = SqlLine("web", "D:\\gone\\db_web_2024.bak");
  fs.AddFile(log, gone + "kept\r\n");
  m_lock.onTake = [&] { fs.AppendToFile(log, "appended just before\r\n"); };
  ASSERT_TRUE(RewriteLogFile(fs, m_lock, log, gone + "kept\r\n", "kept\r\n"));
  EXPECT_EQ((std::vector<std::string>{"take", "read " + log, "move " + log + ".rewrite", "give"}), m_events);
  EXPECT_EQ("kept\r\nappended just before\r\n", fs.FileContent(log));

  m_lock.onTake = nullptr;
  m_lock.bRefuse = true;
  fs.AddFile(log, gone + "kept\r\n");
  EXPECT_FALSE(RewriteLogFile(fs, m_lock, log, gone + "kept\r\n", "kept\r\n"));
  EXPECT_EQ(gone + "kept\r\n", fs.FileContent(log)) << "without the lock the log stays as it is";
  EXPECT_FALSE(fs.Exists(log + ".rewrite"));
}
