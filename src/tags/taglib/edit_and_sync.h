// Lets a library that writes files in place (and reports no write errors) edit
// a private copy: the copy is made writable for the edit if its mode forbids
// it, and synced afterwards so that it is on disk before it replaces anything.
#pragma once

#include <functional>
#include <string>

namespace tags {

// Runs edit() and returns its result, false when the copy could not be synced.
bool EditAndSync(const std::string& path, const std::function<bool()>& edit);

}  // namespace tags
