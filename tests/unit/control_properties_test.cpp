// The server's property tables and the browser runtime name the same
// properties, class by class: a property the server accepts is one the
// runtime draws (unless the table keeps it on the server), and the runtime
// draws nothing the server refuses. The runtime's names come from its own
// files, run in node.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/form_loader.h"

using namespace plat::ui;

namespace {

// What tests/support/runtime_properties.mjs prints: {common, classes}.
Json RuntimeProperties() {
  const std::string command = "node " TESS_TEST_SOURCE_DIR "/tests/support/runtime_properties.mjs";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return nullptr;
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  if (::pclose(pipe) != 0) return nullptr;
  return Json::parse(out, nullptr, false);
}

// The keys of a table from `table` up to (not including) `stop` that the
// browser gets to draw.
std::set<std::string> Drawn(const PropertyTable* table, const PropertyTable* stop) {
  std::set<std::string> keys;
  for (const PropertyTable* t = table; t && t != stop; t = t->Base())
    for (const Property& p : t->Own())
      if (p.use != PropertyUse::Server) keys.emplace(p.key);
  return keys;
}

std::set<std::string> Names(const Json& list) {
  std::set<std::string> names;
  for (const Json& n : list) names.insert(n.get<std::string>());
  return names;
}

std::string Join(const std::set<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

// The differences of one class as lines for the failure message.
void Compare(const std::string& cls, const std::set<std::string>& server, const std::set<std::string>& runtime,
             std::vector<std::string>& problems) {
  std::set<std::string> refused, undrawn;
  for (const std::string& k : runtime)
    if (!server.count(k)) refused.insert(k);
  for (const std::string& k : server)
    if (!runtime.count(k)) undrawn.insert(k);
  if (!refused.empty()) problems.push_back(cls + ": the runtime draws " + Join(refused) + ", which the server refuses");
  if (!undrawn.empty())
    problems.push_back(cls + ": the server accepts " + Join(undrawn) + ", which the runtime does not draw");
}

}  // namespace

TEST(ControlProperties, TheRuntimeDrawsWhatTheServerAccepts) {
  const Json runtime = RuntimeProperties();
  ASSERT_TRUE(runtime.is_object() && runtime.contains("common") && runtime.contains("classes"))
      << "node could not list the runtime's properties";
  const Json& classes = runtime["classes"];
  std::vector<std::string> problems;

  // What every control has: Control's table and Component's below it.
  Compare("every control", Drawn(&Control::Properties(), nullptr), Names(runtime["common"]), problems);

  RegisterStandardControls();
  Form check(nullptr);
  std::set<std::string> compared;
  for (const std::string& cls : ComponentClassNames()) {
    Component* c = (*FindComponentClass(cls))(&check);
    compared.insert(cls);
    if (!classes.contains(cls)) {
      problems.push_back(cls + ": the runtime has no class of that name");
      continue;
    }
    Compare(cls, Drawn(&c->ClassProperties(), &Control::Properties()), Names(classes[cls]), problems);
  }
  // A form is drawn as the page (TUniForm) or as a dialog window.
  std::set<std::string> form = Names(classes.value("TUniForm", Json::array()));
  for (const std::string& k : Names(classes.value("TUniDialog", Json::array()))) form.insert(k);
  Compare("TUniForm", Drawn(&Form::Properties(), &Control::Properties()), form, problems);
  compared.insert({"TUniForm", "TUniDialog", "generic"});

  for (const auto& [cls, props] : classes.items())
    if (!compared.count(cls)) problems.push_back(cls + ": the runtime draws a class the server does not have");

  std::string report;
  for (const std::string& p : problems) report += "\n  " + p;
  EXPECT_TRUE(problems.empty()) << "the runtime and the server's property tables differ:" << report;
}
