#include "shell/test_build.hpp"

namespace blockdrop {

void prepare_test_build(FrontEnd& /*game*/) {}

} // namespace blockdrop
