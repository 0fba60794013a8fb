#include "console/sql_task_editor.h"
