#pragma once
// Tables of cases kept as text under tests/data: "@ NAME" starts a case, "KEY VALUE" lines give
// its fields ("KEY" alone an empty one), a line "+TEXT" continues the line above with TEXT as it
// stands, and '#' starts a comment line. Values take the C escapes \n \r \t \0 \\ and \xHH. Each
// case keeps the file and line it starts at, for the failure report.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace trevalon::testing {

inline std::string Unescape(const std::string& s) {
  std::string o;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      o += s[i];
      continue;
    }
    const char c = s[++i];
    if (c == 'x' && i + 2 < s.size()) {
      o += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      o += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c == '0' ? '\0' : c;
    }
  }
  return o;
}

struct DataCase {
  std::string name, file;
  int line = 0;
  std::map<std::string, std::string> fields;
  std::vector<std::pair<std::string, std::string>> entries;  // every field in order
  std::string operator[](const std::string& key) const {
    const auto f = fields.find(key);
    return f == fields.end() ? "" : f->second;
  }
  int Int(const std::string& key) const { return fields.count(key) ? std::stoi(at(key)) : 0; }
  const std::string& at(const std::string& key) const { return fields.at(key); }
  ::testing::ScopedTrace Trace() const { return {file.c_str(), line, name}; }
};

// The cases of tests/data/NAME.
inline std::vector<DataCase> ReadCases(const std::string& name) {
  const std::string path = std::string(TREVALON_TEST_DATA) + "/" + name;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot open " << path;
  std::vector<DataCase> cases;
  std::string* last = nullptr;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    const std::size_t blank = line.find(' ');
    if (line[0] == '+' && last) {
      *last += line.substr(1);
    } else if (line.rfind("@ ", 0) == 0) {
      cases.push_back({line.substr(2), path, number, {}, {}});
      last = nullptr;
    } else if (!cases.empty()) {  // "KEY" alone: an empty value
      cases.back().entries.emplace_back(line.substr(0, blank),
                                        blank == std::string::npos ? "" : line.substr(blank + 1));
      last = &cases.back().entries.back().second;
    } else {
      ADD_FAILURE_AT(path.c_str(), number) << "cannot read: " << line;
    }
  }
  for (DataCase& c : cases)
    for (auto& [key, value] : c.entries) c.fields[key] = value = Unescape(value);
  EXPECT_FALSE(cases.empty()) << path;
  return cases;
}

}  // namespace trevalon::testing
