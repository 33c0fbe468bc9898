// The grip gesture: what each press, move and release of a sequence does.
#include "hoopdesk/docking/dockgrip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Event {
  char kind;  // 'p' press, 'm' move, 'r' release
  QPoint at;
  bool left = true;  // press: on the grip with the left button; move: the left button held
};

std::string Name(TGripStep step) {
  switch (step) {
    case TGripStep::Pass:
      return "pass";
    case TGripStep::Take:
      return "take";
    case TGripStep::Drag:
      return "drag";
    case TGripStep::Drop:
      return "drop";
    case TGripStep::Click:
      return "click";
  }
  return "?";
}

constexpr int kDistance = 10;

std::vector<std::string> Steps(const std::vector<Event>& events) {
  TDockGrip grip;
  std::vector<std::string> steps;
  for (const Event& e : events) {
    const TGripStep step = e.kind == 'p'   ? grip.Press(e.left, e.at)
                           : e.kind == 'm' ? grip.Move(e.at, e.left, kDistance)
                                           : grip.Release();
    steps.push_back(Name(step));
  }
  return steps;
}

TEST(DockGrip, ADragStartsAtTheDragDistanceAndAReleaseWithoutOneIsAClick) {
  const struct {
    const char* what;
    std::vector<Event> events;
    std::vector<std::string> want;
  } cases[] = {
      {"a click", {{'p', {0, 0}}, {'r', {0, 0}}}, {"take", "click"}},
      {"moves short of the distance are the grip's own",
       {{'p', {0, 0}}, {'m', {5, 4}}, {'r', {5, 4}}},
       {"take", "pass", "click"}},
      {"the distance is a Manhattan length and reaching it drags",
       {{'p', {0, 0}}, {'m', {6, 4}}, {'m', {0, 1}}, {'r', {0, 1}}},
       {"take", "drag", "drag", "drop"}},
      {"once dragging, even a move back near the press drags",
       {{'p', {100, 100}}, {'m', {90, 100}}, {'m', {100, 100}}, {'r', {100, 100}}},
       {"take", "drag", "drag", "drop"}},
      {"a move without the left button held is not dragged",
       {{'p', {0, 0}}, {'m', {50, 0}, false}, {'r', {50, 0}}},
       {"take", "pass", "click"}},
      {"a press off the grip or of another button arms nothing",
       {{'p', {0, 0}, false}, {'m', {50, 0}}, {'r', {50, 0}}},
       {"pass", "pass", "pass"}},
      {"the release ends the gesture",
       {{'p', {0, 0}}, {'m', {20, 0}}, {'r', {20, 0}}, {'m', {40, 0}}, {'r', {40, 0}}},
       {"take", "drag", "drop", "pass", "pass"}},
      {"a new press starts afresh",
       {{'p', {0, 0}}, {'m', {20, 0}}, {'p', {20, 0}}, {'m', {25, 0}}, {'r', {25, 0}}},
       {"take", "drag", "take", "pass", "click"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Steps(c.events), c.want) << c.what;
}

}  // namespace
