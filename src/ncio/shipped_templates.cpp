#include "ncio/shipped_templates.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/file_io.h"
#include "platform/system_paths.h"

namespace trevalon {

const ShippedTemplate* FindShippedTemplate(const std::string& fileName) {
  for (std::size_t k = 0; k < kShippedTemplateCount; ++k)
    if (fileName == kShippedTemplateTable[k].fileName) return &kShippedTemplateTable[k];
  return nullptr;
}

TemplateInstall InstallShippedTemplates(const std::string& folder) {
  TemplateInstall result;
  std::string failedFolder;
  if (!MakeFolders(folder, &failedFolder)) {
    result.failed = failedFolder.empty() ? folder : failedFolder;
    return result;
  }
  for (std::size_t k = 0; k < kShippedTemplateCount; ++k) {
    const ShippedTemplate& t = kShippedTemplateTable[k];
    const std::string path = folder + "/" + t.fileName;
    std::error_code ec;
    // Anything already there under that name (a file, a link, even a folder) is the user's.
    if (std::filesystem::symlink_status(NativePath(path), ec).type() !=
        std::filesystem::file_type::not_found)
      continue;
    if (!WriteFileReplacing(path, std::string_view(t.text, std::strlen(t.text)))) {
      result.failed = path;
      return result;
    }
    result.written.push_back(t.fileName);
  }
  return result;
}

}  // namespace trevalon
