#pragma once
// Named steps of the changes of shared files, where a test can stop a
// client to end it there (SIGKILL) and prove that nothing is lost or torn.
//
// With the environment variable KPV_STOP_AT naming a step ("append.written",
// or "copy.done#6" for the sixth time that step is reached), the process
// that reaches it writes "KPV-STOPPED <step>" on its standard error and waits
// there until it is ended. Without it, a step costs one comparison.

namespace kpv {

void crashPoint(const char *step);

} // namespace kpv
