// The test programs' entry point on Windows. A crash ends the program with a
// line on standard error and exit code 3, instead of opening a debugger that
// would wait for ever (Wine starts one for an unhandled exception).
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

LONG WINAPI ReportAndExit(EXCEPTION_POINTERS* info) {
  std::fprintf(stderr, "unhandled exception 0x%08lx at %p\n", info->ExceptionRecord->ExceptionCode,
               info->ExceptionRecord->ExceptionAddress);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(ReportAndExit);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
