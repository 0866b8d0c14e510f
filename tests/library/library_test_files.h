// Files for the recordings-list tests: whole files written and read as
// bytes, and waiting for a started program to leave its record.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace library_test {

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);  // empty when missing
std::vector<std::string> FolderEntries(const std::string& folder);  // names, sorted

// A shell script at path that writes its arguments, each ended by a NUL, to
// recordPath (through a temporary name, so the record appears whole).
void WriteRecordingScript(const std::string& path, const std::string& recordPath);

// The arguments a recording script wrote; fails the test when none appear
// within a deadline generous for a busy machine.
std::vector<std::string> AwaitRecordedArguments(const std::string& recordPath);

}  // namespace library_test
