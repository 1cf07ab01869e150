// The user manual documents every script command and every shortcut of the command line: each
// has a heading of its own in the manual's script page, so that a command added without its
// documentation fails here.

#include <gtest/gtest.h>

#include <string>

#include "cli/script.h"
#include "test_support.h"

namespace trevalon::cli {
namespace {

// The text of the element that carries id="ID", up to its closing tag; "" when there is none.
std::string Heading(const std::string& page, const std::string& id) {
  const std::size_t at = page.find("id=\"" + id + "\"");
  if (at == std::string::npos) return {};
  const std::size_t open = page.find('>', at);
  const std::size_t close = page.find("</h", open);
  if (open == std::string::npos || close == std::string::npos) return {};
  return page.substr(open + 1, close - open - 1);
}

TEST(Manual, EveryScriptCommandAndShortcutHasItsHeading) {
  const std::string page = testing::ReadAll(std::string(TREVALON_MANUAL) + "/script.html");
  ASSERT_FALSE(page.empty()) << "the manual's script page is missing";
  ASSERT_GT(AllVerbs().size(), 30u);
  for (const Verb& v : AllVerbs()) {
    const std::string name = v.name;
    EXPECT_NE(Heading(page, "verb-" + name).find("<code>" + name + "</code>"), std::string::npos)
        << "script.html has no heading id=\"verb-" << name << "\" naming " << name;
  }
  ASSERT_FALSE(AllShortcuts().empty());
  for (const Shortcut& s : AllShortcuts()) {
    const std::string name = s.name;
    EXPECT_NE(Heading(page, "shortcut-" + name).find("trevalon-cli " + name), std::string::npos)
        << "script.html has no heading id=\"shortcut-" << name << "\" naming " << name;
  }
}

}  // namespace
}  // namespace trevalon::cli
