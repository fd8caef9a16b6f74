#include "platform/exit_hooks.h"

#include <cstdio>

#include "platform/platform.h"

namespace platform {

namespace {

constexpr int kMaxExitHooks = 8;
void (*exitHooks[kMaxExitHooks])();
int exitHookCount = 0;
void (*exitInterceptor)(int) = nullptr;

}  // namespace

void atProcessExit(void (*hook)()) {
  if (exitHookCount < kMaxExitHooks) exitHooks[exitHookCount++] = hook;
}

void runExitHooksAndFlush() {
  while (exitHookCount > 0) exitHooks[--exitHookCount]();
  // Every output stream, as exit would: the quick ways out flush none.
  std::fflush(nullptr);
}

void interceptExit(void (*instead)(int code)) { exitInterceptor = instead; }

void callExitInterceptor(int code) {
  if (exitInterceptor != nullptr) exitInterceptor(code);
}

}  // namespace platform
