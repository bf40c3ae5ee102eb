#include "toolbox/PathTools.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "toolbox/AllTools.h"

namespace fs = std::filesystem;

namespace vs {

std::string BackslashesToSlashes(std::string_view name) {
  std::string r(name);
  std::replace(r.begin(), r.end(), '\\', '/');
  return r;
}

static size_t LastSeparator(std::string_view name) { return name.find_last_of("\\/"); }

std::string ExtractFileName(std::string_view name) {
  size_t p = LastSeparator(name);
  return std::string(p == std::string_view::npos ? name : name.substr(p + 1));
}

std::string ExtractFilePath(std::string_view name) {
  size_t p = LastSeparator(name);
  return p == std::string_view::npos ? std::string() : std::string(name.substr(0, p + 1));
}

std::string ExtractFileExt(std::string_view name) {
  size_t sep = LastSeparator(name);
  size_t start = sep == std::string_view::npos ? 0 : sep + 1;
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot < start) return {};
  return std::string(name.substr(dot));
}

std::string ChangeFileExt(std::string_view name, std::string_view ext) {
  std::string old = ExtractFileExt(name);
  return std::string(name.substr(0, name.size() - old.size())) + std::string(ext);
}

bool HasExtension(std::string_view name, std::string_view ext) { return SameText(ExtractFileExt(name), ext); }

std::string StoredNameToPath(std::string_view stored, std::string_view samplesFolder) {
  if (!stored.empty() && stored.front() == '\\')
    return AddBackslash(samplesFolder) + BackslashesToSlashes(stored.substr(1));
  return std::string(stored);
}

std::string PathToStoredName(std::string_view path, std::string_view samplesFolder) {
  std::string base = AddBackslash(samplesFolder);
  if (!base.empty() && path.size() > base.size() && path.substr(0, base.size()) == base) {
    std::string rest(path.substr(base.size()));
    std::replace(rest.begin(), rest.end(), '/', '\\');
    return "\\" + rest;
  }
  return std::string(path);
}

std::string FindPathCaseInsensitive(std::string_view path) {
  if (path.empty()) return {};
  std::error_code ec;
  fs::path p{std::string(path)};
  if (fs::exists(p, ec)) return std::string(path);
  fs::path current = p.is_absolute() ? p.root_path() : fs::path(".");
  fs::path built = p.is_absolute() ? p.root_path() : fs::path();
  for (const fs::path& part : p.relative_path()) {
    std::string want = part.string();
    if (want.empty()) continue;
    if (want == "." || want == "..") {
      current /= part;
      built /= part;
      continue;
    }
    fs::path exact = current / part;
    if (fs::exists(exact, ec)) {
      current = exact;
      built /= part;
      continue;
    }
    std::vector<std::string> hits;
    for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
      std::string n = it->path().filename().string();
      if (SameText(n, want)) hits.push_back(n);
    }
    if (hits.empty()) return {};
    std::sort(hits.begin(), hits.end());
    current /= hits.front();
    built /= hits.front();
  }
  return built.string();
}

}  // namespace vs
