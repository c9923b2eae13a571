// The files shipped beside the program: every template opens completely and publishes, every help
// page the window opens is there, every relative link of the help and sample pages leads to a
// file that is installed too, and the published sample matches what the program makes today.
#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "FileUtil.h"
#include "MemoryTree.h"
#include "ProjectModel.h"
#include "ScriptText.h"
#include "TestUtil.h"
#include "test_generator_util.h"

namespace fs = std::filesystem;

namespace {

// resources/ of the source tree: help/, samples/ and templates/ are copied beside the program.
fs::path Resources() {
  return fs::weakly_canonical(fs::path(TORVANE_TEST_DATA) / ".." / ".." / "resources");
}

const std::set<std::string> kInstalledFolders = {"help", "samples", "templates"};

// The pages the help buttons open, by their Tag (1..10), and the page for any other Tag.
const std::vector<std::string> kTopicPages = {
    "customizing_js_script_script_general.htm",
    "customizing_js_script_script_size.htm",
    "customizing_js_script_script_scrolling.htm",
    "customizing_js_script_script_distance.htm",
    "customizing_js_script_script_slider_border.htm",
    "customizing_js_script_script_image_border.htm",
    "customizing_js_script_path_path.htm",
    "customizing_js_item_general_original_image_path.htm",
    "customizing_js_item_general_link.htm",
    "customizing_js_item_general_tooltip.htm",
};
const char* const kFallbackPage = "getting_started.htm";

std::vector<fs::path> FilesWithExtensions(const fs::path& folder,
                                          const std::set<std::string>& extensions) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && extensions.count(entry.path().extension().string())) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<fs::path> Templates() {
  return FilesWithExtensions(Resources() / "templates", {".tvn"});
}

std::vector<fs::path> Pages() {
  std::vector<fs::path> pages = FilesWithExtensions(Resources() / "help", {".htm", ".html"});
  for (const fs::path& page : FilesWithExtensions(Resources() / "samples", {".htm", ".html"})) {
    pages.push_back(page);
  }
  return pages;
}

