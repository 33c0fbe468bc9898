// The gesture of dragging a design out of the layout window: what each press, move and release
// of a sequence does.
#include "hoopdesk/layout/layoutdrag.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Event {
  char kind;         // 'p' press, 'm' move, 'r' release
  bool left = true;  // press, release: of the left button; move: the left button held
  int design = 0;    // press: the design hit (-1 none); move, release: one is selected
};

// Each event's outcome: "arm" (a press arms the drag cursor), "outline" (a move shows it),
// "drop" and "disarm" (a release drops the design, takes the cursor away), "-" for nothing.
std::vector<std::string> Steps(const std::vector<Event>& events) {
  TLayoutDrag drag;
  std::vector<std::string> out;
  for (const Event& e : events) {
    if (e.kind == 'p') {
      out.push_back(drag.Press(e.left, e.design, {}) ? "arm" : "-");
    } else if (e.kind == 'm') {
      out.push_back(drag.Move(e.left, e.design >= 0) ? "outline" : "-");
    } else {
      const TLayoutRelease r = drag.Release(e.left, e.design >= 0);
      out.push_back(std::string(r.drop ? "drop" : "") + (r.disarm ? "disarm" : "") +
                    (!r.drop && !r.disarm ? "-" : ""));
    }
  }
  return out;
}

TEST(LayoutDrag, OnlyAReleaseAfterAMoveWithTheButtonHeldDrops) {
  const struct {
    const char* what;
    std::vector<Event> events;
    std::vector<std::string> want;
  } cases[] = {
      {"a drag", {{'p'}, {'m'}, {'m'}, {'r'}}, {"arm", "outline", "outline", "dropdisarm"}},
      {"a click selects without dropping", {{'p'}, {'r'}}, {"arm", "disarm"}},
      {"a press beside the designs",
       {{'p', true, -1}, {'m', true, -1}, {'r', true, -1}},
       {"-", "-", "-"}},
      {"the right button", {{'p', false}, {'m', false}, {'r', false}}, {"-", "-", "-"}},
      {"moves without the button held", {{'p'}, {'m', false}, {'r'}}, {"arm", "-", "disarm"}},
      {"no design selected any more",
       {{'p'}, {'m', true, -1}, {'r', true, -1}},
       {"arm", "-", "disarm"}},
      {"a release of another button ends the drag without a drop",
       {{'p'}, {'m'}, {'r', false}, {'m'}, {'r'}},
       {"arm", "outline", "disarm", "-", "-"}},
      {"a second press arms no second cursor and hides the outline",
       {{'p'}, {'m'}, {'p', true, 1}, {'r'}},
       {"arm", "outline", "-", "disarm"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Steps(c.events), c.want) << c.what;
}

TEST(LayoutDrag, TheOffsetIsFromTheArmingPress) {
  TLayoutDrag drag;
  drag.Press(true, 0, {10, 20});
  drag.Press(true, -1, {90, 90});  // beside the designs: the start stays
  EXPECT_EQ(drag.Offset({40, 15}), QPoint(30, -5));
  drag.Press(true, 1, {50, 50});
  EXPECT_EQ(drag.Offset({50, 50}), QPoint(0, 0));
}

}  // namespace
