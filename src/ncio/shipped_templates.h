#pragma once
// The post-processor templates that come with the program: the built-in ISO template as a
// file, and examples of the common kinds of control. They are carried in the program itself
// (made from the files of templates/post when it is built), so that a fresh installation has
// them: the first use of the post-processor writes each one that is missing into the
// template folder, where the user picks among them and may change them.

#include <cstddef>
#include <string>
#include <vector>

namespace trevalon {

struct ShippedTemplate {
  const char* fileName;  // "default.ppr", "fanuc-haas.ppr", ...
  const char* text;
};
extern const ShippedTemplate kShippedTemplateTable[];
extern const std::size_t kShippedTemplateCount;

// The shipped template of that file name; null when there is none.
const ShippedTemplate* FindShippedTemplate(const std::string& fileName);

struct TemplateInstall {
  std::vector<std::string> written;  // file names written into the folder
  std::string failed;                // the path that could not be made or written ("" if none)
};
// Our rule: writes each shipped template that `folder` does not hold (a file of the user's,
// changed or not, is never replaced), making the folder when it is missing.
TemplateInstall InstallShippedTemplates(const std::string& folder);

}  // namespace trevalon