// The values of every href and src attribute of an HTML text.
std::vector<std::string> Links(const std::string& html) {
  static const std::regex attribute(R"re(\b(?:href|src)\s*=\s*(?:"([^"]*)"|'([^']*)'))re",
                                    std::regex::icase);
  std::vector<std::string> links;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), attribute);
       it != std::sregex_iterator(); ++it) {
    links.push_back((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
  }
  return links;
}

bool HasScheme(const std::string& link) {
  static const std::regex scheme("^[A-Za-z][A-Za-z0-9+.-]*:");
  return std::regex_search(link, scheme);
}

bool HasAnchor(const std::string& html, const std::string& name) {
  return html.find("id=\"" + name + "\"") != std::string::npos ||
         html.find("name=\"" + name + "\"") != std::string::npos;
}

// Whether `inner` lies inside the folder `outer` (both canonical).
bool IsInside(const fs::path& inner, const fs::path& outer) {
  const fs::path relative = inner.lexically_relative(outer);
  return !relative.empty() && *relative.begin() != "..";
}

// Loads a project the way the publisher does, with its pictures resolved against `pictureFolder`
// when their paths are relative, and publishes it into `to` under `name`.
struct TPublished {
  TLoadResult load = TLoadResult::Rejected;
  TProjectModel model{std::string(TORVANE_BIN_DIR)};
  TMemoryTree tree;
};

// Returns false, having reported why, when the project does not load completely, names a
// missing picture or fails to publish.
bool LoadAndPublish(TPublished& run, const fs::path& project, const fs::path& pictureFolder,
                    const TTempDir& work, const TTempDir& to, const std::string& name) {
  run.model.SetWorkFolder(work.Folder());
  run.model.LoadDefaults();
  run.load = run.model.LoadProject(project.string(), run.tree);
  if (run.load != TLoadResult::Loaded) {
    ADD_FAILURE() << project << " does not load completely";
    return false;
  }
  for (TItemData& item : run.model.Items) {
    if (fs::path(item.originalPath).is_relative()) {
      item.originalPath = (pictureFolder / item.originalPath).string();
    }
    if (!fileutil::IsFile(item.originalPath)) {
      ADD_FAILURE() << project << " names the picture " << item.originalPath
                    << ", which is missing";
      return false;
    }
  }
  try {
    run.model.PublishProject(to.Folder(), name, run.tree);
  } catch (const std::exception& error) {
    ADD_FAILURE() << project << " does not publish: " << error.what();
    return false;
  }
  run.model.ClearPreview();
  return true;
}

TEST(ShippedFiles, TemplatesOpenCompletelyAndPublishUnchanged) {
  const std::vector<fs::path> templates = Templates();
  ASSERT_GE(templates.size(), 3u) << "too few templates in " << Resources() / "templates";
  std::set<std::string> names;
  for (const fs::path& file : templates) {
    SCOPED_TRACE(file.string());
    EXPECT_TRUE(
        fileutil::IsFile(std::string(TORVANE_BIN_DIR) + "/templates/" + file.filename().string()))
        << "the build does not install it";
    CrLfLines(file.string());  // fails on any line end that is not CR LF

    TTempDir work, to;
    TPublished run;
    if (!LoadAndPublish(run, file, file.parent_path(), work, to, file.filename().string())) {
      continue;
    }
    names.insert(run.model.Slider.name);

    // A save writes the file exactly as shipped: no hand-made difference a user would lose.
    EXPECT_EQ(ReadAll(to / file.filename().string()), ReadAll(file.string()))
        << "not as the program writes it";
    const std::string base = scripttext::PublishBaseName(file.filename().string());
    for (const std::string& published :
         {base + ".html", std::string("torvane.js"), std::string("torvanecfg.js"),
          std::string("torvane.css"), base + "_PublishReport.txt"}) {
      EXPECT_TRUE(fileutil::IsFile(to / published)) << published;
    }
  }
  EXPECT_EQ(names.size(), templates.size()) << "two templates share a slider name";
}

TEST(ShippedFiles, EveryHelpPageTheWindowOpensIsThere) {
  std::vector<std::string> pages = kTopicPages;
  pages.push_back(kFallbackPage);
  pages.push_back("index.html");
  for (const std::string& page : pages) {
    SCOPED_TRACE(page);
    const std::string source = (Resources() / "help" / page).string();
    ASSERT_TRUE(fileutil::IsFile(source));
    EXPECT_TRUE(fileutil::IsFile(std::string(TORVANE_BIN_DIR) + "/help/" + page))
        << "the build does not install it";
    const std::string html = ReadAll(source);
    EXPECT_NE(html.find("<title>"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos) << "help pages must work without scripts";
    const std::vector<std::string> links = Links(html);
    if (page != "index.html") {
      EXPECT_NE(std::find(links.begin(), links.end(), "index.html"), links.end())
          << "no way back to the contents";
    }
  }
  EXPECT_TRUE(fileutil::IsFile((Resources() / "samples" / "index.html").string()));
}

TEST(ShippedFiles, RelativeLinksLeadToInstalledFiles) {
  const fs::path resources = Resources();
  const std::vector<fs::path> pages = Pages();
  ASSERT_GE(pages.size(), 14u);
  int checked = 0;
  for (const fs::path& page : pages) {
    const std::string html = ReadAll(page.string());
    for (const std::string& link : Links(html)) {
      SCOPED_TRACE(page.string() + ": " + link);
      EXPECT_FALSE(link.empty());
      if (HasScheme(link)) continue;  // web addresses, mailto: and the like
      ++checked;
      const size_t hash = link.find('#');
      const std::string path = link.substr(0, std::min(hash, link.find('?')));
      const std::string anchor = hash == std::string::npos ? "" : link.substr(hash + 1);
      EXPECT_TRUE(path.empty() || path.front() != '/') << "an absolute path breaks once installed";
      const fs::path target = path.empty() ? page : fs::weakly_canonical(page.parent_path() / path);
      ASSERT_TRUE(fs::is_regular_file(target)) << "leads to a missing file " << target;
      ASSERT_TRUE(IsInside(target, resources));
      const std::string top = (*target.lexically_relative(resources).begin()).string();
      EXPECT_TRUE(kInstalledFolders.count(top)) << "leads to " << top << ", not installed";
      if (!anchor.empty()) {
        EXPECT_TRUE(HasAnchor(ReadAll(target.string()), anchor));
      }
    }
  }
  EXPECT_GT(checked, 100);
}

TEST(ShippedFiles, PublishedSampleMatchesWhatTheProgramMakes) {
  const fs::path samples = Resources() / "samples";
  const fs::path shipped = samples / "sample";
  TTempDir work, to;
  TPublished run;
  ASSERT_TRUE(LoadAndPublish(run, samples / "sample.tvn", samples, work, to, "sample.tvn"));
  const std::string hint = "resources/samples/sample is out of date: run tools/publish-sample.sh";

  // The text files byte for byte (torvane.js is the runtime the build installs).
  for (const char* name :
       {"sample.html", "torvane.js", "torvanecfg.js", "torvane.css", "sample_PublishReport.txt"}) {
    EXPECT_EQ(ReadAll((shipped / name).string()), ReadAll(to / name)) << name << ": " << hint;
  }
  EXPECT_EQ(ReadAll((shipped / "torvane.js").string()),
            ReadAll(std::string(TORVANE_BIN_DIR) + "/torvane.js"))
      << hint;
  // The pictures by size: their bytes follow the scaler's details, which may change freely.
  ASSERT_EQ(run.model.Items.size(), 5u);
  for (const TItemData& item : run.model.Items) {
    SCOPED_TRACE(item.imageFile);
    const TJpegInfo mine = ReadJpegInfo(to / item.imageFile);
    const TJpegInfo theirs = ReadJpegInfo((shipped / item.imageFile).string());
    ASSERT_TRUE(theirs.isJpeg) << hint;
    EXPECT_EQ(theirs.width, mine.width) << hint;
    EXPECT_EQ(theirs.height, mine.height) << hint;
  }
  // The shipped project reopens, with the picture names it was published with.
  TProjectModel reopened{std::string(TORVANE_BIN_DIR)};
  TMemoryTree tree;
  reopened.LoadDefaults();
  ASSERT_EQ(reopened.LoadProject((shipped / "sample.tvn").string(), tree), TLoadResult::Loaded);
  ASSERT_EQ(reopened.Items.size(), run.model.Items.size());
  for (size_t i = 0; i < reopened.Items.size(); ++i) {
    EXPECT_EQ(reopened.Items[i].imageFile, run.model.Items[i].imageFile) << hint;
  }
}

}  // namespace
