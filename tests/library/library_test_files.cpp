#include "library_test_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace library_test {

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void WriteRecordingScript(const std::string& path, const std::string& recordPath) {
  WriteBytes(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" + recordPath + ".tmp'\nmv '" +
                       recordPath + ".tmp' '" + recordPath + "'\n");
  ASSERT_EQ(::chmod(path.c_str(), 0755), 0);
}

std::vector<std::string> AwaitRecordedArguments(const std::string& recordPath) {
  // Polls for the record; the deadline only bounds a test that has failed.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (!std::filesystem::exists(recordPath)) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "the program never wrote " << recordPath;
      return {};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const std::string bytes = ReadBytes(recordPath);
  std::vector<std::string> args;
  std::size_t from = 0;
  for (std::size_t nul; (nul = bytes.find('\0', from)) != std::string::npos; from = nul + 1)
    args.push_back(bytes.substr(from, nul - from));
  return args;
}

}  // namespace library_test
