#include "console/core/task_commands.h"

namespace dorvik {

int ChosenRow(int rowCount, int selectionMark) {
  if (rowCount == 1) return 0;
  if (selectionMark < 0 || selectionMark >= rowCount) return -1;
  return selectionMark;
}

std::string FileDeleteQuestion(const std::vector<std::string>& rowTexts) {
  std::string shown;
  for (std::size_t column = 1; column <= 5; ++column) {
    if (column > 1) shown += " ";
    if (column < rowTexts.size()) shown += rowTexts[column];
  }
  return "确定删除[  " + shown + "  ]吗?";
}

std::string SqlDeleteQuestion(const std::string& taskName) {
  return "确定删除任务[ " + taskName + " ]吗?";
}

std::string SqlBackupQuestion(const std::string& taskName) {
  return "请问需要立即备份[ " + taskName + " ]吗？";
}

std::string SqlBackupRefusal(int chosenRow, bool bSqlBackupIdle) {
  if (chosenRow < 0) return kNoTaskSelected;
  if (!bSqlBackupIdle) return "还有一个进程在进行备份，请稍等再试...";
  return std::string();
}

bool RestartsServiceAfter(TaskKind kind, TaskEdit edit, TaskEditEnd end) {
  static const struct {
    TaskKind kind;
    TaskEdit edit;
    TaskEditEnd end;
  } kRestarting[] = {
      {TaskKind::File, TaskEdit::Add, TaskEditEnd::Done},
      {TaskKind::File, TaskEdit::Change, TaskEditEnd::Done},
      {TaskKind::File, TaskEdit::Delete, TaskEditEnd::Declined},
      {TaskKind::File, TaskEdit::Delete, TaskEditEnd::Done},
      {TaskKind::File, TaskEdit::Delete, TaskEditEnd::NotFound},
      {TaskKind::File, TaskEdit::Delete, TaskEditEnd::Failed},
      {TaskKind::Sql, TaskEdit::Add, TaskEditEnd::Done},
      {TaskKind::Sql, TaskEdit::Change, TaskEditEnd::Done},
      {TaskKind::Sql, TaskEdit::Delete, TaskEditEnd::Done},
      {TaskKind::Sql, TaskEdit::Delete, TaskEditEnd::NotFound},
  };
  for (const auto& r : kRestarting) {
    if (r.kind == kind && r.edit == edit && r.end == end) return true;
  }
  return false;
}

TaskEditEnd EditEndOf(TaskChange change) {
  switch (change) {
    case TaskChange::Done:
      return TaskEditEnd::Done;
    case TaskChange::NotFound:
      return TaskEditEnd::NotFound;
    case TaskChange::Failed:
      break;
  }
  return TaskEditEnd::Failed;
}

std::vector<std::string> OtherTaskNames(const std::vector<std::string>& names, int editedRow) {
  std::vector<std::string> others;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (static_cast<int>(i) != editedRow) others.push_back(names[i]);
  }
  return others;
}

}  // namespace dorvik
