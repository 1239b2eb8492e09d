#pragma once

// Runs orvina's commands inside the test program, as `orvina ARGS…` would, with what they
// print captured; for tests that reach into the process (io/io_fault.h).

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_registry.h"

namespace clitest {

struct InProcess {
  int status = -1;
  std::string out;  // standard output and standard error
};

inline InProcess RunInProcess(const std::vector<std::string>& args) {
  std::vector<std::string> words{"orvina"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  InProcess r;
  std::fflush(stdout);
  std::fflush(stderr);
  std::FILE* capture = std::tmpfile();
  if (!capture) return r;
  const int out = dup(1), err = dup(2);
  dup2(fileno(capture), 1);
  dup2(fileno(capture), 2);
  r.status = RunCommandLine(int(words.size()), argv.data());
  std::fflush(stdout);
  std::fflush(stderr);
  dup2(out, 1);
  dup2(err, 2);
  close(out);
  close(err);
  std::rewind(capture);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, capture)) > 0) r.out.append(buffer, n);
  std::fclose(capture);
  return r;
}

}  // namespace clitest
