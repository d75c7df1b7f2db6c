#include "TestDisplay.h"

namespace TestDisplay {
// Windows always has a desktop to render and open windows on.
bool Ensure(std::string& reason) {
  reason.clear();
  return true;
}
} // namespace TestDisplay
