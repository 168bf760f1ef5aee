// What the tests that run programs through the shell share: a word quoted for
// the shell, and the whole content of a file the program wrote.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace pexora::test {

// `text` as one shell word, in single quotes.
inline std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The bytes of the file at `path`; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace pexora::test
