#pragma once
// One row of an editor's OK checks: what is typed (after an optional radio click) and the
// message OK then shows ("" when the dialog may close).
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "console/editors/editor_text.h"

namespace dorvik {

struct OkCheckCase {
  std::vector<std::pair<int, const char*>> typed;
  int choice;  // a radio clicked before typing, or 0
  const char* message;
  const char* why;
};

// `prepare` opens the editor on a state that passes every check.
template <class Editor, class Prepare>
void ExpectOkChecks(const std::vector<OkCheckCase>& cases, Prepare prepare,
                    const PathExists& pathExists) {
  for (const OkCheckCase& c : cases) {
    Editor editor;
    prepare(&editor);
    if (c.choice) editor.Choose(c.choice);
    for (const auto& typed : c.typed) editor.Controls().SetText(typed.first, typed.second);
    EXPECT_EQ(editor.Confirm(pathExists), c.message) << c.why;
  }
}

}  // namespace dorvik
