// The stand-ins for optional system components write what they were asked into the file named by
// VIZO_STANDIN_LOG, one line a call, so that a test driver in another process can read it.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>

inline void StandinLog(const char* format, ...) {
  char path[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("VIZO_STANDIN_LOG", path, MAX_PATH)) return;
  FILE* log = std::fopen(path, "a");
  if (!log) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(log, format, args);
  va_end(args);
  std::fputc('\n', log);
  std::fclose(log);
}
