#pragma once
// Decisions and texts of the main window's task commands.
#include <string>
#include <vector>

#include "config/task_changes.h"

namespace dorvik {

// The row a command works on: the only row of a one-row list, otherwise the row that carries the
// list's selection mark (-1 when none). -1 when there is no chosen row.
int ChosenRow(int rowCount, int selectionMark);

constexpr const char* kNoTaskChosen = "你没有选择任何一个任务";  // 修改, file 删除
constexpr const char* kNoTaskSelected = "你没有选中任何一个任务";  // 立即备份, folders, SQL 删除
constexpr const char* kTaskNotInDocument = "初始化错误";
// A change the store could not write (the store reports failed reads itself).
constexpr const char* kConfigWriteFailed = "配置文件写入失败，本次修改没有保存。";

// "确定删除[  c1 c2 c3 c4 c5  ]吗?" from columns 1 to 5 of the file row.
std::string FileDeleteQuestion(const std::vector<std::string>& rowTexts);
// "确定删除任务[ name ]吗?"
std::string SqlDeleteQuestion(const std::string& taskName);
// "请问需要立即备份[ name ]吗？"
std::string SqlBackupQuestion(const std::string& taskName);

// Why an immediate SQL Server backup cannot start before its question: no chosen row, or a
// backup started from this window still running. Empty when it may be asked.
std::string SqlBackupRefusal(int chosenRow, bool bSqlBackupIdle);

enum class TaskKind { File, Sql };
enum class TaskEdit { Add, Change, Delete };
// How an edit ended: declined (the editor cancelled, the deletion answered No) or the store's answer.
enum class TaskEditEnd { Declined, Done, NotFound, Failed };

// Whether the quiet service restart follows an edit that ended so. The service reads its tasks
// only at its start, so every written edit restarts it; a file task's deletion restarts it
// whatever the answer, a SQL Server task's only once its row is gone.
bool RestartsServiceAfter(TaskKind kind, TaskEdit edit, TaskEditEnd end);
TaskEditEnd EditEndOf(TaskChange change);

// Column 1 of every row but `editedRow`, in list order: the names a changed SQL Server task
// may not take.
std::vector<std::string> OtherTaskNames(const std::vector<std::string>& names, int editedRow);

}  // namespace dorvik
