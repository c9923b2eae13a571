// Project files for tests, written through the model: one item per level given (pictures
// "p<n>.jpg" unless named), under the default slider parameters as changed by `edit`.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ProjectModel.h"

namespace testprojects {

inline std::string WriteProject(const std::string& path, const std::vector<std::string>& levels,
                                const std::function<void(TProjectModel&)>& edit = {}) {
  TProjectModel model(std::filesystem::temp_directory_path().string());
  model.LoadDefaults();
  for (size_t i = 0; i < levels.size(); ++i) {
    TItemData item = DefaultItem();
    item.originalPath = "p" + std::to_string(i) + ".jpg";
    item.level = levels[i];
    model.Items.push_back(item);
  }
  if (edit) edit(model);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  model.SaveProject(path);
  return path;
}

}  // namespace testprojects
